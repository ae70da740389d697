#pragma once
// A whole run of the program with its straightforward stages: block fields
// added one block at a time, kernels computed plainly when they are not in
// the cache, contours drawn by full scans; everything else as the program
// does it. The yardstick for whole runs: the same files and console text,
// and the time a plain program would take.
#include "app/command_line.h"
#include "core/magnet_color_table.h"
#include "core/workspace.h"
#include "field/field_scratch.h"

// Runs the settings' picture in the current working directory with
// workspace and field_scratch, as the program does from StartRun on, and
// gives the program's exit status. The picture must decode to 640 x 640;
// otherwise the result is 1 and nothing is printed.
int ReferenceRun(const RunSettings& settings, Workspace& workspace, FieldScratch& field_scratch);

// Makes workspace.kernel_table hold the kernel of row and h at height z, as
// the program does: the kernel held (scratch.held_kernel) when it matches,
// else the cache file when h is 1 or more and the file is whole, else
// computed plainly (and stored when h is 1 or more, with the program's
// message).
void ReferencePrepareKernel(Workspace& workspace, FieldScratch& scratch, const MagnetColor& row,
                            int h, float z);
