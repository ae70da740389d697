#pragma once
// What each platform's half of core/interruption.h (interruption_posix.cpp,
// interruption_win32.cpp) gives the shared part in interruption.cpp, and
// what the shared part gives the halves' handlers.

// Installs the platform's handlers; InstallInterruptionCleanup calls it
// once.
void InstallInterruptionHandlers();

// Serialise registrations made by threads at once (the Python module's
// calls run side by side); on Windows the handler takes the same lock.
void LockSlotRegistration();
void UnlockSlotRegistration();

// Removes one registered file: a POSIX handler calls it between the
// instructions of any thread, so it does only what is safe there; on
// Windows an open file cannot be deleted, so descriptor is closed first.
void RemoveRegisteredFile(int descriptor, const char* path);

// Removes every registered file and frees its slot, reading the slots only
// through what is safe in a handler. Called by the handlers, and by
// RemoveRegisteredTemporaries with the cleanup held.
void RemoveEveryRegisteredFile();
