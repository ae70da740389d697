#include "render/contours.h"

#include <cmath>
#include <cstdio>

#include "app/grids.h"

namespace {

constexpr int kLevels = 100;
constexpr int kMaxSweeps = 13;
constexpr int kEnoughMarked = 35999;  // a complete sweep beyond this ends the drawing
constexpr float kToleranceStep = 0.02f;

// A cell of ContourPlane not drawn yet: every sample below 1.
bool IsBlack(const int16_t* cell) { return cell[0] < 1 && cell[1] < 1 && cell[2] < 1; }

// Colour index 0 is yellow, 1 green, 2 cyan.
void Paint(int16_t* cell, int colour_index) {
  cell[1] = 255;
  if (colour_index == 0) cell[0] = 255;
  if (colour_index == 2) cell[2] = 255;
}

// Draws one band; returns the number of cells drawn.
int DrawBand(float lo, float hi, int colour_index) {
  int marked = 0;
  for (int l = 0; l < kPictureSide; ++l)
    for (int m = 0; m < kPictureSide; ++m) {
      const float value = MagnitudeGrid[l][m];
      if (lo < value && value < hi && IsBlack(ContourPlane[l][m])) {
        Paint(ContourPlane[l][m], colour_index);
        ++marked;
      }
    }
  return marked;
}

}  // namespace

float ContourVariable(float c0, float c1, float c2) {
  const float sum_of_squares = (c0 * c0 + c1 * c1) + c2 * c2;
  return static_cast<float>(std::sqrt(std::sqrt(static_cast<double>(sum_of_squares))));
}

ValueRange ComputeMagnitudes() {
  ValueRange range{100000000.0f, -100000000.0f};
  for (int l = 0; l < kPictureSide; ++l)
    for (int m = 0; m < kPictureSide; ++m) {
      const float* c = FieldGrid[l][m];
      const float value = ContourVariable(c[0], c[1], c[2]);
      MagnitudeGrid[l][m] = value;
      if (value < range.lowest) range.lowest = value;
      if (value > range.highest) range.highest = value;
    }
  return range;
}

ContourSweeps DrawContourBands(float lowest, float step) {
  ContourSweeps result{0, 0, 0.0f};
  int colour_index = -1;  // runs on across sweeps, never reset
  for (;;) {
    result.tolerance += kToleranceStep;
    const float below = 1.0f - result.tolerance;
    const float above = 1.0f + result.tolerance;
    for (int k = 0; k < kLevels; ++k) {
      if (++colour_index == 3) colour_index = 0;
      const float level = static_cast<float>(k) * step + lowest;
      result.marked += DrawBand(below * level, above * level, colour_index);
    }
    ++result.sweeps;
    if (result.marked > kEnoughMarked || result.sweeps == kMaxSweeps) return result;
  }
}

void DrawContours() {
  std::fputs("\n\n   +Calculating Isopotential Contours+\n\n", stdout);
  std::fflush(stdout);
  const ValueRange range = ComputeMagnitudes();
  const float step = (range.highest - range.lowest) / 100.0f;
  DrawContourBands(range.lowest, step);
  HalfTurnCopy(ContourPlane, ContourImage);
}
