#include "tools/raster.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/test_support.h"

namespace {

// The mean position of all non-white pixels, relative to (row, col).
void Centroid(const RgbCanvas& canvas, double row, double col, double* up, double* right) {
  double sum_up = 0, sum_right = 0;
  int count = 0;
  for (int r = 0; r < canvas.height; ++r)
    for (int c = 0; c < canvas.width; ++c)
      if (PixelAt(canvas, r, c) != kWhite) {
        sum_up += row - (r + 0.5);
        sum_right += (c + 0.5) - col;
        ++count;
      }
  ASSERT_GT(count, 0);
  *up = sum_up / count;
  *right = sum_right / count;
}

// The barbs sit at the tip, so the ink leans towards where the arrow points.
TEST(DrawArrow, PointsLikeAClockHand) {
  const double pi = std::acos(-1.0);
  for (int degrees = 0; degrees < 360; degrees += 45) {
    RgbCanvas canvas = MakeCanvas(64, 64);
    DrawArrow(canvas, 32, 32, 40, degrees, 1, kBlack);
    double up = 0, right = 0;
    Centroid(canvas, 32, 32, &up, &right);
    double seen = std::atan2(right, up) * 180 / pi;
    if (seen < 0) seen += 360;
    const double error = std::fabs(std::remainder(seen - degrees, 360.0));
    EXPECT_LT(error, 5.0) << degrees << " degrees drawn as " << seen;
  }
}

TEST(DrawLine, LeavesNoGapsAtShallowSlopes) {
  RgbCanvas canvas = MakeCanvas(20, 100);
  DrawLine(canvas, 5.5, 0.5, 12.5, 99.5, 1, kBlack);
  for (int col = 0; col < 100; ++col) {
    int inked = 0;
    for (int row = 0; row < 20; ++row) inked += PixelAt(canvas, row, col) == kBlack;
    EXPECT_GE(inked, 1) << "column " << col;
  }
}

TEST(FillDisc, CoversPixelsWhoseCentresAreInside) {
  RgbCanvas canvas = MakeCanvas(10, 10);
  FillDisc(canvas, 5, 5, 2, kBlack);
  int inked = 0;
  for (int row = 0; row < 10; ++row)
    for (int col = 0; col < 10; ++col) inked += PixelAt(canvas, row, col) == kBlack;
  EXPECT_EQ(inked, 12);  // the 4 x 4 block around the centre, less its corners
  EXPECT_TRUE(PixelAt(canvas, 4, 4) == kBlack);
  EXPECT_TRUE(PixelAt(canvas, 3, 3) == kWhite);
}

TEST(Shrink, AveragesBlocksAndKeepsFlatColorsExact) {
  RgbCanvas canvas = MakeCanvas(4, 2, Rgb{255, 100, 1});
  PaintPixel(canvas, 0, 0, kBlack);
  PaintPixel(canvas, 1, 1, kBlack);
  const RgbCanvas small = Shrink(canvas, 2);
  ASSERT_EQ(small.width, 2);
  ASSERT_EQ(small.height, 1);
  EXPECT_TRUE(PixelAt(small, 0, 0) == (Rgb{128, 50, 1}));  // halves round up
  EXPECT_TRUE(PixelAt(small, 0, 1) == (Rgb{255, 100, 1}));
}

TEST(PngFiles, RoundTripExactly) {
  ScratchDir scratch;
  RgbCanvas canvas = MakeCanvas(7, 3);
  PaintPixel(canvas, 2, 6, Rgb{255, 100, 1});
  PaintPixel(canvas, -1, 0, kBlack);  // outside: ignored
  ASSERT_EQ(WritePngFile(scratch / "p.png", canvas), 0u);
  RgbCanvas read;
  ASSERT_EQ(ReadPngFile(scratch / "p.png", &read), 0u);
  EXPECT_EQ(read.width, 7);
  EXPECT_EQ(read.height, 3);
  EXPECT_TRUE(read.rgb == canvas.rgb);
  EXPECT_NE(ReadPngFile(scratch / "missing.png", &read), 0u);
}

}  // namespace
