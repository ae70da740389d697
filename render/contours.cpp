#include "render/contours.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/parallel_rows.h"

namespace {

constexpr int kLevels = 100;
constexpr int kMaxSweeps = 13;
constexpr int kEnoughMarked = 35999;  // a complete sweep beyond this ends the drawing
constexpr float kToleranceStep = 0.02f;
constexpr int kCells = kPictureSide * kPictureSide;

// A cell of the contour plane not drawn yet: every sample below 1.
bool IsUndrawn(const int16_t* cell) { return cell[0] < 1 && cell[1] < 1 && cell[2] < 1; }

// Colour index 0 is yellow, 1 green, 2 cyan.
void Paint(int16_t* cell, int color_index) {
  cell[1] = 255;
  if (color_index == 0) cell[0] = 255;
  if (color_index == 2) cell[2] = 255;
}

// The band limits of one sweep, formed exactly as the drawing defines them:
// level = k * step + lowest, lo = (1 - f) * level, hi = (1 + f) * level.
struct SweepBands {
  float lo[kLevels], hi[kLevels];
  // Levels whose band holds some number (lo < hi), in order.
  int open_levels[kLevels];
  int open_count;
  // True when lo and hi never fall as k grows and none is a NaN: then the
  // first band holding a value is found by search instead of by trying all.
  bool ordered;
  double guess_scale, guess_offset;  // the first level with hi > value is
                                     // near value * scale - offset
  int first_color;                   // colour index of level 0
};

SweepBands MakeBands(float lowest, float step, float tolerance, int first_color) {
  SweepBands bands;
  const float below = 1.0f - tolerance;
  const float above = 1.0f + tolerance;
  bands.open_count = 0;
  for (int k = 0; k < kLevels; ++k) {
    const float level = static_cast<float>(k) * step + lowest;
    bands.lo[k] = below * level;
    bands.hi[k] = above * level;
    if (bands.lo[k] < bands.hi[k]) bands.open_levels[bands.open_count++] = k;
  }
  bands.ordered = !std::isnan(bands.lo[0]) && !std::isnan(bands.hi[0]);
  for (int k = 0; k + 1 < kLevels; ++k)
    bands.ordered =
        bands.ordered && bands.lo[k] <= bands.lo[k + 1] && bands.hi[k] <= bands.hi[k + 1];
  const bool usable_step = step > 0.0f && std::isfinite(step) && std::isfinite(lowest);
  bands.guess_scale = usable_step ? 1.0 / (static_cast<double>(above) * step) : 0.0;
  bands.guess_offset = usable_step ? lowest / static_cast<double>(step) : 0.0;
  bands.first_color = first_color;
  return bands;
}

// The first level whose band holds value (not a NaN), or kLevels when none
// does. With ordered bands, the levels with hi > value are those from some
// k on, and of them only the first can hold the value, since lo grows with
// k. The level spacing gives a guess of that k which exact comparisons
// confirm, or else a binary search finds it.
int FirstBandHolding(const SweepBands& bands, float value) {
  if (!bands.ordered) {
    for (int i = 0; i < bands.open_count; ++i) {
      const int k = bands.open_levels[i];
      if (bands.lo[k] < value && value < bands.hi[k]) return k;
    }
    return kLevels;
  }
  const double guess = value * bands.guess_scale - bands.guess_offset;
  int k = guess >= 0.0 ? (guess < kLevels ? static_cast<int>(guess) + 1 : kLevels) : 0;
  const bool confirmed =
      (k == 0 || !(bands.hi[k - 1] > value)) && (k == kLevels || bands.hi[k] > value);
  if (!confirmed)
    k = static_cast<int>(std::upper_bound(bands.hi, bands.hi + kLevels, value) - bands.hi);
  return k < kLevels && bands.lo[k] < value ? k : kLevels;
}

// One sweep over waiting_cells[first..end), the cells that a band may still
// draw: draws every cell inside some band, moves the others to the front of
// the share, in place; gives the number drawn and the share's new end
// through the pointers.
void SweepShare(const SweepBands& bands, const MagnitudeGrid& magnitudes, ImagePlane& plane,
                int* waiting_cells, int first, int end, int* new_end, int* marked) {
  const float* values = &magnitudes[0][0];
  int16_t* samples = &plane[0][0][0];
  int kept = first;
  int drawn = 0;
  for (int w = first; w < end; ++w) {
    const int cell = waiting_cells[w];
    const int k = FirstBandHolding(bands, values[cell]);
    if (k < kLevels) {
      Paint(samples + 3 * cell, (bands.first_color + k) % 3);
      ++drawn;
    } else {
      waiting_cells[kept++] = cell;
    }
  }
  *new_end = kept;
  *marked = drawn;
}

}  // namespace

