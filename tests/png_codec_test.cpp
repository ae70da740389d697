// Decoding input files (the bytes path that the file path goes through, and
// files that are not plain files) and writing the picture files.
#include "app/png_codec.h"

#include <gtest/gtest.h>
#include <lodepng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/test_support.h"

namespace {

std::vector<unsigned char> PngBytes(const Drawing& drawing) {
  std::vector<unsigned char> png;
  EXPECT_EQ(lodepng::encode(png, drawing.rgb, drawing.width, drawing.height, LCT_RGB, 8), 0u);
  return png;
}

DecodedInput DecodeBytes(const std::vector<unsigned char>& bytes,
                         std::vector<unsigned char>* pixels) {
  lodepng::State state;
  SetUpPngState(state);
  return DecodeInputBytes(bytes, state, *pixels);
}

TEST(DecodeInputBytes, GivesThePixelsOrTheReasonWithoutTouchingAFile) {
  Drawing drawing;
  drawing.FillRect(10, 20, 30, 40, 255, 0, 0);
  std::vector<unsigned char> pixels;
  DecodedInput input = DecodeBytes(PngBytes(drawing), &pixels);
  EXPECT_EQ(input.status, InputStatus::kDecoded);
  EXPECT_EQ(input.width, 640u);
  EXPECT_EQ(input.height, 640u);
  EXPECT_TRUE(pixels == drawing.rgb);

  // The wrong size is told from the header alone: nothing is decoded.
  pixels.clear();
  input = DecodeBytes(PngBytes(Drawing(640, 639)), &pixels);
  EXPECT_EQ(input.status, InputStatus::kWrongSize);
  EXPECT_EQ(input.height, 639u);
  EXPECT_TRUE(pixels.empty());

  input = DecodeBytes({}, &pixels);
  EXPECT_EQ(input.status, InputStatus::kDecodeError);
  EXPECT_EQ(input.error, 48u);
  std::vector<unsigned char> cut = PngBytes(drawing);
  cut.resize(cut.size() / 2);
  input = DecodeBytes(cut, &pixels);
  EXPECT_EQ(input.status, InputStatus::kDecodeError);
  EXPECT_NE(input.error, 0u);
}

// Names that are no drawing: the codec's line, then one saying what the name
// is. A FIFO with no writer, and a device, are never waited on or read. A
// folder opens as a stream that ends at the largest offset there is; it was
// once reported as a file above the size limit.
TEST(LoadAndDecodeInput, SomethingThatIsNotAPlainFileReadsAsEmpty) {
  ScratchDir dir;
  ASSERT_EQ(mkdir((dir / "folder.png").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((dir / "fifo.png").c_str(), 0644), 0);
  std::ofstream(dir / "empty.png").flush();
  std::ofstream(dir / "a.png") << "x";
  const std::string codec_line =
      "decoder error 48: empty input buffer given to decoder. Maybe caused by non-existing "
      "file?\n";
  const std::pair<std::string, std::string> cases[] = {
      {"missing.png", "fluxart: missing.png was not found; check the drawing's name and folder\n"},
      {"a.png\r",
       "fluxart: the name a.png is followed by a carriage return, and no file has that name; give "
       "the name without it\n"},
      {"folder.png",
       "fluxart: folder.png is a folder, not a drawing; give the drawing's file name\n"},
      {"fifo.png",
       "fluxart: fifo.png is not a regular file (a device, a pipe or a socket); give a PNG file\n"},
      {"/dev/zero",
       "fluxart: /dev/zero is not a regular file (a device, a pipe or a socket); give a PNG "
       "file\n"},
      {"empty.png", "fluxart: empty.png is empty; give a PNG file\n"},
  };
  RunResult run;
  for (const auto& [name, line] : cases) {
    run = RunFluxart(dir.path(), {name});
    EXPECT_EQ(run.output, codec_line + line) << name;
    EXPECT_EQ(run.status, 1) << name;
  }

  // A plain file above the limit (sparse here) is still refused unread.
  FILE* huge = std::fopen((dir / "huge.png").c_str(), "wb");
  ASSERT_NE(huge, nullptr);
  std::fclose(huge);
  ASSERT_EQ(truncate((dir / "huge.png").c_str(), static_cast<off_t>(kMaxInputFileBytes) + 1), 0);
  run = RunFluxart(dir.path(), {"huge.png"});
  EXPECT_EQ(run.output,
            "fluxart: huge.png is larger than 64 MiB; a 640 x 640 drawing is far smaller\n");
  EXPECT_EQ(run.status, 1);
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

// Two pictures, each in a file of its own with its message printed, decode
// back to their pixels with the interlace method and text the state holds.
TEST(SavePicture, WrittenFilesDecodeToTheirPixelsOneFileEach) {
  ScratchDir scratch;
  lodepng::State state;
  SetUpPngState(state);
  state.info_png.interlace_method = 1;  // as a decoded interlaced input leaves it
  ASSERT_EQ(lodepng_add_text(&state.info_png, "Title", "magnets"), 0u);
  std::vector<unsigned char> png_bytes(100, 42);  // stale bytes are dropped

  Drawing first, second;
  first.FillRect(0, 0, 3, 5, 255, 128, 0);
  second.FillRect(600, 10, 40, 2, 0, 0, 255);
  const std::vector<unsigned char>& a_pixels = first.rgb;
  const std::vector<unsigned char>& b_pixels = second.rgb;
  testing::internal::CaptureStdout();
  EXPECT_EQ(SavePicture((scratch / "a.png").c_str(), "   +First+\n",
                        EncodePicture(state, a_pixels, png_bytes), png_bytes),
            WriteResult::kWritten);
  EXPECT_EQ(SavePicture((scratch / "b.png").c_str(), "   +Second+\n",
                        EncodePicture(state, b_pixels, png_bytes), png_bytes),
            WriteResult::kWritten);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "   +First+\n\n   +Second+\n\n");

  const std::string a = ReadFile(scratch / "a.png"), b = ReadFile(scratch / "b.png");
  for (const std::string* file : {&a, &b}) {
    ASSERT_GT(file->size(), 20u);
    EXPECT_EQ(file->substr(1, 3), "PNG");
    EXPECT_EQ(file->find("IEND"), file->size() - 8) << "one image per file";
  }
  lodepng::State read_a, read_b;
  EXPECT_EQ(DecodeFile(scratch / "a.png", &read_a), a_pixels);
  EXPECT_EQ(DecodeFile(scratch / "b.png", &read_b), b_pixels);
  for (const lodepng::State* read : {&read_a, &read_b}) {
    EXPECT_EQ(read->info_png.interlace_method, 1u);
    ASSERT_EQ(read->info_png.text_num, 1u);
    EXPECT_STREQ(read->info_png.text_strings[0], "magnets");
  }
}

TEST(SavePicture, AFileThatCannotBeSavedIsReported) {
  ScratchDir scratch;
  lodepng::State state;
  SetUpPngState(state);
  std::vector<unsigned char> png_bytes;
  const std::vector<unsigned char> pixels = Drawing().rgb;
  const std::string name = scratch / "missing/x.png";
  testing::internal::CaptureStdout();
  EXPECT_EQ(SavePicture(name.c_str(), "   +Writing+\n", EncodePicture(state, pixels, png_bytes),
                        png_bytes),
            WriteResult::kSaveFailed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "   +Writing+\n\nfluxart: could not write " + name +
                " (No such file or directory); check the folder can be written\n");
}

TEST(SavePicture, AnEncodeFailurePrintsTheCodecLineAndWritesNothing) {
  ScratchDir scratch;
  lodepng::State state;
  SetUpPngState(state);
  state.info_raw.bitdepth = 16;  // the buffer is too small for 16-bit samples
  std::vector<unsigned char> png_bytes;
  const std::vector<unsigned char> pixels = Drawing().rgb;
  testing::internal::CaptureStdout();
  EXPECT_EQ(SavePicture((scratch / "x.png").c_str(), "   +Writing+\n",
                        EncodePicture(state, pixels, png_bytes), png_bytes),
            WriteResult::kEncodeFailed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            std::string("encoder error 84: ") + lodepng_error_text(84) + "\n");
  EXPECT_FALSE(FileExists(scratch / "x.png"));
}

// The trial encode finds a setting the encoder refuses before anything is
// computed; a grey profile is such a setting until it is dropped.
TEST(TryPictureEncoding, FindsRefusedSettingsThatDroppingAnUnfitProfileMends) {
  lodepng::State state;
  SetUpPngState(state);
  std::vector<unsigned char> pixels(640 * 640 * 3, 255), png;
  EXPECT_EQ(TryPictureEncoding(state, pixels, png), 0u);
  std::vector<unsigned char> grey(132, 0);
  std::copy_n("GRAY", 4, grey.begin() + 16);
  ASSERT_EQ(lodepng_set_icc(&state.info_png, "grey", grey.data(), 132), 0u);
  EXPECT_EQ(TryPictureEncoding(state, pixels, png), 102u) << "the outputs are coloured";
  EXPECT_TRUE(png.empty());
  DropProfileUnfitForRgb(state);
  EXPECT_FALSE(state.info_png.iccp_defined);
  EXPECT_EQ(TryPictureEncoding(state, pixels, png), 0u);

  std::vector<unsigned char> rgb = grey;
  std::copy_n("RGB ", 4, rgb.begin() + 16);
  ASSERT_EQ(lodepng_set_icc(&state.info_png, "rgb", rgb.data(), 132), 0u);
  DropProfileUnfitForRgb(state);
  EXPECT_TRUE(state.info_png.iccp_defined) << "an RGB profile is kept";
}

}  // namespace
