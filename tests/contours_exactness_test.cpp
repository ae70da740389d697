// The contour stage against the plain scan of every band: magnitude_grid,
// contour_plane, contour_image and the message byte for byte, on real fields
// and on fields made to hit the awkward cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/workspace.h"
#include "field/field_synthesis.h"
#include "reference/contours.h"
#include "render/contours.h"
#include "tests/field_test_support.h"

namespace {

struct StageResult {
  std::string output;
  std::vector<float> magnitudes;
  std::vector<int16_t> plane, image;
};

// Runs a contour stage on the given field in a fresh workspace; pre_drawn
// cells of the contour plane are painted first.
StageResult RunStage(const std::vector<float>& field, bool reference,
                     const std::vector<int>& pre_drawn = {},
                     const RunOptions& options = RunOptions()) {
  const auto owner = NewWorkspace();
  Workspace& ws = *owner;
  std::memcpy(ws.field_grid, field.data(), sizeof(FieldGrid));
  for (int cell : pre_drawn) ws.contour_plane[cell / 640][cell % 640][2] = 7;
  testing::internal::CaptureStdout();
  if (reference)
    ReferenceDrawContours(ws);
  else
    DrawContours(ws, options);
  StageResult result;
  result.output = testing::internal::GetCapturedStdout();
  result.magnitudes.assign(&ws.magnitude_grid[0][0], &ws.magnitude_grid[0][0] + 640 * 640);
  result.plane.assign(&ws.contour_plane[0][0][0], &ws.contour_plane[0][0][0] + 640 * 640 * 3);
  result.image.assign(&ws.contour_image[0][0][0], &ws.contour_image[0][0][0] + 640 * 640 * 3);
  return result;
}

bool SameBytes(const StageResult& a, const StageResult& b) {
  return a.output == b.output &&
         std::memcmp(a.magnitudes.data(), b.magnitudes.data(), a.magnitudes.size() * 4) == 0 &&
         a.plane == b.plane && a.image == b.image;
}

// How many cells the stage drew: a check that a case drew what it meant to.
int DrawnCells(const StageResult& result) {
  int drawn = 0;
  for (size_t k = 1; k < result.plane.size(); k += 3) drawn += result.plane[k] == 255;
  return drawn;
}

void ExpectSameAsReference(const std::vector<float>& field, const std::string& what,
                           const std::vector<int>& pre_drawn = {}) {
  const StageResult expected = RunStage(field, true, pre_drawn);
  const StageResult fast = RunStage(field, false, pre_drawn);
  EXPECT_TRUE(SameBytes(fast, expected)) << what << ": " << DrawnCells(expected) << " cells drawn";
}

std::vector<float> FieldOf(const std::function<float(int l, int m, int n)>& component) {
  std::vector<float> field(640 * 640 * 3);
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m)
      for (int n = 0; n < 3; ++n) field[(l * 640 + m) * 3 + n] = component(l, m, n);
  return field;
}

// Fields of single-pixel magnets of every kind, synthesised by the program
// (only single-cube kernels are needed), at several heights.
TEST(ContoursExactness, RealFields) {
  ScratchDir dir;
  WorkingDirectory cwd(dir.path());
  Drawing drawing;
  for (int k = 0; k < 40; ++k)
    drawing.Paint(200 + 3 * k, 150 + 2 * k, 255, 255, 128);                 // planar line
  for (int k = 0; k < 30; ++k) drawing.Paint(500, 100 + 4 * k, 0, 0, 255);  // axial
  drawing.Paint(50, 600, 255, 0, 128);                                      // monopole
  drawing.Paint(639, 0, 128, 0, 128);
  const auto owner = NewWorkspace();
  Workspace& ws = *owner;
  const auto scratch = NewFieldScratch();
  for (float z : {3.0f, 1.0f, 0.0f, -2.0f}) {
    StartRun(ws, *scratch, drawing);
    testing::internal::CaptureStdout();
    SynthesizeField(ws, *scratch, z, 1);
    testing::internal::GetCapturedStdout();
    const std::vector<float> field(&ws.field_grid[0][0][0],
                                   &ws.field_grid[0][0][0] + 640 * 640 * 3);
    ExpectSameAsReference(field, "z " + std::to_string(z));
  }
}

