#include "render/picture_composition.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/workspace.h"
#include "tests/field_test_support.h"

namespace {

struct Rgb {
  int r, g, b;
};

void Set(ImagePlane& plane, int row, int col, Rgb c) {
  plane[row][col][0] = static_cast<int16_t>(c.r);
  plane[row][col][1] = static_cast<int16_t>(c.g);
  plane[row][col][2] = static_cast<int16_t>(c.b);
}

std::string PixelText(const std::vector<unsigned char>& pixels, int row, int col) {
  const unsigned char* p = &pixels[1920 * row + 3 * col];
  return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
}

// Counts pixels that differ from white, outside the first row.
int NonWhiteBelowRowZero(const std::vector<unsigned char>& pixels) {
  int count = 0;
  for (size_t i = 1920; i < pixels.size(); ++i) count += pixels[i] != 255;
  return count;
}

class PictureCompositionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto& row : ws.picture_plane)
      for (auto& cell : row) cell[0] = cell[1] = cell[2] = 255;
    const Rgb orange{255, 128, 0}, yellow{255, 255, 0}, green{0, 255, 0}, cyan{0, 255, 255};
    const Rgb red{255, 0, 0}, blue{0, 0, 255}, magenta{255, 0, 255};
    // Cell 0: a magnet under a contour and a stroke.
    Set(ws.picture_plane, 0, 0, orange);
    Set(ws.contour_image, 0, 0, yellow);
    Set(ws.stream_image, 0, 0, red);
    // Cell 1: magenta stroke over a contour.
    Set(ws.contour_image, 0, 1, yellow);
    Set(ws.stream_image, 0, 1, magenta);
    // Cell 2: a near-miss colour under a magenta stroke, no contour.
    Set(ws.picture_plane, 0, 2, {255, 100, 0});
    Set(ws.stream_image, 0, 2, magenta);
    // Cell 3: black picture pixel, red stroke over a cyan contour.
    Set(ws.picture_plane, 0, 3, {0, 0, 0});
    Set(ws.contour_image, 0, 3, cyan);
    Set(ws.stream_image, 0, 3, red);
    // Cell 4: blue stroke over a green contour.
    Set(ws.contour_image, 0, 4, green);
    Set(ws.stream_image, 0, 4, blue);
    // Cell 5: a magnet with nothing drawn.
    Set(ws.picture_plane, 0, 5, {0, 0, 255});
  }
  const std::unique_ptr<Workspace> owner_ = NewWorkspace();
  Workspace& ws = *owner_;
  std::vector<unsigned char> pixels_ = std::vector<unsigned char>(640 * 640 * 3, 7);
};

TEST_F(PictureCompositionTest, ContourPictureShowsMagnetsThenContours) {
  ComposeContourPicture(ws, pixels_);
  EXPECT_EQ(PixelText(pixels_, 0, 0), "255,128,0");
  EXPECT_EQ(PixelText(pixels_, 0, 1), "255,255,0");
  EXPECT_EQ(PixelText(pixels_, 0, 2), "255,255,255");
  EXPECT_EQ(PixelText(pixels_, 0, 3), "0,255,255");
  EXPECT_EQ(PixelText(pixels_, 0, 4), "0,255,0");
  EXPECT_EQ(PixelText(pixels_, 0, 5), "0,0,255");
  EXPECT_EQ(PixelText(pixels_, 0, 6), "255,255,255");
  EXPECT_EQ(NonWhiteBelowRowZero(pixels_), 0);
}

TEST_F(PictureCompositionTest, StreamPictureShowsMagnetsThenEveryStroke) {
  ComposeStreamPicture(ws, pixels_);
  EXPECT_EQ(PixelText(pixels_, 0, 0), "255,128,0");
  EXPECT_EQ(PixelText(pixels_, 0, 1), "255,0,255");
  EXPECT_EQ(PixelText(pixels_, 0, 2), "255,0,255");
  EXPECT_EQ(PixelText(pixels_, 0, 3), "255,0,0");
  EXPECT_EQ(PixelText(pixels_, 0, 4), "0,0,255");
  EXPECT_EQ(PixelText(pixels_, 0, 5), "0,0,255");
  EXPECT_EQ(NonWhiteBelowRowZero(pixels_), 0);
}

TEST_F(PictureCompositionTest, CombinedPictureTakesOnlyPureStrokesOverContours) {
  ComposeCombinedPicture(ws, pixels_);
  EXPECT_EQ(PixelText(pixels_, 0, 0), "255,128,0");
  EXPECT_EQ(PixelText(pixels_, 0, 1), "255,255,0") << "magenta falls through to the contour";
  EXPECT_EQ(PixelText(pixels_, 0, 2), "255,255,255") << "magenta falls through to white";
  EXPECT_EQ(PixelText(pixels_, 0, 3), "255,0,0");
  EXPECT_EQ(PixelText(pixels_, 0, 4), "0,0,255");
  EXPECT_EQ(PixelText(pixels_, 0, 5), "0,0,255");
  EXPECT_EQ(NonWhiteBelowRowZero(pixels_), 0);
}

}  // namespace
