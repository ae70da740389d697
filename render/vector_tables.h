#pragma once
// The three field-component tables of the field grid, in the field frame.
#include <cstddef>

#include "core/workspace.h"

// Width of the first value written to each table; later values have none.
constexpr int kFirstValueWidth = 12;

// Writes one table value into text (size bytes, always terminated): the
// float widened to double in scientific notation with 8 digits after the
// point, right-aligned in width characters (0 for no width). The only place
// that formats a value, so that every build formats them alike. Returns the
// length written.
int FormatTableValue(float value, int width, char* text, size_t size);

// Tells workspace.observer the stage begins and writes components 0, 1 and 2 of
// workspace.field_grid into the files i_name, j_name and k_name, cell by
// cell in step, one line per grid row, each file whole (core/whole_file.h),
// replacing existing files. A table
// that cannot be written is reported with one line naming it; the others
// are still written. Returns false when any table failed.
bool WriteVectorTables(const Workspace& workspace, const char* i_name, const char* j_name,
                       const char* k_name);
