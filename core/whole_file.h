#pragma once
// Files written whole or not at all. A file is written under a temporary
// name in its own folder, "<name>.<16 hex digits>.tmp", with an advisory
// lock held on it (flock, LockFileEx) so that a later run can tell it from
// one left by a killed run; every write and the close are checked, and only
// the complete file is renamed to its name, replacing what was there (a
// symlink under the name is replaced, not written through). On failure, or
// when the run is interrupted, the temporary file is removed and an older
// file under the name stays as it was.
#include <cstddef>
#include <cstdio>
#include <string>

struct WholeFile {
  std::string path;       // the final name
  std::string temporary;  // where it is being written
  std::FILE* stream = nullptr;
  int descriptor = -1;
  int cleanup_slot = -1;  // in core/interruption.h
  bool sync = false;
};

// Creates and locks the temporary file of path and registers it for removal
// on interruption. text: opened in text mode (the platform's line end);
// sync: the data is flushed to the disk before the rename. False with
// *reason (the system's text) when it cannot be created.
bool BeginWholeFile(const std::string& path, bool text, bool sync, WholeFile* file,
                    std::string* reason);

// Flushes and closes the stream, checking both and every earlier write, and
// renames the temporary file to the final name. False with *reason when
// anything failed; the temporary file is then removed.
bool FinishWholeFile(WholeFile* file, std::string* reason);

// Closes and removes the temporary file without touching the final name.
void AbandonWholeFile(WholeFile* file);

// The whole sequence for bytes already in memory.
bool WriteWholeFile(const std::string& path, const void* bytes, std::size_t size, bool sync,
                    std::string* reason);
