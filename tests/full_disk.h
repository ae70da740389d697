#pragma once
// A disk with little room, for the full-disk cases without root or a
// small file system: while a FullDisk lives, the program's writes go
// through it (core/file_system.h). It reports room bytes free, and a file
// being written fails with ENOSPC, as on a full disk, at the write that
// would take it beyond room bytes. Each file has the whole room, as though
// it were the only one being written.
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "core/file_system.h"

class FullDisk : public FileSystem {
 public:
  explicit FullDisk(std::uint64_t room) : room_(room) { UseFileSystem(this); }
  ~FullDisk() override { UseFileSystem(nullptr); }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  std::FILE* WriteStream(int descriptor, bool) override {
    auto* file = new OpenFile{descriptor, room_};
    std::FILE* stream = fopencookie(file, "wb", {nullptr, Write, nullptr, Close});
    if (!stream) delete file;
    return stream;
  }
  bool FreeBytes(const std::string&, std::uint64_t* bytes) override {
    *bytes = room_;
    return true;
  }

 private:
  struct OpenFile {
    int descriptor;
    std::uint64_t room;  // what the file may still take
  };
  static ssize_t Write(void* cookie, const char* bytes, size_t size) {
    OpenFile& file = *static_cast<OpenFile*>(cookie);
    if (size > file.room) {
      errno = ENOSPC;
      return -1;
    }
    for (size_t done = 0; done < size;) {
      const ssize_t written = write(file.descriptor, bytes + done, size - done);
      if (written < 0) return -1;
      done += static_cast<size_t>(written);
    }
    file.room -= size;
    return static_cast<ssize_t>(size);
  }
  static int Close(void* cookie) {
    OpenFile* file = static_cast<OpenFile*>(cookie);
    const int status = close(file->descriptor);
    delete file;
    return status;
  }

  std::uint64_t room_;
};
