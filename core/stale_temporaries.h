#pragma once
// Removal of temporary files that a killed run (SIGKILL, a power cut) left
// behind. A temporary file of core/whole_file.h is stale when no process
// holds its lock and it has not been written for kStaleAfterSeconds; files
// that another run is still writing are never touched. Which names are
// temporary files is core/file_names.h's to say.
#include <string>

constexpr int kStaleAfterSeconds = 5 * 60;

// Removes the stale temporary files in folder ("" or "." for the current
// one), except the file keep names (the drawing, under whatever name; ""
// for none). Quiet: a file that cannot be examined or removed is left
// alone. Returns how many were removed.
int RemoveStaleTemporaries(const std::string& folder, const std::string& keep = "");
