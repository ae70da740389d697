#include "core/stale_temporaries.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "core/file_names.h"
#include "core/whole_file_platform.h"

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
    if (!WriterLockIsFree(path.string())) continue;
    if (fs::remove(path, error) && !error) ++removed;
  }
  return removed;
}
