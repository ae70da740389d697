#pragma once
// The field synthesis written out plainly: every uniform block is added to
// the whole of the field grid on its own, as soon as it is found. The
// evaluation the program's block superposition must match byte for byte,
// console text included.
#include "core/magnet_color_table.h"
#include "core/workspace.h"
#include "field/field_scratch.h"

// Makes workspace.kernel_table hold the kernel for a table row and
// half-size at height z, keeping what it needs in scratch (the program's
// PrepareKernel, or a stand-in).
using KernelPreparer = void (*)(Workspace& workspace, FieldScratch& scratch, const MagnetColor& row,
                                int h, float z);

// field_grid[l][m][n] += sign * kernel_table[1281 - p0 - l][1281 - q0 - m][n]
// for every cell, l outermost, then m, then n.
void ReferenceAddBlockField(Workspace& workspace, int p0, int q0, float sign);

// All layers, passes and steps from height z with the same messages as
// SynthesizeField, scanning every table colour; kernels come from prepare,
// which is handed scratch. As the program does, leaves work_plane equal to
// picture_plane.
void ReferenceSynthesizeField(Workspace& workspace, FieldScratch& scratch, float z, int thickness,
                              KernelPreparer prepare);
