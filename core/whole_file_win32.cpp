// The Windows half of core/whole_file_platform.h: the writer's lock is
// LockFileEx on the byte kLockByteOffset (core/file_names.h).
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "core/file_names.h"
#include "core/whole_file_platform.h"

namespace {

OVERLAPPED LockByte() {
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(kLockByteOffset);
  where.OffsetHigh = static_cast<DWORD>(kLockByteOffset >> 32);
  return where;
}

bool TryLock(HANDLE handle, OVERLAPPED* where) {
  return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, where) !=
         0;
}

}  // namespace

int CreateNewFile(const std::string& path, bool text) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | (text ? _O_TEXT : _O_BINARY),
               _S_IREAD | _S_IWRITE);
}

bool LockForWriting(int descriptor) {
  OVERLAPPED where = LockByte();
  return TryLock(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)), &where);
}

bool WriterLockIsFree(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED where = LockByte();
  const bool free = TryLock(handle, &where);
  if (free) UnlockFileEx(handle, 0, 1, 0, &where);
  CloseHandle(handle);
  return free;
}

std::FILE* OpenWriteStream(int descriptor, bool text) {
  return _fdopen(descriptor, text ? "w" : "wb");
}

bool SyncToDisk(int descriptor) { return _commit(descriptor) == 0; }

void CloseDescriptor(int descriptor) { _close(descriptor); }
