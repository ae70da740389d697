#include "core/whole_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "core/file_names.h"
#include "core/file_system.h"
#include "core/interruption.h"
#include "core/whole_file_platform.h"

namespace {

// 16 hex digits that no other run writing the same name at the same time
// picks: random bits mixed with the clock. Process ids are not enough:
// they repeat, and the Windows and Linux builds may share a folder.
std::string UniqueTag() {
  std::random_device random;
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  const unsigned long long bits = ((static_cast<unsigned long long>(random()) << 32) | random()) ^
                                  static_cast<unsigned long long>(now);
  char tag[17];
  std::snprintf(tag, sizeof tag, "%016llx", bits);
  return tag;
}

std::string SystemText(int error) { return std::strerror(error ? error : EIO); }

}  // namespace

bool BeginWholeFile(const std::string& path, bool text, bool sync, WholeFile* file,
                    std::string* reason) {
  file->path = path;
  file->sync = sync;
  file->temporary = TemporaryName(path, UniqueTag());
  errno = 0;
  file->descriptor = CreateNewFile(file->temporary, text);
  if (file->descriptor < 0) {
    *reason = SystemText(errno);
    return false;
  }
  file->cleanup_slot = RegisterTemporaryFile(file->temporary.c_str(), file->descriptor);
  LockForWriting(file->descriptor);  // a fresh file: nobody else can hold it
  file->stream = ActiveFileSystem().WriteStream(file->descriptor, text);
  if (!file->stream) {
    *reason = SystemText(errno);
    AbandonWholeFile(file);
    return false;
  }
  return true;
}

bool FinishWholeFile(WholeFile* file, std::string* reason) {
  errno = 0;
  bool written = std::fflush(file->stream) == 0 && !std::ferror(file->stream);
  int error = errno;
  if (written && file->sync && !SyncToDisk(file->descriptor)) {
    written = false;
    error = errno;
  }
  HoldInterruptionCleanup();
  errno = 0;
  if (std::fclose(file->stream) != 0 && written) {
    written = false;
    error = errno;
  }
  file->stream = nullptr;
  file->descriptor = -1;
  std::error_code renamed;
  if (written) {
    std::filesystem::rename(file->temporary, file->path, renamed);
    if (renamed) *reason = renamed.message();
  } else {
    *reason = SystemText(error);
  }
  if (!written || renamed) std::remove(file->temporary.c_str());
  UnregisterTemporaryFile(file->cleanup_slot);
  file->cleanup_slot = -1;
  ReleaseInterruptionCleanup();
  return written && !renamed;
}

void AbandonWholeFile(WholeFile* file) {
  HoldInterruptionCleanup();
  if (file->stream)
    std::fclose(file->stream);
  else if (file->descriptor >= 0)
    CloseDescriptor(file->descriptor);
  file->stream = nullptr;
  file->descriptor = -1;
  std::remove(file->temporary.c_str());
  UnregisterTemporaryFile(file->cleanup_slot);
  file->cleanup_slot = -1;
  ReleaseInterruptionCleanup();
}

bool WriteWholeFile(const std::string& path, const void* bytes, std::size_t size, bool sync,
                    std::string* reason) {
  WholeFile file;
  if (!BeginWholeFile(path, false, sync, &file, reason)) return false;
  errno = 0;
  if (std::fwrite(bytes, 1, size, file.stream) != size) {
    *reason = SystemText(errno);
    AbandonWholeFile(&file);
    return false;
  }
  return FinishWholeFile(&file, reason);
}
