#include "core/interruption.h"

#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>

#include <mutex>
#endif

namespace {

// Three tables and a picture may be open at once at most; one spare.
constexpr int kSlots = 5;
constexpr int kPathSize = 4096;

struct Slot {
  volatile std::sig_atomic_t used;
  int descriptor;
  char path[kPathSize];
};
Slot slots[kSlots];

#ifdef _WIN32
// Made before main runs, so that registering needs no installation first.
struct SlotsLock {
  CRITICAL_SECTION section;
  SlotsLock() { InitializeCriticalSection(&section); }
} slots_lock;

// Runs on a thread of its own: closes and deletes every registered file, then
// lets the default handler end the process as usual.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  EnterCriticalSection(&slots_lock.section);
  for (Slot& slot : slots) {
    if (!slot.used) continue;
    _close(slot.descriptor);
    DeleteFileA(slot.path);
    slot.used = 0;
  }
  // Kept: the main thread must not start another file before the end.
  return FALSE;
}
#else
// Threads that register files at the same time take turns (the Python
// module's calls run side by side); the signal handler only reads the slots.
std::mutex slots_lock;

void OnSignal(int signal_number) {
  for (Slot& slot : slots)
    if (slot.used) unlink(slot.path);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}
#endif

}  // namespace

void InstallInterruptionCleanup() {
  static bool installed = false;
  if (installed) return;
  installed = true;
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGHUP, OnSignal);
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

int RegisterTemporaryFile(const char* path, int descriptor) {
  const std::size_t length = std::strlen(path);
  if (length >= kPathSize) return -1;
#ifdef _WIN32
  EnterCriticalSection(&slots_lock.section);
#else
  const std::lock_guard<std::mutex> hold(slots_lock);
#endif
  int found = -1;
  for (int k = 0; k < kSlots && found < 0; ++k) {
    if (slots[k].used) continue;
    std::memcpy(slots[k].path, path, length + 1);
    slots[k].descriptor = descriptor;
    // The path is complete before the handler can see the slot in use.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slots[k].used = 1;
    found = k;
  }
#ifdef _WIN32
  LeaveCriticalSection(&slots_lock.section);
#endif
  return found;
}

void RemoveRegisteredTemporaries() {
  HoldInterruptionCleanup();
  for (Slot& slot : slots) {
    if (!slot.used) continue;
#ifdef _WIN32
    _close(slot.descriptor);  // an open file cannot be deleted there
    DeleteFileA(slot.path);
#else
    unlink(slot.path);
#endif
    slot.used = 0;
  }
  ReleaseInterruptionCleanup();
}

void UnregisterTemporaryFile(int slot) {
  if (slot >= 0 && slot < kSlots) slots[slot].used = 0;
}

void HoldInterruptionCleanup() {
#ifdef _WIN32
  EnterCriticalSection(&slots_lock.section);
#endif
}

void ReleaseInterruptionCleanup() {
#ifdef _WIN32
  LeaveCriticalSection(&slots_lock.section);
#endif
}
