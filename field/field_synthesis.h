#pragma once
// Builds the field of the picture. For each of |thickness| layers, at
// heights z, z + 1, ... (thickness >= 1) or z, z - 1, ... (otherwise), it
// cuts work_plane into uniform blocks of the magnet colours, largest first,
// and adds each block's kernel into field_grid, telling workspace.observer
// of each layer and step.
#include <iterator>

#include "core/magnet_color_table.h"
#include "core/run_options.h"
#include "core/workspace.h"
#include "field/field_scratch.h"

// The half-sizes of the blocks, one pass each, largest first.
inline constexpr int kBlockHalfSizes[] = {5, 3, 2, 1, 0};
// A layer's steps: one per pass and table row.
inline constexpr int kStepsPerLayer =
    static_cast<int>(std::size(kBlockHalfSizes)) * kMagnetColorCount;

// Reads picture_plane and work_plane (which must equal picture_plane); adds
// into field_grid; fills the kernel table, with scratch.held_kernel saying
// what it holds (a kernel held from an earlier run is used again); the cache
// notices start afresh; the rest of scratch is used as scratch. z is a whole
// number. On return work_plane equals picture_plane again.
void SynthesizeField(Workspace& workspace, FieldScratch& scratch, float z, int thickness,
                     const RunOptions& options = RunOptions());
