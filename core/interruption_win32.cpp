// The Windows half of core/interruption.h: a console handler that runs on
// a thread of its own, so registration, cleanup and the handler share one
// lock.
#include <io.h>
#include <windows.h>

#include "core/interruption.h"
#include "core/interruption_platform.h"

namespace {

// Made before main runs, so that registering needs no installation first.
struct SlotsLock {
  CRITICAL_SECTION section;
  SlotsLock() { InitializeCriticalSection(&section); }
} slots_lock;

// Closes and deletes every registered file, then lets the default handler
// end the process as usual.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  EnterCriticalSection(&slots_lock.section);
  RemoveEveryRegisteredFile();
  // Kept: the main thread must not start another file before the end.
  return FALSE;
}

}  // namespace

void LockSlotRegistration() { EnterCriticalSection(&slots_lock.section); }
void UnlockSlotRegistration() { LeaveCriticalSection(&slots_lock.section); }

void RemoveRegisteredFile(int descriptor, const char* path) {
  _close(descriptor);
  DeleteFileA(path);
}

void InstallInterruptionHandlers() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

void HoldInterruptionCleanup() { EnterCriticalSection(&slots_lock.section); }
void ReleaseInterruptionCleanup() { LeaveCriticalSection(&slots_lock.section); }
