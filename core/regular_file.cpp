#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

FileKind KindOf(unsigned mode) {
  if (S_ISDIR(mode)) return FileKind::kFolder;
  return S_ISREG(mode) ? FileKind::kRegular : FileKind::kNotRegular;
}

FileKind FailedOpenKind(int error) {
  return error == ENOENT || error == ENOTDIR ? FileKind::kMissing : FileKind::kUnreadable;
}

}  // namespace

#ifdef _WIN32
// Windows has no FIFOs under ordinary names; devices (CON, NUL) and
// folders are told apart by their kind before and after the open.
std::FILE* OpenRegularFile(const std::string& path, FileKind* kind, std::string* reason) {
  struct _stat64 status;
  if (_stat64(path.c_str(), &status) != 0) {
    *kind = FailedOpenKind(errno);
    if (reason) *reason = std::strerror(errno);
    return nullptr;
  }
  *kind = KindOf(status.st_mode);
  if (*kind != FileKind::kRegular) return nullptr;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *kind = FailedOpenKind(errno);
    if (reason) *reason = std::strerror(errno);
    return nullptr;
  }
  if (_fstat64(_fileno(file), &status) != 0 || KindOf(status.st_mode) != FileKind::kRegular) {
    *kind = FileKind::kNotRegular;
    std::fclose(file);
    return nullptr;
  }
  return file;
}
#else
std::FILE* OpenRegularFile(const std::string& path, FileKind* kind, std::string* reason) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (descriptor < 0) {
    *kind = FailedOpenKind(errno);
    if (reason) *reason = std::strerror(errno);
    return nullptr;
  }
  struct stat status;
  *kind = fstat(descriptor, &status) == 0 ? KindOf(status.st_mode) : FileKind::kNotRegular;
  // Reads of a regular file never wait; blocking mode back for plainness.
  if (*kind != FileKind::kRegular || fcntl(descriptor, F_SETFL, 0) != 0) {
    close(descriptor);
    return nullptr;
  }
  std::FILE* file = fdopen(descriptor, "rb");
  if (!file) {
    *kind = FileKind::kUnreadable;
    if (reason) *reason = std::strerror(errno);
    close(descriptor);
  }
  return file;
}
#endif
