#pragma once
// The three field-component tables of FieldGrid, in the field frame.
#include "app/output_names.h"

// Prints the stage message and writes the i, j and k tables cell by cell in
// step. A table that cannot be written is reported with one line naming it;
// the others are still written. Returns false when any table failed.
bool WriteVectorTables(const OutputNames& names);
