#pragma once
// Streamline strokes: short traces along the in-plane field of field_grid
// from a lattice of seeds, drawn into stream_plane (red forward, blue
// backward) and turned half a turn into stream_image.
#include "core/workspace.h"

// Sample a trace writes: red for forward traces, blue for backward ones.
constexpr int kRedSample = 0;
constexpr int kBlueSample = 2;

// Draws plane(row, col) by setting sample to 255 when the cell and its
// neighbours across the direction of travel (given by the sizes of the
// step's row and column parts) all have a red sample of 0; for an equal
// step, either diagonal pair of neighbourhoods must be free. Red blocks both
// kinds of trace, blue blocks nothing. Points closer than two cells to the
// edge are never drawn (traces keep to rows and columns 10 to 630).
void MarkIfClear(ImagePlane& plane, int row, int col, int abs_row_step, int abs_col_step,
                 int sample);

// Traces through workspace.field_grid into workspace.stream_plane from the
// seed cell in direction +1 (forward, red) or -1 (backward,
// blue): at most three steps of 4.5 cells along the field read at whole
// cells, 13 points drawn per step. The trace ends at a cell with no in-plane
// field or a field that is not finite, when a step would leave rows or
// columns 10 to 630, or when both field signs flip.
void TraceLine(Workspace& workspace, int seed_row, int seed_col, int direction);

// The whole stage: traces the 400 seeds of the 32-cell lattice row by row
// (forward, then backward), and turns stream_plane into stream_image.
// stream_plane must start black. It prints nothing: run control prints the
// stage's heading (RunStage::kStreamlines) where the console shows it,
// after the contour picture is saved.
void TraceStreamlines(Workspace& workspace);
