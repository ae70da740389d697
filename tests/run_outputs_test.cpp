// Whole runs of the program up to its output files: messages in order,
// six files, pictures and tables, and outputs that cannot be written.
#include <gtest/gtest.h>
#include <lodepng.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

// A white 640 x 640 picture, interlaced, with a text chunk and a chunk the
// codec does not know.
void WriteInterlacedPngWithChunks(const std::string& path) {
  lodepng::State state;
  state.info_raw.colortype = LCT_RGB;
  state.info_png.color.colortype = LCT_RGB;
  state.encoder.auto_convert = 0;
  state.info_png.interlace_method = 1;
  ASSERT_EQ(lodepng_add_text(&state.info_png, "Comment", "drawn for the outputs test"), 0u);
  const unsigned char payload[] = {1, 2, 3, 4};
  ASSERT_EQ(lodepng_chunk_create(&state.info_png.unknown_chunks_data[1],
                                 &state.info_png.unknown_chunks_size[1], 4, "ruSt", payload),
            0u);
  std::vector<unsigned char> png;
  ASSERT_EQ(lodepng::encode(png, Drawing().rgb, 640, 640, state), 0u);
  ASSERT_EQ(lodepng::save_file(png, path), 0u);
}

const char kStageMessages[] =
    "\n\n   +Calculating Isopotential Contours+\n\n"
    "   +Writing Isopotential Contour File+\n\n"
    "   +Writing   Vector   Data   Files  +\n\n"
    "   +Calculating  Magnetic Streamlines+\n\n"
    "   +Writing Magnetic Streamlines File+\n\n"
    "   +Writing Stream & Contours File+\n\n";

std::string StageMessages(const std::string& output) {
  const size_t start = output.find("\n\n   +Calculating Isopotential Contours+");
  return start == std::string::npos ? "" : output.substr(start);
}

std::string ZeroTable() {
  std::string line;
  for (int m = 0; m < 639; ++m) line += "0.00000000e+00,";
  line += "0.00000000e+00\n";
  std::string table;
  for (int l = 0; l < 640; ++l) table += line;
  return table;
}

// Decodes a written picture, checking it is all white and carries the input's
// interlace method and chunks when asked.
void ExpectWhitePicture(const std::string& path, bool carries_input_chunks) {
  std::vector<unsigned char> file, pixels;
  ASSERT_EQ(lodepng::load_file(file, path), 0u) << path;
  lodepng::State state;
  state.info_raw.colortype = LCT_RGB;
  state.decoder.remember_unknown_chunks = 1;
  unsigned width = 0, height = 0;
  ASSERT_EQ(lodepng::decode(pixels, width, height, state, file), 0u) << path;
  EXPECT_EQ(width, 640u);
  EXPECT_EQ(height, 640u);
  EXPECT_EQ(pixels, Drawing().rgb) << path;
  if (!carries_input_chunks) return;
  EXPECT_EQ(state.info_png.interlace_method, 1u) << path;
  ASSERT_EQ(state.info_png.text_num, 1u) << path;
  EXPECT_STREQ(state.info_png.text_strings[0], "drawn for the outputs test");
  const std::string bytes(file.begin(), file.end());
  EXPECT_NE(bytes.find(std::string("ruSt\x01\x02\x03\x04", 8)), std::string::npos) << path;
}

TEST(RunOutputs, WritesSixFilesThatKeepTheInputsInterlaceAndChunks) {
  ScratchDir dir;
  WriteInterlacedPngWithChunks(dir / "blank.png");
  const RunResult run = RunFluxart(dir.path(), {"blank.png", "-4", "0", "v"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(StageMessages(run.output), kStageMessages);
  for (const char* suffix : {"contours.png", "streamlines.png", "stream_contours.png"})
    ExpectWhitePicture(dir / ("blank________Z4996_" + std::string(suffix)), true);
  const std::string zeros = ZeroTable();
  for (const char* axis : {"i", "j", "k"})
    EXPECT_EQ(ReadFile(dir / ("blank________Z4996_" + std::string(axis) + "_vector.txt")), zeros)
        << axis;
}

TEST(RunOutputs, OutputsThatCannotBeWrittenAreReportedAndTheRestWritten) {
  ScratchDir dir;
  WritePng(dir / "blank.png", Drawing());
  ASSERT_EQ(mkdir((dir / "blank________Z5003_contours.png").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((dir / "blank________Z5003_j_vector.txt").c_str(), 0755), 0);
  const RunResult run = RunFluxart(dir.path(), {"blank.png", "3", "0", "v"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(StageMessages(run.output),
            "\n\n   +Calculating Isopotential Contours+\n\n"
            "   +Writing Isopotential Contour File+\n\n"
            "fluxart: could not write blank________Z5003_contours.png (Is a directory); check the "
            "folder can be written\n"
            "   +Writing   Vector   Data   Files  +\n\n"
            "fluxart: could not write blank________Z5003_j_vector.txt (Is a directory); check the "
            "folder can be written\n"
            "   +Calculating  Magnetic Streamlines+\n\n"
            "   +Writing Magnetic Streamlines File+\n\n"
            "   +Writing Stream & Contours File+\n\n");
  ExpectWhitePicture(dir / "blank________Z5003_streamlines.png", false);
  ExpectWhitePicture(dir / "blank________Z5003_stream_contours.png", false);
  EXPECT_EQ(ReadFile(dir / "blank________Z5003_i_vector.txt"), ZeroTable());
  EXPECT_EQ(ReadFile(dir / "blank________Z5003_k_vector.txt"), ZeroTable());
}

std::vector<unsigned char> DecodeRgb(const std::string& path) {
  std::vector<unsigned char> pixels;
  unsigned width = 0, height = 0;
  EXPECT_EQ(lodepng::decode(pixels, width, height, path, LCT_RGB, 8), 0u) << path;
  EXPECT_EQ(width, 640u);
  EXPECT_EQ(height, 640u);
  return pixels;
}

// Lines of single-pixel magnets of five kinds: every block is one cube, so
// the run needs no kernel cache and stays fast. The fixtures were made by
// this program and checked by eye: dipole loops around the lines, radial
// strokes at the source and the sink, contour rings closing around each.
TEST(RunOutputs, SmallDrawingGivesThePicturesOfItsFixtures) {
  Drawing drawing;
  for (int col = 150; col < 190; ++col) drawing.Paint(200, col, 0, 255, 255);  // 3:00
  for (int row = 380; row < 410; ++row) drawing.Paint(row, 450, 255, 0, 0);    // out of page
  drawing.Paint(450, 150, 255, 0, 128);                                        // source
  drawing.Paint(450, 250, 128, 0, 128);                                        // sink
  for (int i = 0; i < 20; ++i) drawing.Paint(100 + i, 450 + i, 0, 0, 255);     // into page
  ScratchDir dir;
  WritePng(dir / "small.png", drawing);
  const RunResult run = RunFluxart(dir.path(), {"small.png", "3", "1"});
  EXPECT_EQ(run.status, 0) << run.output;
  const std::string fixtures = std::string(FLUXART_SOURCE_DIR) + "/tests/fixtures/small_drawing_";
  for (const char* suffix : {"contours.png", "streamlines.png", "stream_contours.png"})
    EXPECT_TRUE(DecodeRgb(dir / ("small________Z5003_" + std::string(suffix))) ==
                DecodeRgb(fixtures + suffix))
        << suffix;
}

}  // namespace
