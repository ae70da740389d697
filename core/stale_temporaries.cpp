#include "core/stale_temporaries.h"

#include <fcntl.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// True when no process holds the writer's lock on path (and it could be
// opened to look).
#ifdef _WIN32
bool Unlocked(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED where = {};
  where.OffsetHigh = 0x40000000;  // the byte core/whole_file.cpp locks
  const bool free =
      LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where) != 0;
  if (free) UnlockFileEx(handle, 0, 1, 0, &where);
  CloseHandle(handle);
  return free;
}
#else
bool Unlocked(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (descriptor < 0) return false;
  const bool free = flock(descriptor, LOCK_EX | LOCK_NB) == 0;
  close(descriptor);  // also releases the lock just taken
  return free;
}
#endif

bool AllDigits(const std::string& text, std::size_t begin, std::size_t end) {
  if (end > text.size()) return false;
  for (std::size_t k = begin; k < end; ++k)
    if (text[k] < '0' || text[k] > '9') return false;
  return true;
}

}  // namespace

bool IsKernelCacheName(const std::string& file_name) {
  const std::string& n = file_name;
  return n.size() == 25 && n.compare(0, 9, "Fluxart_Z") == 0 && AllDigits(n, 9, 13) &&
         n[13] == '_' && AllDigits(n, 14, 21) && n.compare(21, 4, ".dat") == 0;
}

bool IsOutputFileName(const std::string& file_name) {
  for (const char* suffix : {"_contours.png", "_streamlines.png", "_stream_contours.png",
                             "_i_vector.txt", "_j_vector.txt", "_k_vector.txt"}) {
    if (!EndsWith(file_name, suffix)) continue;
    // The base slot's tail: 1 to 13 characters, no ".", the last one "_".
    const std::size_t tag = file_name.size() - std::strlen(suffix) - 5;
    if (tag < 1 || tag > 13 || file_name[tag] != 'Z' || file_name[tag - 1] != '_') continue;
    if (!AllDigits(file_name, tag + 1, tag + 5)) continue;
    if (file_name.find_first_of("./\\") < tag) continue;
    return true;
  }
  return false;
}

bool IsFluxartTemporaryName(const std::string& file_name) {
  constexpr std::size_t kTail = 1 + 16 + 4;  // ".<16 hex digits>.tmp"
  if (file_name.size() <= kTail || !EndsWith(file_name, ".tmp")) return false;
  const std::size_t dot = file_name.size() - kTail;
  if (file_name[dot] != '.') return false;
  for (std::size_t k = dot + 1; k < dot + 17; ++k) {
    const char c = file_name[k];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  const std::string stem = file_name.substr(0, dot);
  return IsKernelCacheName(stem) || IsOutputFileName(stem);
}

int RemoveStaleTemporaries(const std::string& folder, const std::string& keep) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::directory_iterator entries(folder.empty() ? "." : folder, error);
  if (error) return 0;
  int removed = 0;
  for (; entries != fs::directory_iterator(); entries.increment(error)) {
    if (error) break;
    const fs::path path = entries->path();
    if (!IsFluxartTemporaryName(path.filename().string())) continue;
    if (!entries->is_regular_file(error) || error) continue;
    const auto written = fs::last_write_time(path, error);
    if (error) continue;
    const auto age = fs::file_time_type::clock::now() - written;
    if (age < std::chrono::seconds(kStaleAfterSeconds)) continue;
    // The drawing is never removed, whatever its name; when that cannot be
    // told, nothing is.
    if (!keep.empty() && (fs::equivalent(path, keep, error) || error)) continue;
    if (!Unlocked(path.string())) continue;
    if (fs::remove(path, error) && !error) ++removed;
  }
  return removed;
}
