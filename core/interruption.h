#pragma once
// Removal of half-written temporary files when the run is interrupted:
// SIGINT, SIGTERM and SIGHUP (on Windows the console's Ctrl-C, Ctrl-Break
// and close events). The handler removes every registered file and the
// program then ends as that signal or event ends it by default (status 130,
// 143, 129 in the shell). SIGXFSZ and SIGPIPE are ignored, so that a write
// beyond the file-size limit or into a closed pipe fails as any other write
// does, and the run reports it and cleans up.
//
// This is process-wide state by necessity: a signal handler can reach
// nothing but globals. It is kept to a fixed table of a few slots that the
// handler only reads.

// Installs the handlers once; later calls do nothing.
void InstallInterruptionCleanup();

// Registers an open temporary file for removal on interruption. descriptor
// is its C runtime file descriptor (closed by the Windows handler, which runs
// on another thread and cannot delete an open file). Returns the slot, or -1
// when all slots are taken (then the file is simply not removed).
int RegisterTemporaryFile(const char* path, int descriptor);

// Removes every registered file now (a run that ends on a failure it cannot
// recover from, such as running out of memory) and forgets the slots.
void RemoveRegisteredTemporaries();

// Forgets the slot (-1 is ignored). Call it once the file is closed and
// renamed or removed.
void UnregisterTemporaryFile(int slot);

// Hold ... Release: while held, an interruption waits before it removes
// files (Windows, where the handler runs on another thread), so that a file
// is never closed or removed by both threads at once. A POSIX handler runs
// between instructions of this thread; there, removing a file that was
// already renamed fails harmlessly, and both calls do nothing.
void HoldInterruptionCleanup();
void ReleaseInterruptionCleanup();
