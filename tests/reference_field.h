#pragma once
// The field synthesis written out plainly: every uniform block is added to
// the whole of FieldGrid on its own, as soon as it is found. The evaluation
// the program's block superposition must match byte for byte, console text
// included.
#include "app/command_line.h"
#include "field/magnet_color_table.h"

// Makes KernelTable hold the kernel for a table row and half-size at
// CurrentZ (the program's PrepareKernel, or a stand-in).
using KernelPreparer = void (*)(const MagnetColor& row, int h);

// FieldGrid[l][m][n] += sign * KernelTable[1281 - p0 - l][1281 - q0 - m][n]
// for every cell, l outermost, then m, then n.
void ReferenceAddBlockField(int p0, int q0, float sign);

// All layers, passes and steps with the same messages as SynthesizeField,
// scanning every table colour; kernels come from prepare.
void ReferenceSynthesizeField(const RunSettings& settings, KernelPreparer prepare);
