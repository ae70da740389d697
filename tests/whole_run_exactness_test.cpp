// The real program against a whole run of the straightforward stages: the
// console text and every file written (pictures, tables, kernel cache) byte
// for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/file_names.h"
#include "reference/run.h"
#include "tests/field_test_support.h"

namespace {

// Single magnets of every kind, a 3 x 3 block (one cached kernel) and a
// planar line, so that every stage has something to draw.
Drawing SmallMagnets() {
  Drawing drawing;
  drawing.FillRect(300, 300, 3, 3, 255, 0, 128);
  for (int k = 0; k < 25; ++k) drawing.Paint(100 + 2 * k, 400 + 3 * k, 255, 255, 128);
  drawing.Paint(500, 120, 0, 0, 255);
  drawing.Paint(505, 120, 255, 0, 0);
  drawing.Paint(0, 639, 128, 0, 128);
  drawing.Paint(200, 200, 255, 100, 1);
  return drawing;
}

// Runs the picture in two fresh folders, once by the program and once by the
// straightforward run, and compares what they print and every file they
// leave; gives the names of the files.
std::vector<std::string> ExpectSameRuns(const std::string& picture_bytes, float z, int thickness) {
  ScratchDir program_dir, reference_dir;
  for (const ScratchDir* dir : {&program_dir, &reference_dir}) {
    std::FILE* file = std::fopen((*dir / "magnets.png").c_str(), "wb");
    if (!file) {
      ADD_FAILURE() << "cannot write the picture in " << dir->path();
      return {};
    }
    std::fwrite(picture_bytes.data(), 1, picture_bytes.size(), file);
    std::fclose(file);
  }
  const RunResult program = RunFluxart(
      program_dir.path(),
      {"magnets.png", std::to_string(static_cast<int>(z)), std::to_string(thickness), "v"});
  RunSettings settings;
  settings.z = z;
  settings.thickness = thickness;
  settings.export_vectors = true;
  settings.input_name = "magnets.png";
  std::string reference_output;
  int reference_status;
  {
    WorkingDirectory cwd(reference_dir.path());
    const auto ws = NewWorkspace();
    testing::internal::CaptureStdout();
    reference_status = ReferenceRun(settings, *ws);
    reference_output = testing::internal::GetCapturedStdout();
  }
  EXPECT_EQ(program.status, reference_status);
  EXPECT_EQ(program.output, reference_output);
  // The program keeps each kernel file's checksums beside it; the rest is
  // what the plain evaluation writes, byte for byte.
  std::vector<std::string> files, checksums;
  for (const std::string& name : FilesIn(program_dir.path()))
    (IsKernelChecksumsName(name) ? checksums : files).push_back(name);
  EXPECT_EQ(files, FilesIn(reference_dir.path()));
  for (const std::string& name : files)
    EXPECT_TRUE(ReadFile(program_dir / name) == ReadFile(reference_dir / name)) << name;
  for (const std::string& name : checksums)
    EXPECT_NE(std::find(files.begin(), files.end(), CacheNameOfChecksums(name)), files.end())
        << name;
  EXPECT_EQ(checksums.size(),
            static_cast<std::size_t>(std::count_if(files.begin(), files.end(), IsKernelCacheName)));
  return files;
}

TEST(WholeRunExactness, SmallMagnetsThroughTheSheetsPlane) {
  ScratchDir dir;
  WritePng(dir / "magnets.png", SmallMagnets());
  const std::vector<std::string> files = ExpectSameRuns(ReadFile(dir / "magnets.png"), 1.0f, -2);
  EXPECT_EQ(files.size(), 9u);  // picture, 3 outputs, 3 tables, 2 kernels
}

TEST(WholeRunExactness, ShippedExample) {
  const std::string example =
      ReadFile(std::string(FLUXART_SOURCE_DIR) + "/examples/bar_magnet.png");
  if (example.empty()) GTEST_SKIP() << "no examples/bar_magnet.png";
  const std::vector<std::string> files = ExpectSameRuns(example, 3.0f, 1);
  EXPECT_EQ(files.size(), 11u);  // picture, 3 outputs, 3 tables, 4 kernels
}

}  // namespace
