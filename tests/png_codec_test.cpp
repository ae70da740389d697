// Decoding input files: the bytes path that the file path goes through, and
// files that are not plain files.
#include "app/png_codec.h"

#include <gtest/gtest.h>
#include <lodepng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

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

TEST(LoadAndDecodeInput, SomethingThatIsNotAPlainFileReadsAsEmpty) {
  // A folder opens as a stream that ends at the largest offset there is; it
  // was once reported as a file above the size limit.
  ScratchDir dir;
  ASSERT_EQ(mkdir((dir / "folder.png").c_str(), 0755), 0);
  RunResult run = RunFluxart(dir.path(), {"folder.png"});
  EXPECT_EQ(run.output,
            "decoder error 48: empty input buffer given to decoder. Maybe caused by non-existing "
            "file?\n");
  EXPECT_EQ(run.status, 1);
  run = RunFluxart(dir.path(), {"/dev/null"});
  EXPECT_EQ(run.output.rfind("decoder error 48: ", 0), 0u);

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

}  // namespace
