// The Windows half of core/regular_file.h. Windows has no FIFOs under
// ordinary names; devices (CON, NUL) and folders are told apart by their
// kind before and after the open.
#include <sys/stat.h>

#include "core/regular_file_platform.h"

std::FILE* OpenRegularFile(const std::string& path, FileKind* kind, std::string* reason) {
  struct _stat64 status;
  if (_stat64(path.c_str(), &status) != 0) return FailedOpen(kind, reason);
  *kind = KindOfMode(status.st_mode);
  if (*kind != FileKind::kRegular) return nullptr;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return FailedOpen(kind, reason);
  if (_fstat64(_fileno(file), &status) != 0 || KindOfMode(status.st_mode) != FileKind::kRegular) {
    *kind = FileKind::kNotRegular;
    std::fclose(file);
    return nullptr;
  }
  return file;
}
