#include "core/regular_file_platform.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

FileKind KindOfMode(unsigned mode) {
  if (S_ISDIR(mode)) return FileKind::kFolder;
  return S_ISREG(mode) ? FileKind::kRegular : FileKind::kNotRegular;
}

std::FILE* FailedOpen(FileKind* kind, std::string* reason) {
  const int error = errno;
  *kind = error == ENOENT || error == ENOTDIR ? FileKind::kMissing : FileKind::kUnreadable;
  if (reason) *reason = std::strerror(error);
  return nullptr;
}
