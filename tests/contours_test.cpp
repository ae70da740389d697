#include "render/contours.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/workspace.h"
#include "tests/field_test_support.h"

namespace {

struct Color {
  int r, g, b;
  bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b; }
};
constexpr Color kBlack{0, 0, 0}, kYellow{255, 255, 0}, kGreen{0, 255, 0}, kCyan{0, 255, 255};

Color At(const ImagePlane& plane, int row, int col) {
  const int16_t* cell = plane[row][col];
  return {cell[0], cell[1], cell[2]};
}

void FillMagnitudes(Workspace& ws, float value) {
  for (auto& row : ws.magnitude_grid)
    for (float& cell : row) cell = value;
}

class ContoursTest : public ::testing::Test {
 protected:
  const std::unique_ptr<Workspace> owner_ = NewWorkspace();
  Workspace& ws = *owner_;
};

TEST(ContourVariable, SumsInOrderThenTakesTwoDoubleRoots) {
  EXPECT_EQ(ContourVariable(0, 0, 0), 0.0f);
  EXPECT_EQ(ContourVariable(0, 0, -16), 4.0f);  // fourth root of 256
  // Adding the squares in another order gives 1.25893021.
  EXPECT_EQ(ContourVariable(-1.12035894f, 1.11131716f, 0.147289038f), 1.25893009f);
  // Single-precision roots give 2.13327098.
  EXPECT_EQ(ContourVariable(2.59534407f, -2.99931383f, -2.23125339f), 2.13327074f);
  EXPECT_TRUE(std::isnan(ContourVariable(std::nanf(""), 1, 1)));
}

TEST_F(ContoursTest, ConstantFieldIsAllYellowAfterOneSweepAndTurned) {
  for (auto& row : ws.field_grid)
    for (auto& cell : row) {
      cell[0] = 3;
      cell[1] = -4;
      cell[2] = 0;
    }
  ws.field_grid[0][0][1] = std::nanf("");
  ws.field_grid[1][2][2] = std::nanf("");

  const ValueRange range = ComputeMagnitudes(ws);
  EXPECT_EQ(range.lowest, static_cast<float>(std::sqrt(5.0)));
  EXPECT_EQ(range.highest, range.lowest);
  EXPECT_TRUE(std::isnan(ws.magnitude_grid[0][0]));

  std::memset(ws.field_grid, 0, sizeof(FieldGrid));
  for (auto& row : ws.field_grid)
    for (auto& cell : row) cell[0] = 9;
  ws.field_grid[0][0][1] = std::nanf("");
  testing::internal::CaptureStdout();
  DrawContours(ws);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\n\n   +Calculating Isopotential Contours+\n\n");
  for (int r = 0; r < 640; ++r)
    for (int col = 0; col < 640; ++col) {
      const Color expected = (r == 639 && col == 639) ? kBlack : kYellow;
      ASSERT_TRUE(At(ws.contour_image, r, col) == expected) << r << "," << col;
    }
  EXPECT_EQ(ws.magnitude_grid[5][5], 3.0f);
}

TEST_F(ContoursTest, ZeroFieldDrawsNothingInThirteenSweeps) {
  const ValueRange range = ComputeMagnitudes(ws);
  EXPECT_EQ(range.lowest, 0.0f);
  EXPECT_EQ(range.highest, 0.0f);
  const ContourSweeps result = DrawContourBands(ws, range.lowest, 0.0f);
  EXPECT_EQ(result.sweeps, 13);
  EXPECT_EQ(result.marked, 0);
  EXPECT_NEAR(result.tolerance, 0.26f, 1e-6f);
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m) ASSERT_TRUE(At(ws.contour_plane, l, m) == kBlack);
}

TEST_F(ContoursTest, ValuesOnABandLimitAreNotDrawn) {
  FillMagnitudes(ws, 100.0f);
  const float lo = (1.0f - 0.02f) * 100.0f;
  const float hi = (1.0f + 0.02f) * 100.0f;
  ws.magnitude_grid[10][10] = lo;
  ws.magnitude_grid[10][11] = hi;
  ws.magnitude_grid[10][12] = std::nextafter(lo, 200.0f);
  ws.magnitude_grid[10][13] = std::nextafter(hi, 0.0f);
  const ContourSweeps result = DrawContourBands(ws, 100.0f, 1000.0f);
  EXPECT_EQ(result.sweeps, 1);
  EXPECT_EQ(result.marked, 640 * 640 - 2);
  EXPECT_TRUE(At(ws.contour_plane, 10, 10) == kBlack);
  EXPECT_TRUE(At(ws.contour_plane, 10, 11) == kBlack);
  EXPECT_TRUE(At(ws.contour_plane, 10, 12) == kYellow);
  EXPECT_TRUE(At(ws.contour_plane, 10, 13) == kYellow);
}

TEST_F(ContoursTest, StopsOnlyWhenACompleteSweepLeavesMoreThan35999) {
  // 35999 cells drawn in sweep 1 are not enough; one more in sweep 2 is.
  for (int i = 0; i < 35999; ++i) ws.magnitude_grid[i / 640][i % 640] = 100.0f;
  ws.magnitude_grid[639][639] = 103.0f;
  const ContourSweeps result = DrawContourBands(ws, 100.0f, 1000.0f);
  EXPECT_EQ(result.sweeps, 2);
  EXPECT_EQ(result.marked, 36000);
  EXPECT_TRUE(At(ws.contour_plane, 639, 639) == kGreen);
}

TEST_F(ContoursTest, ColorsRunOnAcrossSweepsAndLowerLevelsWin) {
  // Levels 100, 120, 140, ...; bands widen by 2 % per sweep.
  ws.magnitude_grid[1][0] = 100.5f;  // sweep 1, level 0
  ws.magnitude_grid[1][1] = 103.0f;  // sweep 2, level 0
  ws.magnitude_grid[1][2] = 116.0f;  // sweep 2, level 1
  ws.magnitude_grid[1][3] = 114.0f;  // sweep 3, level 1
  ws.magnitude_grid[1][4] = 169.4f;  // sweep 3, inside the bands of levels 3 and 4
  ws.magnitude_grid[1][5] = 107.0f;  // sweep 4 only
  // Enough cells for sweep 3, level 0, to end the drawing after that sweep;
  // the later levels of sweep 3 are still drawn.
  for (int i = 0; i < 36000; ++i) ws.magnitude_grid[100 + i / 640][i % 640] = 105.0f;

  const ContourSweeps result = DrawContourBands(ws, 100.0f, 20.0f);
  EXPECT_EQ(result.sweeps, 3);
  EXPECT_EQ(result.marked, 36005);
  EXPECT_TRUE(At(ws.contour_plane, 1, 0) == kYellow);
  EXPECT_TRUE(At(ws.contour_plane, 1, 1) == kGreen);
  EXPECT_TRUE(At(ws.contour_plane, 1, 2) == kCyan);
  EXPECT_TRUE(At(ws.contour_plane, 1, 3) == kYellow);
  EXPECT_TRUE(At(ws.contour_plane, 1, 4) == kCyan);
  EXPECT_TRUE(At(ws.contour_plane, 1, 5) == kBlack);
  EXPECT_TRUE(At(ws.contour_plane, 100, 0) == kCyan);
  EXPECT_TRUE(At(ws.contour_plane, 0, 0) == kBlack);
}

}  // namespace
