#pragma once
// The platform's calls on the C runtime file descriptors that whole files
// (core/whole_file.h) are written through, and the look at their lock that
// core/stale_temporaries.h takes; each platform's in whole_file_posix.cpp
// or whole_file_win32.cpp.
#include <cstdio>
#include <string>

// Creates path, which must not exist yet, for writing (text: the platform's
// line ends). The descriptor, or -1 with errno set.
int CreateNewFile(const std::string& path, bool text);

// Takes the writer's lock on descriptor without waiting; false when it is
// held elsewhere.
bool LockForWriting(int descriptor);

// True when no process holds the writer's lock on path (and it could be
// opened to look).
bool WriterLockIsFree(const std::string& path);

// A stream writing to descriptor, in the mode it was created in; closing
// the stream closes descriptor. nullptr with errno set when none can be made.
std::FILE* OpenWriteStream(int descriptor, bool text);

// Flushes descriptor's data to the disk; false when that failed.
bool SyncToDisk(int descriptor);

void CloseDescriptor(int descriptor);
