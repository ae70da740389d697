#include "core/stale_temporaries.h"

#include <fcntl.h>

#include <chrono>
#include <filesystem>
#include <system_error>

#include "core/file_names.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

// True when no process holds the writer's lock on path (and it could be
// opened to look).
#ifdef _WIN32
bool Unlocked(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(kLockByteOffset);
  where.OffsetHigh = static_cast<DWORD>(kLockByteOffset >> 32);
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

}  // namespace

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
