// The program as a user meets it before any field is drawn: arguments and
// prompt, banners, decoding and its failures, exit statuses.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <algorithm>
#include <fstream>

#include "app/banners.h"
#include "app/png_codec.h"
#include "tests/test_support.h"

namespace {

std::string Fixture(const std::string& name) {
  return ReadFile(std::string(FLUXART_SOURCE_DIR) + "/tests/fixtures/" + name);
}

TEST(Banners, MatchTheirFixturesByteForByte) {
  std::string usage = UsageBanner();
  EXPECT_EQ(usage, Fixture("usage_banner.txt"));
  std::string run = RunBanner();
  EXPECT_EQ(run, Fixture("run_banner.txt"));
  // Every line of the usage banner is 72 wide, of the run banner 64 wide.
  EXPECT_EQ(usage.size(), 1u + 43u * 73u);
  EXPECT_EQ(run.size(), 2u + 15u * 65u + 64u);
  EXPECT_NE(run.back(), '\n');
}

TEST(Prompt, ShortLinesEndTheRunQuietlyAndLongerOnesAreFileNames) {
  ScratchDir dir;
  const std::string banner_and_prompt =
      Fixture("usage_banner.txt") + "      PNG 640x640 filename? (blank to exit): ";
  for (const char* input : {"", "\n", "a.pn\n", "abcd"}) {
    RunResult run = RunFluxart(dir.path(), {}, input);
    EXPECT_EQ(run.status, 0) << input;
    EXPECT_EQ(run.output, banner_and_prompt) << input;
  }
  // Five characters go on to the decode, which fails on a missing file.
  RunResult run = RunFluxart(dir.path(), {}, "a.png\n");
  EXPECT_EQ(run.output,
            banner_and_prompt +
                "decoder error 48: empty input buffer given to decoder. Maybe caused by "
                "non-existing file?\n"
                "fluxart: a.png was not found; check the drawing's name and folder\n");
  EXPECT_EQ(run.status, 1);
  // Five arguments are ignored in favour of the prompt.
  run = RunFluxart(dir.path(), {"x.png", "3", "1", "v", "extra"}, "");
  EXPECT_EQ(run.output, banner_and_prompt);
}

TEST(Decoding, FailuresPrintTheCodecLineWithoutABanner) {
  ScratchDir dir;
  std::ofstream(dir / "text.png") << "This is a text file and no picture at all.\n";
  const RunResult run = RunFluxart(dir.path(), {"text.png", "3"});
  EXPECT_EQ(run.output, "decoder error 28: incorrect PNG signature, it's no PNG or corrupted\n");
  EXPECT_EQ(run.status, 1);
}

TEST(Decoding, WrongSizeIsReportedAfterTheBannerWithItsSize) {
  ScratchDir dir;
  WritePng(dir / "wide.png", Drawing(641, 640));
  RunResult run = RunFluxart(dir.path(), {"wide.png"});
  EXPECT_EQ(run.output,
            Fixture("run_banner.txt") +
                "\nfluxart: wide.png is 641 x 640 pixels; the drawing must be 640 x 640\n");
  EXPECT_EQ(run.status, 1);
}

// A 640 x 640 RGB PNG whose image data inflates to `megabytes` of zeros.
std::vector<unsigned char> InflationBomb(size_t megabytes) {
  std::vector<unsigned char> zeros(megabytes << 20, 0);
  unsigned char* deflated = nullptr;
  size_t deflated_size = 0;
  LodePNGCompressSettings settings;
  lodepng_compress_settings_init(&settings);
  lodepng_zlib_compress(&deflated, &deflated_size, zeros.data(), zeros.size(), &settings);
  unsigned char* chunks = nullptr;
  size_t chunks_size = 0;
  const unsigned char header[13] = {0, 0, 2, 128, 0, 0, 2, 128, 8, 2, 0, 0, 0};
  lodepng_chunk_create(&chunks, &chunks_size, 13, "IHDR", header);
  lodepng_chunk_create(&chunks, &chunks_size, static_cast<unsigned>(deflated_size), "IDAT",
                       deflated);
  lodepng_chunk_create(&chunks, &chunks_size, 0, "IEND", nullptr);
  const unsigned char signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  std::vector<unsigned char> png(chunks, chunks + chunks_size);
  png.insert(png.begin(), signature, signature + 8);
  free(deflated);
  free(chunks);
  return png;
}

TEST(Decoding, HostilePicturesEndWithAnErrorAndNoHugeAllocation) {
  ScratchDir dir;
  // A header announcing 100000 x 100000 pixels is never decoded.
  Drawing tiny(1, 1);
  std::vector<unsigned char> png;
  ASSERT_EQ(lodepng::encode(png, tiny.rgb, 1, 1, LCT_RGB, 8), 0u);
  const unsigned char huge[8] = {0, 1, 134, 160, 0, 1, 134, 160};  // 100000, 100000
  std::copy(huge, huge + 8, png.begin() + 16);
  unsigned crc = lodepng_crc32(&png[12], 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
  lodepng::save_file(png, dir / "huge.png");
  RunResult run = RunFluxart(dir.path(), {"huge.png"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("huge.png is 100000 x 100000 pixels"), std::string::npos);

  // Image data that inflates to 256 MB stops at the decoder's limit.
  lodepng::save_file(InflationBomb(256), dir / "bomb.png");
  lodepng::State state;
  SetUpPngState(state);
  std::vector<unsigned char> file_bytes, pixels;
  DecodedInput input = LoadAndDecodeInput(dir / "bomb.png", state, file_bytes, pixels);
  EXPECT_EQ(input.status, InputStatus::kDecodeError);
  EXPECT_EQ(input.error, 109u);
  run = RunFluxart(dir.path(), {"bomb.png"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.rfind("decoder error 109: ", 0), 0u);
}

const unsigned char kPaletteColors[4][3] = {
    {255, 255, 255}, {255, 255, 128}, {0, 0, 255}, {0, 0, 0}};

TEST(Decoding, EveryPngFlavourDecodesToTheSameRgbPixels) {
  ScratchDir dir;
  // A few colours, few enough for a palette, including a magnet colour.
  Drawing drawing;
  drawing.FillRect(100, 100, 50, 80, 255, 255, 128);
  drawing.FillRect(300, 200, 20, 20, 0, 0, 255);
  drawing.FillRect(400, 10, 5, 600, 0, 0, 0);
  std::vector<unsigned char> rgba, rgb16, grey, indices;
  for (size_t i = 0; i < drawing.rgb.size(); i += 3) {
    for (unsigned char index = 0; index < 4; ++index)
      if (std::equal(drawing.rgb.begin() + i, drawing.rgb.begin() + i + 3, kPaletteColors[index]))
        indices.push_back(index);
    rgba.insert(rgba.end(), {drawing.rgb[i], drawing.rgb[i + 1], drawing.rgb[i + 2], 0});
    for (int k = 0; k < 3; ++k) rgb16.insert(rgb16.end(), {drawing.rgb[i + k], 0x5a});
    grey.push_back(drawing.rgb[i]);
  }
  auto encode = [&](const std::string& name, const std::vector<unsigned char>& raw,
                    LodePNGColorType type, unsigned depth, LodePNGColorType file_type,
                    unsigned file_depth, unsigned interlace) {
    lodepng::State state;
    state.info_raw.colortype = type;
    state.info_raw.bitdepth = depth;
    state.info_png.color.colortype = file_type;
    state.info_png.color.bitdepth = file_depth;
    state.info_png.interlace_method = interlace;
    state.encoder.auto_convert = 0;
    if (type == LCT_PALETTE) {
      for (const unsigned char* c : kPaletteColors) {
        lodepng_palette_add(&state.info_raw, c[0], c[1], c[2], 255);
        lodepng_palette_add(&state.info_png.color, c[0], c[1], c[2], 255);
      }
    }
    std::vector<unsigned char> png;
    ASSERT_EQ(lodepng::encode(png, raw, 640, 640, state), 0u) << name;
    lodepng::save_file(png, dir / name);
  };
  encode("plain.png", drawing.rgb, LCT_RGB, 8, LCT_RGB, 8, 0);
  encode("alpha.png", rgba, LCT_RGBA, 8, LCT_RGBA, 8, 0);  // fully transparent
  encode("deep.png", rgb16, LCT_RGB, 16, LCT_RGB, 16, 0);
  encode("interlaced.png", drawing.rgb, LCT_RGB, 8, LCT_RGB, 8, 1);
  ASSERT_EQ(indices.size(), grey.size());
  encode("palette.png", indices, LCT_PALETTE, 8, LCT_PALETTE, 8, 0);
  encode("grey.png", grey, LCT_GREY, 8, LCT_GREY, 8, 0);

  auto decode = [&](const std::string& name) {
    lodepng::State state;
    SetUpPngState(state);
    std::vector<unsigned char> file_bytes, pixels;
    DecodedInput input = LoadAndDecodeInput(dir / name, state, file_bytes, pixels);
    EXPECT_EQ(input.status, InputStatus::kDecoded) << name;
    EXPECT_TRUE(file_bytes.empty());
    return pixels;
  };
  const std::vector<unsigned char> plain = decode("plain.png");
  ASSERT_EQ(plain, drawing.rgb);
  for (const char* name : {"alpha.png", "deep.png", "interlaced.png", "palette.png"})
    EXPECT_TRUE(decode(name) == plain) << name;
  std::vector<unsigned char> grey_rgb;
  for (unsigned char v : grey) grey_rgb.insert(grey_rgb.end(), {v, v, v});
  EXPECT_TRUE(decode("grey.png") == grey_rgb);
}

}  // namespace
