// The POSIX half of core/whole_file_platform.h: the writer's lock is flock.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "core/whole_file_platform.h"

int CreateNewFile(const std::string& path, bool) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool LockForWriting(int descriptor) { return flock(descriptor, LOCK_EX | LOCK_NB) == 0; }

bool WriterLockIsFree(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (descriptor < 0) return false;
  const bool free = flock(descriptor, LOCK_EX | LOCK_NB) == 0;
  close(descriptor);  // also releases the lock just taken
  return free;
}

std::FILE* OpenWriteStream(int descriptor, bool) { return fdopen(descriptor, "wb"); }

bool SyncToDisk(int descriptor) { return fsync(descriptor) == 0; }

void CloseDescriptor(int descriptor) { close(descriptor); }
