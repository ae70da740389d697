#pragma once
// Removal of temporary files that a killed run (SIGKILL, a power cut) left
// behind. A temporary file of core/whole_file.h is stale when no process
// holds its lock and it has not been written for kStaleAfterSeconds; files
// that another run is still writing are never touched.
#include <string>

constexpr int kStaleAfterSeconds = 5 * 60;

// True for the exact form of a kernel cache file's name (no folder):
// "Fluxart_Z" + 4 digits + "_" + 7 digits + ".dat".
bool IsKernelCacheName(const std::string& file_name);

// True for the exact form of an output file's name (no folder): at most 12
// characters without a ".", then "_", "Z" + 4 digits and one of the six
// output suffixes.
bool IsOutputFileName(const std::string& file_name);

// True for the names this program gives its temporary files, in their exact
// form: "<cache file or output name>.<16 hex digits>.tmp".
bool IsFluxartTemporaryName(const std::string& file_name);

// Removes the stale temporary files in folder ("" or "." for the current
// one), except the file keep names (the drawing, under whatever name; ""
// for none). Quiet: a file that cannot be examined or removed is left
// alone. Returns how many were removed.
int RemoveStaleTemporaries(const std::string& folder, const std::string& keep = "");
