// The POSIX half of core/interruption.h: signal handlers that run on the
// interrupted thread, between its instructions.
#include <unistd.h>

#include <csignal>
#include <mutex>

#include "core/interruption.h"
#include "core/interruption_platform.h"

namespace {

// Registrations take turns; the signal handler only reads the slots.
std::mutex slots_lock;

void OnSignal(int signal_number) {
  RemoveEveryRegisteredFile();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

void LockSlotRegistration() { slots_lock.lock(); }
void UnlockSlotRegistration() { slots_lock.unlock(); }

// unlink is safe in a signal handler; the descriptor stays with its stream.
void RemoveRegisteredFile(int, const char* path) { unlink(path); }

void InstallInterruptionHandlers() {
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGHUP, OnSignal);
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
}

// Removing a file that was already renamed fails harmlessly here.
void HoldInterruptionCleanup() {}
void ReleaseInterruptionCleanup() {}
