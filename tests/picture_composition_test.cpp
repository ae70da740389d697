#include "render/picture_composition.h"

#include <gtest/gtest.h>
#include <lodepng.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/png_codec.h"
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

std::vector<unsigned char> DecodeFile(const std::string& path, lodepng::State* state) {
  std::vector<unsigned char> file, pixels;
  lodepng::load_file(file, path);
  unsigned width = 0, height = 0;
  state->info_raw.colortype = LCT_RGB;
  EXPECT_EQ(lodepng::decode(pixels, width, height, *state, file), 0u) << path;
  EXPECT_EQ(width, 640u);
  EXPECT_EQ(height, 640u);
  return pixels;
}

TEST_F(PictureCompositionTest, WrittenFilesDecodeToTheComposedPixelsOneFileEach) {
  ScratchDir scratch;
  lodepng::State state;
  SetUpPngState(state);
  state.info_png.interlace_method = 1;  // as a decoded interlaced input leaves it
  ASSERT_EQ(lodepng_add_text(&state.info_png, "Title", "magnets"), 0u);
  std::vector<unsigned char> png_bytes(100, 42);  // stale bytes are dropped

  ComposeContourPicture(ws, pixels_);
  const std::vector<unsigned char> contour = pixels_;
  testing::internal::CaptureStdout();
  EXPECT_EQ(WritePicture((scratch / "a.png").c_str(), "   +First+\n", state, pixels_, png_bytes),
            WriteResult::kWritten);
  ComposeStreamPicture(ws, pixels_);
  const std::vector<unsigned char> stream = pixels_;
  EXPECT_EQ(WritePicture((scratch / "b.png").c_str(), "   +Second+\n", state, pixels_, png_bytes),
            WriteResult::kWritten);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "   +First+\n\n   +Second+\n\n");

  const std::string a = ReadFile(scratch / "a.png"), b = ReadFile(scratch / "b.png");
  for (const std::string* file : {&a, &b}) {
    ASSERT_GT(file->size(), 20u);
    EXPECT_EQ(file->substr(1, 3), "PNG");
    EXPECT_EQ(file->find("IEND"), file->size() - 8) << "one image per file";
  }
  lodepng::State read_a, read_b;
  EXPECT_EQ(DecodeFile(scratch / "a.png", &read_a), contour);
  EXPECT_EQ(DecodeFile(scratch / "b.png", &read_b), stream);
  for (const lodepng::State* read : {&read_a, &read_b}) {
    EXPECT_EQ(read->info_png.interlace_method, 1u);
    ASSERT_EQ(read->info_png.text_num, 1u);
    EXPECT_STREQ(read->info_png.text_strings[0], "magnets");
  }
}

TEST_F(PictureCompositionTest, AFileThatCannotBeSavedIsReported) {
  ScratchDir scratch;
  lodepng::State state;
  SetUpPngState(state);
  std::vector<unsigned char> png_bytes;
  ComposeContourPicture(ws, pixels_);
  const std::string name = scratch / "missing/x.png";
  testing::internal::CaptureStdout();
  EXPECT_EQ(WritePicture(name.c_str(), "   +Writing+\n", state, pixels_, png_bytes),
            WriteResult::kSaveFailed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "   +Writing+\n\nfluxart: could not write " + name +
                " (No such file or directory); check the folder can be written\n");
}

TEST_F(PictureCompositionTest, AnEncodeFailurePrintsTheCodecLineAndWritesNothing) {
  ScratchDir scratch;
  lodepng::State state;
  SetUpPngState(state);
  state.info_raw.bitdepth = 16;  // the buffer is too small for 16-bit samples
  std::vector<unsigned char> png_bytes;
  ComposeContourPicture(ws, pixels_);
  testing::internal::CaptureStdout();
  EXPECT_EQ(WritePicture((scratch / "x.png").c_str(), "   +Writing+\n", state, pixels_, png_bytes),
            WriteResult::kEncodeFailed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            std::string("encoder error 84: ") + lodepng_error_text(84) + "\n");
  EXPECT_FALSE(FileExists(scratch / "x.png"));
}

}  // namespace
