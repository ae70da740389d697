// The POSIX half of core/regular_file.h: the open itself never waits
// (O_NONBLOCK), and the kind is looked at on the open file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "core/regular_file_platform.h"

std::FILE* OpenRegularFile(const std::string& path, FileKind* kind, std::string* reason) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (descriptor < 0) return FailedOpen(kind, reason);
  struct stat status;
  *kind = fstat(descriptor, &status) == 0 ? KindOfMode(status.st_mode) : FileKind::kNotRegular;
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
