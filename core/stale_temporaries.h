#pragma once
// Removal of temporary files that a killed run (SIGKILL, a power cut) left
// behind. A temporary file of core/whole_file.h is stale when no process
// holds its lock and it has not been written for kStaleAfterSeconds; files
// that another run is still writing are never touched.
#include <string>

constexpr int kStaleAfterSeconds = 5 * 60;

// True for the names this program gives its temporary files:
// "<cache file or output name>.<hex digits>.tmp", where the name is a kernel
// cache file "Fluxart_Z….dat" or ends in one of the six output suffixes.
bool IsFluxartTemporaryName(const std::string& name);

// Removes the stale temporary files in folder ("" or "." for the current
// one). Quiet: a file that cannot be examined or removed is left alone.
// Returns how many were removed.
int RemoveStaleTemporaries(const std::string& folder);
