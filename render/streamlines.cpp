#include "render/streamlines.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSeedSpacing = 32;
constexpr int kStepsPerTrace = 3;
constexpr float kStepLength = 4.5f;
constexpr int kPointDivisor = 12;  // points k = 0..12 along each step
constexpr int kLowestCell = 10;
constexpr int kHighestCell = 630;

bool RedFree(const ImagePlane& plane, int row, int col) { return plane[row][col][kRedSample] == 0; }

int Sign(float v) { return v > 0.0f ? 1 : (v < 0.0f ? -1 : 0); }

// Nearest whole number, halves away from zero. v must be finite and small.
int RoundToInt(float v) { return static_cast<int>(std::round(v)); }

bool OutOfBounds(int cell) { return cell < kLowestCell || cell > kHighestCell; }

}  // namespace

void MarkIfClear(ImagePlane& plane, int row, int col, int abs_row_step, int abs_col_step,
                 int sample) {
  if (row < 2 || col < 2 || row > kPictureSide - 3 || col > kPictureSide - 3) return;
  if (!RedFree(plane, row, col)) return;
  bool clear;
  if (abs_row_step > abs_col_step) {
    clear = RedFree(plane, row, col - 1) && RedFree(plane, row, col + 1) &&
            RedFree(plane, row, col - 2) && RedFree(plane, row, col + 2);
  } else if (abs_row_step < abs_col_step) {
    clear = RedFree(plane, row - 1, col) && RedFree(plane, row + 1, col) &&
            RedFree(plane, row - 2, col) && RedFree(plane, row + 2, col);
  } else {
    clear = (RedFree(plane, row - 1, col - 1) && RedFree(plane, row + 1, col + 1) &&
             RedFree(plane, row - 2, col - 2) && RedFree(plane, row + 2, col + 2)) ||
            (RedFree(plane, row + 1, col - 1) && RedFree(plane, row - 1, col + 1) &&
             RedFree(plane, row + 2, col - 2) && RedFree(plane, row - 2, col + 2));
  }
  if (clear) plane[row][col][sample] = 255;
}

void TraceLine(Workspace& workspace, int seed_row, int seed_col, int direction) {
  const int sample = direction > 0 ? kRedSample : kBlueSample;
  int row = seed_row, col = seed_col;
  int previous_sx = 0, previous_sy = 0;
  for (int steps_left = kStepsPerTrace; steps_left > 0; --steps_left) {
    const float x = workspace.field_grid[row][col][0];
    const float y = workspace.field_grid[row][col][1];
    const int sx = Sign(x), sy = Sign(y);
    const float b = std::sqrt(x * x + y * y);
    // With no in-plane field the trace would stay on this cell, drawing
    // nothing, until its steps run out. A field that is not finite is never
    // drawn, so that no such value reaches an integer conversion.
    if (b == 0.0f || !std::isfinite(b)) return;

    const int row_step = RoundToInt(x * kStepLength / b);
    const int col_step = RoundToInt(y * kStepLength / b);
    const int new_row = row + direction * row_step;
    const int new_col = col + direction * col_step;
    if (OutOfBounds(new_row) || OutOfBounds(new_col)) return;
    if (sx + previous_sx == 0 && sy + previous_sy == 0) return;

    const int abs_row_step = std::abs(row_step), abs_col_step = std::abs(col_step);
    for (int k = 0; k <= kPointDivisor; ++k) {
      const float t = static_cast<float>(k);
      const float w = 1.0f - t / kPointDivisor;
      const float point_row =
          (static_cast<float>(new_row) * t) / kPointDivisor + static_cast<float>(row) * w;
      const float point_col =
          (static_cast<float>(new_col) * t) / kPointDivisor + static_cast<float>(col) * w;
      MarkIfClear(workspace.stream_plane, RoundToInt(point_row), RoundToInt(point_col),
                  abs_row_step, abs_col_step, sample);
    }
    previous_sx = sx;
    previous_sy = sy;
    row = new_row;
    col = new_col;
  }
}

void TraceStreamlines(Workspace& workspace) {
  for (int r = 0; r < kPictureSide; r += kSeedSpacing)
    for (int col = 0; col < kPictureSide; col += kSeedSpacing) {
      TraceLine(workspace, r, col, +1);
      TraceLine(workspace, r, col, -1);
    }
  HalfTurnCopy(workspace.stream_plane, workspace.stream_image);
}
