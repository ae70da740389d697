#pragma once
// Contour drawing: the contour variable of every FieldGrid cell into
// MagnitudeGrid, 100 banded levels of it drawn into ContourPlane in three
// cycling colours, and ContourPlane turned half a turn into ContourImage.

// Fourth root of the squared magnitude of (c0, c1, c2): the sum of squares
// in single precision in that order, two square roots in double precision,
// one rounding back to single precision.
float ContourVariable(float c0, float c1, float c2);

struct ValueRange {
  float lowest;   // 100000000 when no cell was a number
  float highest;  // -100000000 when no cell was a number
};

// Fills MagnitudeGrid from FieldGrid and gives the lowest and highest value;
// values that are not numbers count for neither.
ValueRange ComputeMagnitudes();

struct ContourSweeps {
  int sweeps;       // complete sweeps drawn, 1 to 13
  int marked;       // cells drawn over all sweeps
  float tolerance;  // relative half-width of the bands of the last sweep
};

// Draws the levels lowest + k * step (k = 0..99) of MagnitudeGrid into
// ContourPlane, which must start black: each sweep widens every band by 0.02
// and draws still-black cells strictly inside it, until a complete sweep
// leaves 36000 cells or more drawn, or 13 sweeps have run.
ContourSweeps DrawContourBands(float lowest, float step);

// The whole stage: prints its message, fills MagnitudeGrid, draws into
// ContourPlane and turns it into ContourImage.
void DrawContours();

// Number of threads the stage uses (at least 1); the default is the number
// of processors, at most 8. The drawing is the same for any number.
void SetContourThreads(int threads);
int ContourThreads();
