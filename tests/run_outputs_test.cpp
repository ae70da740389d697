// Whole runs of the program up to its output files: messages in order,
// six files, pictures and tables, and outputs that cannot be written.
#include <gtest/gtest.h>
#include <lodepng.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/run.h"
#include "tests/field_test_support.h"
#include "tests/full_disk.h"
#include "tests/test_support.h"

namespace {

// A white 640 x 640 picture, interlaced, with a text chunk, a chunk the
// codec does not know that is safe to copy, and chunks that are not: the
// animation's (acTL, fcTL, fdAT) and one of unknown meaning.
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
  for (const auto& [place, type] :
       {std::pair<int, const char*>{1, "acTL"}, {1, "fcTL"}, {2, "fcTL"}, {2, "fdAT"}, {2, "prIV"}})
    ASSERT_EQ(lodepng_chunk_create(&state.info_png.unknown_chunks_data[place],
                                   &state.info_png.unknown_chunks_size[place], 4, type, payload),
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
  for (const char* unsafe : {"acTL", "fcTL", "fdAT", "prIV"})
    EXPECT_EQ(bytes.find(unsafe), std::string::npos) << unsafe << " in " << path;
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

// Runs shell_line in folder with "$F" the program; its exit status.
int RunShell(const std::string& folder, const std::string& shell_line) {
  const std::string command = "cd '" + folder + "' && F='" + FLUXART_BINARY + "' && " + shell_line;
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

bool NoTemporaryIn(const std::string& folder) {
  for (const std::string& name : FilesIn(folder))
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) return false;
  return true;
}

// Limits and consoles that fail a run from outside: each ends with one line
// and status 1, and leaves no temporary file.
TEST(RunOutputs, LimitsAndFailedConsolesEndWithALineAndLeaveNoTemporary) {
  ScratchDir dir;
  WritePng(dir / "blank.png", Drawing());
  const std::string console_line =
      "fluxart: could not write all messages to the standard output; check where it is sent\n";
  // A full standard output, and a pipe whose reader is gone: the run
  // finishes, and says so on the error stream.
  EXPECT_EQ(RunShell(dir.path(), "\"$F\" blank.png 3 1 v > /dev/full 2> err.txt"), 1);
  EXPECT_EQ(ReadFile(dir / "err.txt"), console_line);
  EXPECT_EQ(RunShell(dir.path(),
                     "mkfifo p && { (exec 3<p; exec 3<&-) & exec 4>p; wait; "
                     "\"$F\" blank.png 3 1 v >&4 2> err.txt; }"),
            1);
  EXPECT_EQ(ReadFile(dir / "err.txt"), console_line);
  EXPECT_EQ(ReadFile(dir / "blank________Z5003_k_vector.txt"), ZeroTable());
  EXPECT_TRUE(NoTemporaryIn(dir.path()));

  // The file-size limit: the tables (6 MB) cannot be written; reported as
  // any failed write.
  const RunResult limited = [&] {
    RunResult run;
    run.status = RunShell(dir.path(), "ulimit -f 2000 && \"$F\" blank.png 4 1 v > out.txt");
    run.output = ReadFile(dir / "out.txt");
    return run;
  }();
  EXPECT_EQ(limited.status, 1);
  EXPECT_NE(limited.output.find("fluxart: could not write blank________Z5004_i_vector.txt (File "
                                "too large); check the folder can be written\n"),
            std::string::npos)
      << limited.output;
  EXPECT_TRUE(NoTemporaryIn(dir.path()));

#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "memory limits do not apply under AddressSanitizer";
#endif
  // Memory limits around what a run needs: every run that fails ends with
  // the one out-of-memory line.
  int out_of_memory = 0;
  for (int kib = 70000; kib <= 96000; kib += 2000) {
    const std::string limit = std::to_string(kib);
    const int status =
        RunShell(dir.path(), "ulimit -v " + limit + " && \"$F\" blank.png 5 1 v > out.txt");
    const std::string output = ReadFile(dir / "out.txt");
    const std::size_t line = output.find("fluxart: out of memory while ");
    if (status == 0) {
      EXPECT_EQ(line, std::string::npos) << limit;
    } else {
      EXPECT_EQ(status, 1) << limit << "\n" << output;
      ASSERT_NE(line, std::string::npos) << limit << "\n" << output;
      EXPECT_EQ(output.find('\n', line), output.size() - 1) << "the last line\n" << output;
      ++out_of_memory;
    }
    EXPECT_TRUE(NoTemporaryIn(dir.path())) << limit;
  }
  EXPECT_GT(out_of_memory, 0) << "no limit was low enough";
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

// Names that lead elsewhere: a symlink under an output name, the drawing
// under an output name, and temporary files that a killed run left.
TEST(RunOutputs, OutputsReplaceSymlinksAndNeverTheDrawingAndStaleTemporariesGo) {
  ScratchDir dir;
  WritePng(dir / "blank.png", Drawing());
  std::ofstream(dir / "notes.txt") << "my notes";
  ASSERT_EQ(symlink("notes.txt", (dir / "blank________Z5003_contours.png").c_str()), 0);
  const std::string stale = "Fluxart_Z5003_1001000.dat.0123456789abcdef.tmp";
  const std::string fresh = "blank________Z5003_i_vector.txt.00000000000000ff.tmp";
  std::ofstream(dir / stale) << "killed";
  std::ofstream(dir / fresh) << "being written";
  std::filesystem::last_write_time(
      dir / stale, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(10));
  RunResult run = RunFluxart(dir.path(), {"blank.png"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(ReadFile(dir / "notes.txt"), "my notes");
  ExpectWhitePicture(dir / "blank________Z5003_contours.png", false);
  EXPECT_FALSE(FileExists(dir / stale));
  EXPECT_TRUE(FileExists(dir / fresh)) << "a young temporary file may still be written";

  // A drawing whose name is an output name, itself or through a symlink.
  const std::string own_name = "ring_drawing_Z5003_contours.png";
  WritePng(dir / own_name, Drawing());
  const std::string drawing = ReadFile(dir / own_name);
  run = RunFluxart(dir.path(), {own_name});
  EXPECT_EQ(run.status, 1);
  const std::string clash = "\nfluxart: " + own_name +
                            " is both the drawing and an output of this run; rename the drawing\n";
  ASSERT_GT(run.output.size(), clash.size());
  EXPECT_EQ(run.output.substr(run.output.size() - clash.size()), clash);
  EXPECT_EQ(ReadFile(dir / own_name), drawing);
  ASSERT_EQ(symlink("blank.png", (dir / "linked_______Z5003_k_vector.txt").c_str()), 0);
  run = RunFluxart(dir.path(), {"linked.png", "3", "1", "v"});
  EXPECT_EQ(run.status, 1) << "linked.png is missing: no clash, a decoder error";
  ASSERT_EQ(symlink("blank.png", (dir / "linked.png").c_str()), 0);
  ASSERT_EQ(unlink((dir / "linked_______Z5003_k_vector.txt").c_str()), 0);
  ASSERT_EQ(symlink("linked.png", (dir / "linked_______Z5003_k_vector.txt").c_str()), 0);
  run = RunFluxart(dir.path(), {"linked.png", "3", "1", "v"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("fluxart: linked_______Z5003_k_vector.txt is both the drawing"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("Calculating"), std::string::npos) << "nothing is computed";

  // A drawing named like a kernel cache file of one of the run's layers,
  // itself or through a link; a cache name of another z is only a name.
  for (const std::string cache_name :
       {"Fluxart_Z5003_2005000.dat", "Fluxart_Z5001_1001000.dat", "Fluxart_Z5002_2005000.sum"}) {
    WritePng(dir / cache_name, Drawing());
    run = RunFluxart(dir.path(), {cache_name, "1", "3"});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("\nfluxart: " + cache_name +
                              " is both the drawing and a kernel cache file of this run; rename "
                              "the drawing\n"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(ReadFile(dir / cache_name), drawing);
    ASSERT_EQ(unlink((dir / cache_name).c_str()), 0);
  }
  ASSERT_EQ(symlink("blank.png", (dir / "Fluxart_Z4999_3002000.dat").c_str()), 0);
  run = RunFluxart(dir.path(), {"blank.png", "1", "-3"});
  EXPECT_NE(run.output.find("fluxart: Fluxart_Z4999_3002000.dat is both the drawing"),
            std::string::npos)
      << run.output;
  WritePng(dir / "Fluxart_Z5004_2005000.dat", Drawing());
  run = RunFluxart(dir.path(), {"Fluxart_Z5004_2005000.dat"});
  EXPECT_EQ(run.status, 0) << "z = 3 writes no file of z = 4\n" << run.output;
}

// A full disk: the tables do not fit, the pictures do.
TEST(RunOutputs, WritesThatRunOutOfRoomAreReportedAndLeaveNoPartialFile) {
  ScratchDir dir;
  WritePng(dir / "blank.png", Drawing());
  std::ofstream(dir / "blank________Z5003_j_vector.txt") << "previous table";
  const std::unique_ptr<Workspace> workspace = NewWorkspace();
  const std::unique_ptr<FieldScratch> field_scratch = NewFieldScratch();
  int status = 0;
  std::string output;
  {
    const FullDisk disk(1 << 20);
    WorkingDirectory in_dir(dir.path());
    testing::internal::CaptureStdout();
    status = RunFluxart({"blank.png", "3", "1", "v"}, *workspace, *field_scratch);
    output = testing::internal::GetCapturedStdout();
  }
  EXPECT_EQ(status, 1);
  for (const char* axis : {"i", "j", "k"})
    EXPECT_NE(output.find("fluxart: could not write blank________Z5003_" + std::string(axis) +
                          "_vector.txt (No space left on device); check the folder can be "
                          "written\n"),
              std::string::npos)
        << StageMessages(output);
  EXPECT_EQ(ReadFile(dir / "blank________Z5003_j_vector.txt"), "previous table");
  ExpectWhitePicture(dir / "blank________Z5003_stream_contours.png", false);
  const std::vector<std::string> left = {
      "blank.png", "blank________Z5003_contours.png", "blank________Z5003_j_vector.txt",
      "blank________Z5003_stream_contours.png", "blank________Z5003_streamlines.png"};
  EXPECT_EQ(FilesIn(dir.path()), left);
}

// The bytes of a PNG of drawing with an iCCP chunk holding profile put in
// after the header, as other programs write them (the codec refuses to).
std::vector<unsigned char> PngWithProfile(const Drawing& drawing, const std::string& profile) {
  std::vector<unsigned char> png;
  EXPECT_EQ(lodepng::encode(png, drawing.rgb, 640, 640, LCT_RGB, 8), 0u);
  unsigned char* deflated = nullptr;
  size_t deflated_size = 0;
  LodePNGCompressSettings settings;
  lodepng_compress_settings_init(&settings);
  lodepng_zlib_compress(&deflated, &deflated_size,
                        reinterpret_cast<const unsigned char*>(profile.data()), profile.size(),
                        &settings);
  std::vector<unsigned char> data = {'m', 'i', 'n', 'e', 0, 0};
  data.insert(data.end(), deflated, deflated + deflated_size);
  free(deflated);
  unsigned char* chunk = nullptr;
  size_t chunk_size = 0;
  lodepng_chunk_create(&chunk, &chunk_size, static_cast<unsigned>(data.size()), "iCCP",
                       data.data());
  png.insert(png.begin() + 33, chunk, chunk + chunk_size);  // after signature and IHDR
  free(chunk);
  return png;
}

TEST(RunOutputs, ColourProfilesThatCannotDescribeRgbAreNotCarriedOver) {
  ScratchDir dir;
  Drawing drawing;
  drawing.Paint(320, 320, 255, 0, 128);  // a source: coloured contours and strokes
  std::string profile(132, '\0');
  for (const char* space : {"GRAY", "CMYK", "RGB ", "short"}) {
    std::string this_profile = profile;
    if (std::string(space) == "short")
      this_profile = "too short";
    else
      this_profile.replace(16, 4, space);
    const std::vector<unsigned char> png = PngWithProfile(drawing, this_profile);
    ASSERT_EQ(lodepng::save_file(png, dir / "profiled.png"), 0u);
    const RunResult run = RunFluxart(dir.path(), {"profiled.png"});
    EXPECT_EQ(run.status, 0) << space << run.output;
    const std::string written = ReadFile(dir / "profiled_____Z5003_stream_contours.png");
    EXPECT_EQ(written.find("iCCP") != std::string::npos, std::string(space) == "RGB ") << space;
  }
}

}  // namespace
