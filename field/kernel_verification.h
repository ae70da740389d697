#pragma once
// Checks that a kernel table read from a cache file is the kernel its name
// says, without computing the whole kernel again: every value must lie in
// the range a kernel of that h and z can hold, and cells sampled across the
// table must equal, bit for bit, their own evaluation in the table's order
// of operations. The samples are the centre, rings around it along both
// axes and both signs, the corners and edges, and one cell in every 64,800
// bytes of the file, so that any corrupted stretch of 64 KiB or more holds
// a sample. A smaller stretch of in-range values can go unnoticed.
#include <cstddef>
#include <vector>

#include "core/workspace.h"
#include "field/charge_model.h"

// The entry [p][q] of the kernel of (kind, h, angle) at height z, summed
// cube by cube in the loop order i, j exactly as the whole table is.
FieldVector DirectKernelEntry(int kind, int h, int angle, float z, int p, int q);

// The largest size any component of a kernel of half-size h at height z
// can have (with room for rounding). Every model sums at most 2 (2h + 1)^2
// charges, none nearer the field point than max(|z| - 0.2, 0.2) mm.
float KernelValueBound(int h, float z);

// True when a and b have the same bits, so that -0 and +0 differ and a NaN
// equals itself.
bool SameBits(float a, float b);

// True when every one of the count values is finite and no larger than
// bound in size.
bool ValuesWithin(const float* values, std::size_t count, float bound);

struct KernelCell {
  int p, q;  // row and column of the table
};

// The sampled cells of the kernel of half-size h that lie in rows
// [row_begin, row_end).
std::vector<KernelCell> SampledCells(int h, int row_begin = 0, int row_end = kKernelSide);

// True when the sampled cells of table in rows [row_begin, row_end) match
// DirectKernelEntry bit for bit.
bool SampledCellsMatch(int kind, int h, int angle, float z, const KernelTable& table,
                       int row_begin = 0, int row_end = kKernelSide);
