#pragma once
// Contour drawing: the contour variable of every field_grid cell into
// magnitude_grid, 100 banded levels of it drawn into contour_plane in three
// cycling colours, and contour_plane turned half a turn into contour_image.
// Threads share the rows as options.threads says; the drawing is the same
// for any number.
#include "core/run_options.h"
#include "core/workspace.h"

// Fourth root of the squared magnitude of (c0, c1, c2): the sum of squares
// in single precision in that order, two square roots in double precision,
// one rounding back to single precision.
float ContourVariable(float c0, float c1, float c2);

struct ValueRange {
  float lowest;   // 100000000 when no cell was a number
  float highest;  // -100000000 when no cell was a number
};

// Fills workspace.magnitude_grid from workspace.field_grid and gives the
// lowest and highest value; values that are not numbers count for neither.
ValueRange ComputeMagnitudes(Workspace& workspace, const RunOptions& options = RunOptions());

struct ContourSweeps {
  int sweeps;       // complete sweeps drawn, 1 to 13
  int marked;       // cells drawn over all sweeps
  float tolerance;  // relative half-width of the bands of the last sweep
};

// Draws the levels lowest + k * step (k = 0..99) of magnitude_grid into
// contour_plane, which must start black: each sweep widens every band by
// 0.02 and draws still-black cells strictly inside it, until a complete sweep
// leaves 36000 cells or more drawn, or 13 sweeps have run. Uses
// contour_waiting_cells as scratch.
ContourSweeps DrawContourBands(Workspace& workspace, float lowest, float step,
                               const RunOptions& options = RunOptions());

// The whole stage: tells workspace.observer it begins, fills magnitude_grid from
// field_grid, draws into contour_plane (which must start black) and turns it
// into contour_image.
void DrawContours(Workspace& workspace, const RunOptions& options = RunOptions());