TEST(ContoursExactness, SpecialFields) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  auto noise = [&](float scale) {
    return FieldOf([&](int, int, int) { return scale * unit(rng); });
  };
  // A point source: bands drawn over several sweeps.
  const std::vector<float> source = FieldOf([](int l, int m, int n) {
    const double d[3] = {l - 320.5, m - 300.25, 3.0};
    const double r2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    return static_cast<float>(d[n] / (r2 * std::sqrt(r2)));
  });

  ExpectSameAsReference(std::vector<float>(640 * 640 * 3, 0.0f), "zero field");
  ExpectSameAsReference(std::vector<float>(640 * 640 * 3, -2.5f), "constant field");
  ExpectSameAsReference(std::vector<float>(640 * 640 * 3, nan), "no numbers");
  ExpectSameAsReference(noise(1.0f), "noise");
  ExpectSameAsReference(noise(1e-30f), "tiny values, squares vanish");
  ExpectSameAsReference(noise(1e30f), "huge values, squares overflow");
  // Values above the lowest value's starting point: levels all but equal.
  ExpectSameAsReference(
      FieldOf([](int l, int m, int) { return 1e17f * (1.0f + 1e-7f * ((l + m) % 7)); }),
      "values beyond 1e8");
  // Whole numbers: many values fall on band limits exactly.
  ExpectSameAsReference(
      FieldOf([&](int, int, int) { return static_cast<float>(static_cast<int>(8 * unit(rng))); }),
      "whole numbers");
  std::vector<float> holes = source;
  holes[(5 * 640 + 5) * 3] = nan;
  holes[(7 * 640 + 9) * 3 + 2] = -nan;
  ExpectSameAsReference(holes, "source with NaN cells");
  holes[(600 * 640 + 9) * 3 + 1] = inf;
  ExpectSameAsReference(holes, "source with an infinite cell");
  // Cells already coloured before the drawing are left alone and not counted.
  std::vector<int> pre_drawn;
  for (int cell = 0; cell < 640 * 640; cell += 3) pre_drawn.push_back(cell);
  ExpectSameAsReference(source, "source over a half-drawn plane", pre_drawn);
}

// Values exactly on every band limit of every sweep and one step to either
// side, among random ones, drawn straight from the magnitude grid.
TEST(ContoursExactness, ValuesOnAndBesideEveryBandLimit) {
  for (const float step : {0.0123f, 0.0f}) {
    const float lowest = 0.37f;
    std::vector<float> values;
    float f = 0.0f;
    for (int sweep = 0; sweep < 13; ++sweep) {
      f = f + 0.02f;
      for (int k = 0; k < 100; ++k) {
        const float h = static_cast<float>(k) * step + lowest;
        for (const float limit : {(1.0f - f) * h, (1.0f + f) * h})
          for (const float value :
               {limit, std::nextafter(limit, 0.0f), std::nextafter(limit, 9.0f)})
            values.push_back(value);
      }
    }
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> spread(0.0f, 2.0f);
    while (values.size() < 640 * 640) values.push_back(spread(rng));
    std::shuffle(values.begin(), values.end(), rng);

    const auto owner = NewWorkspace();
    Workspace& ws = *owner;
    std::memcpy(ws.magnitude_grid, values.data(), sizeof(MagnitudeGrid));
    const ContourSweeps expected = ReferenceDrawContourBands(ws, lowest, step);
    const std::vector<int16_t> plane(&ws.contour_plane[0][0][0],
                                     &ws.contour_plane[0][0][0] + 640 * 640 * 3);
    std::memset(ws.contour_plane, 0, sizeof(ImagePlane));
    const ContourSweeps fast = DrawContourBands(ws, lowest, step);
    EXPECT_EQ(std::memcmp(plane.data(), ws.contour_plane, sizeof(ImagePlane)), 0)
        << "step " << step;
    EXPECT_EQ(fast.sweeps, expected.sweeps);
    EXPECT_EQ(fast.marked, expected.marked);
    EXPECT_EQ(fast.tolerance, expected.tolerance);
  }
}

TEST(ContoursExactness, ThreadCountDoesNotChangeTheDrawing) {
  const std::vector<float> field = FieldOf([](int l, int m, int n) {
    const double d[3] = {l - 100.0, m - 500.0, 2.0};
    const double r2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    return static_cast<float>(d[n] / (r2 * r2)) + 1e-7f * static_cast<float>((l * 7 + m) % 11);
  });
  const StageResult one = RunStage(field, false, {}, RunOptions{1});
  for (int threads : {2, 3, 7})
    EXPECT_TRUE(SameBytes(RunStage(field, false, {}, RunOptions{threads}), one))
        << threads << " threads";
  EXPECT_GT(DrawnCells(one), 5000);
}

}  // namespace
