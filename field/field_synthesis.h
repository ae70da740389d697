#pragma once
// Builds the field of the picture: for each of |w| layers, cuts WorkPlane
// into uniform blocks of the magnet colours and adds each block's kernel into
// FieldGrid, printing the layer headers and the step counter. Reads
// PicturePlane/WorkPlane and CurrentZ; on return WorkPlane equals
// PicturePlane and CurrentZ has moved by |w|.
#include "app/command_line.h"

void SynthesizeField(const RunSettings& settings);
