#include "core/interruption.h"

#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstring>

#include "core/interruption_platform.h"

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

}  // namespace

void InstallInterruptionCleanup() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  InstallInterruptionHandlers();
}

void RemoveEveryRegisteredFile() {
  for (Slot& slot : slots) {
    if (!slot.used) continue;
    RemoveRegisteredFile(slot.descriptor, slot.path);
    slot.used = 0;
  }
}

int RegisterTemporaryFile(const char* path, int descriptor) {
  const std::size_t length = std::strlen(path);
  if (length >= kPathSize) return -1;
  LockSlotRegistration();
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
  UnlockSlotRegistration();
  return found;
}

void RemoveRegisteredTemporaries() {
  HoldInterruptionCleanup();
  RemoveEveryRegisteredFile();
  ReleaseInterruptionCleanup();
}

void UnregisterTemporaryFile(int slot) {
  if (slot >= 0 && slot < kSlots) slots[slot].used = 0;
}