float ContourVariable(float c0, float c1, float c2) {
  const float sum_of_squares = (c0 * c0 + c1 * c1) + c2 * c2;
  return static_cast<float>(std::sqrt(std::sqrt(static_cast<double>(sum_of_squares))));
}

// Rows are shared among threads. The lowest and highest value do not depend
// on the order in which cells are met: no value is -0 (squares sum to +0 at
// least), so equal values are the same number, and NaNs count for neither.
ValueRange ComputeMagnitudes(Workspace& workspace, const RunOptions& options) {
  const int threads = std::max(1, options.threads);
  const FieldGrid& field = workspace.field_grid;
  MagnitudeGrid& magnitudes = workspace.magnitude_grid;
  std::vector<ValueRange> parts(static_cast<size_t>(threads));
  RunParts(threads, [&parts, &field, &magnitudes, threads](int part) {
    ValueRange range{100000000.0f, -100000000.0f};
    const int end_row = PartStart(kPictureSide, part + 1, threads);
    for (int l = PartStart(kPictureSide, part, threads); l < end_row; ++l)
      for (int m = 0; m < kPictureSide; ++m) {
        const float* c = field[l][m];
        const float value = ContourVariable(c[0], c[1], c[2]);
        magnitudes[l][m] = value;
        if (value < range.lowest) range.lowest = value;
        if (value > range.highest) range.highest = value;
      }
    parts[static_cast<size_t>(part)] = range;
  });
  ValueRange range{100000000.0f, -100000000.0f};
  for (const ValueRange& part : parts) {
    if (part.lowest < range.lowest) range.lowest = part.lowest;
    if (part.highest > range.highest) range.highest = part.highest;
  }
  return range;
}

// Each cell takes the colour of the first (sweep, level) whose band holds
// it while it is black, so a sweep is one pass over the cells still waiting,
// each finding its first band in that sweep; the count of a complete sweep
// decides whether another follows, as in a scan of every band.
ContourSweeps DrawContourBands(Workspace& workspace, float lowest, float step,
                               const RunOptions& options) {
  const float* values = &workspace.magnitude_grid[0][0];
  const int16_t* samples = &workspace.contour_plane[0][0][0];
  int* waiting_cells = workspace.contour_waiting_cells;
  int waiting = 0;
  for (int cell = 0; cell < kCells; ++cell)
    if (!std::isnan(values[cell]) && IsUndrawn(samples + 3 * cell)) waiting_cells[waiting++] = cell;
  const int threads = std::max(1, options.threads);
  std::vector<int> share_first(static_cast<size_t>(threads)),
      share_end(static_cast<size_t>(threads)), share_marked(static_cast<size_t>(threads));
  for (int t = 0; t < threads; ++t) {
    share_first[static_cast<size_t>(t)] = PartStart(waiting, t, threads);
    share_end[static_cast<size_t>(t)] = PartStart(waiting, t + 1, threads);
  }

  ContourSweeps result{0, 0, 0.0f};
  for (;;) {
    result.tolerance += kToleranceStep;
    // The colour index runs on over all levels of all sweeps: 100 per sweep.
    const SweepBands bands =
        MakeBands(lowest, step, result.tolerance, (result.sweeps * kLevels) % 3);
    if (bands.open_count > 0) {
      RunParts(threads, [&](int t) {
        const size_t s = static_cast<size_t>(t);
        SweepShare(bands, workspace.magnitude_grid, workspace.contour_plane, waiting_cells,
                   share_first[s], share_end[s], &share_end[s], &share_marked[s]);
      });
      for (int marked : share_marked) result.marked += marked;
    }
    ++result.sweeps;
    if (result.marked > kEnoughMarked || result.sweeps == kMaxSweeps) return result;
  }
}

void DrawContours(Workspace& workspace, const RunOptions& options) {
  workspace.observer->StageStarted(RunStage::kContours);
  const ValueRange range = ComputeMagnitudes(workspace, options);
  const float step = (range.highest - range.lowest) / 100.0f;
  DrawContourBands(workspace, range.lowest, step, options);
  HalfTurnCopy(workspace.contour_plane, workspace.contour_image);
}
