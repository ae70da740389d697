#pragma once
// Builds the field of the picture. For each of |thickness| layers, at
// workspace.z, z + 1, ... (thickness >= 1) or z, z - 1, ... (otherwise), it
// cuts work_plane into uniform blocks of the magnet colours, largest first,
// and adds each block's kernel into field_grid, telling workspace.observer
// of each layer and step.
//
// Reads picture_plane, work_plane (which must equal picture_plane) and z;
// adds into field_grid; uses the kernel table and the scratch. On return
// work_plane equals picture_plane again and z is back at its starting value.
#include <iterator>

#include "core/magnet_color_table.h"
#include "core/run_options.h"
#include "core/workspace.h"

// The half-sizes of the blocks, one pass each, largest first.
inline constexpr int kBlockHalfSizes[] = {5, 3, 2, 1, 0};
// A layer's steps: one per pass and table row.
inline constexpr int kStepsPerLayer =
    static_cast<int>(std::size(kBlockHalfSizes)) * kMagnetColorCount;

void SynthesizeField(Workspace& workspace, int thickness, const RunOptions& options = RunOptions());

// One step of a layer at workspace.z: finds the uniform (2h + 1)-sided
// blocks of row's colour on the pass's lattice in work_plane and paints each
// white, preparing the kernel at the first one; then adds all their fields
// at once into field_grid, which SynthesizeField holds half-turned during
// the layers.
void ProcessColorStep(Workspace& workspace, const MagnetColor& row, int h,
                      const RunOptions& options = RunOptions());

// True when every pixel of the block of half-size h centred at (p0, q0) in
// work_plane has exactly the colour (r, g, b).
bool BlockIsUniform(const Workspace& workspace, int p0, int q0, int h, int r, int g, int b);
