#pragma once
// What the platform halves of core/regular_file.h (regular_file_posix.cpp,
// regular_file_win32.cpp) share, from regular_file.cpp.
#include <cstdio>
#include <string>

#include "core/regular_file.h"

// The kind of file a stat's st_mode says.
FileKind KindOfMode(unsigned mode);

// For an open or stat that failed with errno: sets *kind (kMissing for no
// such file or folder, else kUnreadable) and *reason, when given, to the
// system's text. Gives nullptr, for the caller to return.
std::FILE* FailedOpen(FileKind* kind, std::string* reason);
