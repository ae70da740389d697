// Hostile inputs and those kept from fuzzing. The committed seeds must stay
// what the fuzz targets start from (pictures that decode, or are refused for
// their size); hand-made hostile pictures end as they should; every fuzz
// target replays its committed seeds (fuzz/seeds/<target>/) and its saved
// reproducers (tests/fixtures/fuzz/<target>/) through its own checks; and
// every input_path reproducer runs through the real program, which must end
// with one of its own statuses (under the sanitizer build, a report ends it
// with another).
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/png_codec.h"
#include "tests/test_support.h"

namespace {

std::vector<std::string> FilesUnder(const std::string& folder) {
  std::vector<std::string> paths;
  if (DIR* listing = opendir(folder.c_str())) {
    while (dirent* entry = readdir(listing))
      if (entry->d_name[0] != '.') paths.push_back(folder + "/" + entry->d_name);
    closedir(listing);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

const std::string kSource = FLUXART_SOURCE_DIR;

TEST(FuzzSeeds, PicturesDecodeOrAreRefusedForTheirSize) {
  const std::vector<std::string> seeds = FilesUnder(kSource + "/fuzz/seeds/input_path");
  ASSERT_GE(seeds.size(), 18u);
  for (const std::string& path : seeds) {
    const std::string bytes = ReadFile(path);
    EXPECT_LE(bytes.size(), 16384u) << path << " is beyond the fuzzer's input size";
    lodepng::State state;
    SetUpPngState(state);
    std::vector<unsigned char> pixels;
    const DecodedInput input =
        DecodeInputBytes(std::vector<unsigned char>(bytes.begin(), bytes.end()), state, pixels);
    const bool wrong_size = path.find("/size_") != std::string::npos;
    EXPECT_EQ(input.status, wrong_size ? InputStatus::kWrongSize : InputStatus::kDecoded) << path;
  }
}

RunResult RunOn(const std::string& path) {
  ScratchDir dir;
  const std::string bytes = ReadFile(path);
  lodepng::save_file(std::vector<unsigned char>(bytes.begin(), bytes.end()), dir / "input.png");
  return RunFluxart(dir.path(), {"input.png", "3", "1"});
}

// 640 x 640 white pictures, each with one odd or broken chunk.
TEST(HostilePictures, BrokenFilesEndWithTheDecoderLineOddOnesRunOn) {
  const struct {
    const char* file;
    const char* output_start;  // nullptr: decoded, the run goes on
  } cases[] = {
      {"unknown_critical_chunk.png", "decoder error 69: "},
      {"background_index_beyond_palette.png", "decoder error 103: "},
      {"interlaced_data_too_short.png", "decoder error 91: "},
      {"image_data_cut_short.png", "decoder error "},
      {"chunk_length_beyond_file.png", "decoder error "},
      {"text_chunk_not_deflated.png", "decoder error "},
      {"grey_icc_profile_on_rgb.png", nullptr},
      {"significant_bits_sixteen.png", nullptr},
      {"time_out_of_range.png", nullptr},
      {"exif_chunk.png", nullptr},
      {"rgb_transparent_white.png", nullptr},
  };
  for (const auto& c : cases) {
    const RunResult run = RunOn(kSource + "/tests/fixtures/hostile/" + c.file);
    if (c.output_start) {
      EXPECT_EQ(run.output.rfind(c.output_start, 0), 0u) << c.file << ": " << run.output;
      EXPECT_EQ(run.status, 1) << c.file;
    } else {
      EXPECT_NE(run.output.find("+Calculating Vector Fields for Z layer 3 (1/1) +"),
                std::string::npos)
          << c.file;
      EXPECT_EQ(run.output.find("decoder error"), std::string::npos) << c.file;
      EXPECT_TRUE(run.status == 0 || run.status == 1) << c.file << ": status " << run.status;
    }
  }
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A target whose seed folder is missing or empty fails, and so does a
// reproducer folder that exists but is empty: either means inputs went
// missing. The replay tools are the targets built with a plain main.
TEST(FuzzFindings, EveryTargetReplaysItsSeedsAndReproducersThroughItsChecks) {
  for (const std::string target : {"input_path", "command_line", "kernel_cache"}) {
    const std::string seeds = kSource + "/fuzz/seeds/" + target;
    const std::string reproducers = kSource + "/tests/fixtures/fuzz/" + target;
    EXPECT_FALSE(FilesUnder(seeds).empty()) << seeds << " is missing or holds no seed";
    std::string command = Quoted(std::string(FLUXART_FUZZ_REPLAY_DIR) + "/fuzz_replay_" + target) +
                          " " + Quoted(seeds);
    struct stat info;
    if (stat(reproducers.c_str(), &info) == 0) command += " " + Quoted(reproducers);
    command += " > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << target << ": " << command;
  }
}

TEST(FuzzFindings, InputFilesEndTheRunWithTheProgramsOwnStatus) {
  for (const std::string& path : FilesUnder(kSource + "/tests/fixtures/fuzz/input_path")) {
    const RunResult run = RunOn(path);
    EXPECT_TRUE(run.status == 0 || run.status == 1) << path << ": status " << run.status;
  }
}

}  // namespace
