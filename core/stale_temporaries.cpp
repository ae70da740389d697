#include "core/stale_temporaries.h"

#include <fcntl.h>

#include <chrono>
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
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (descriptor < 0) return false;
  const bool free = flock(descriptor, LOCK_EX | LOCK_NB) == 0;
  close(descriptor);  // also releases the lock just taken
  return free;
}
#endif

}  // namespace

bool IsFluxartTemporaryName(const std::string& name) {
  if (!EndsWith(name, ".tmp")) return false;
  const std::string rest = name.substr(0, name.size() - 4);
  const std::size_t dot = rest.rfind('.');
  if (dot == std::string::npos || dot + 1 == rest.size()) return false;
  for (std::size_t k = dot + 1; k < rest.size(); ++k) {
    const char c = rest[k];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  const std::string base = rest.substr(0, dot);
  if (base.compare(0, 9, "Fluxart_Z") == 0 && EndsWith(base, ".dat")) return true;
  for (const char* suffix :
       {"_contours.png", "_streamlines.png", "_i_vector.txt", "_j_vector.txt", "_k_vector.txt"})
    if (EndsWith(base, suffix)) return true;  // "_stream_contours.png" ends in "_contours.png"
  return false;
}

int RemoveStaleTemporaries(const std::string& folder) {
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
    if (!Unlocked(path.string())) continue;
    if (fs::remove(path, error) && !error) ++removed;
  }
  return removed;
}
