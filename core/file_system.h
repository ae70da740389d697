#pragma once
// The seam between the program's writes and the file system: the stream a
// written file's bytes go through and the room left on a folder's disk.
// The program uses the system's own; a test puts in one that runs out of
// room, to see a full disk handled without making one.
#include <cstdint>
#include <cstdio>
#include <string>

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // A stream writing to descriptor, a file just created for writing in
  // text or binary mode; closing the stream closes descriptor. nullptr,
  // with errno set, when none can be made.
  virtual std::FILE* WriteStream(int descriptor, bool text) = 0;
  // Sets *bytes to the room unprivileged users have on folder's file
  // system. False when that cannot be learnt or the file system reports no
  // size at all (such as /proc).
  virtual bool FreeBytes(const std::string& folder, std::uint64_t* bytes) = 0;
};

// The file system the program's writes go through: the system's own unless
// a test put another in place.
FileSystem& ActiveFileSystem();

// Puts file_system in place (nullptr: the system's own again). For tests,
// while no file is being written.
void UseFileSystem(FileSystem* file_system);
