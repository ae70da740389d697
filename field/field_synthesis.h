#pragma once
// Builds the field of the picture: for each of |w| layers, cuts WorkPlane
// into uniform blocks of the magnet colours and adds each block's kernel into
// FieldGrid, printing the layer headers and the step counter. Reads
// PicturePlane/WorkPlane and CurrentZ; on return WorkPlane equals
// PicturePlane and CurrentZ has moved by |w|.
#include "app/command_line.h"
#include "field/magnet_color_table.h"

void SynthesizeField(const RunSettings& settings);

// One step of a layer: finds the uniform (2h + 1)-sided blocks of row's
// colour on the pass's lattice in WorkPlane and paints each white, preparing
// the kernel at the first one; then adds all their fields at once into
// FieldGrid, which SynthesizeField holds half-turned during the layers.
void ProcessColorStep(const MagnetColor& row, int h);

// Makes KernelTable hold the kernel of (h, row's kind and angle, CurrentZ),
// calling an entry point only when the remembered kernel differs.
void PrepareKernel(const MagnetColor& row, int h);

// True when every pixel of the block of half-size h centred at (p0, q0) in
// WorkPlane has exactly the colour (r, g, b).
bool BlockIsUniform(int p0, int q0, int h, int r, int g, int b);

// Forgets which kernel KernelTable holds, so the next block prepares one.
// The run starts this way; tests running several pictures call it.
void ForgetKernel();
