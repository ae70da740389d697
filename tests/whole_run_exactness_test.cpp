// The real program against a whole run of the straightforward stages: the
// console text and every file written (pictures, tables, kernel cache) byte
// for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/file_names.h"
#include "reference/run.h"
#include "tests/field_test_support.h"

namespace {

// Single magnets of every kind, a 3 x 3 block (one cached kernel), a planar
// line and a checker patch (rows that the adders take in pairs), so that
// every stage has something to draw.
Drawing SmallMagnets() {
  Drawing drawing;
  drawing.FillRect(300, 300, 3, 3, 255, 0, 128);
  for (int k = 0; k < 25; ++k) drawing.Paint(100 + 2 * k, 400 + 3 * k, 255, 255, 128);
  drawing.Paint(500, 120, 0, 0, 255);
  drawing.Paint(505, 120, 255, 0, 0);
  drawing.Paint(0, 639, 128, 0, 128);
  drawing.Paint(200, 200, 255, 100, 1);
  for (int row = 40; row < 56; ++row)
    for (int col = 60 + row % 2; col < 76; col += 2) drawing.Paint(row, col, 255, 255, 128);
  return drawing;
}

// Writes the picture into dir; false (and a failure) when it cannot.
bool WritePicture(const ScratchDir& dir, const std::string& picture_bytes) {
  std::FILE* file = std::fopen((dir / "magnets.png").c_str(), "wb");
  if (!file) {
    ADD_FAILURE() << "cannot write the picture in " << dir.path();
    return false;
  }
  std::fwrite(picture_bytes.data(), 1, picture_bytes.size(), file);
  std::fclose(file);
  return true;
}

// Runs the picture in fresh folders, once by the straightforward run and once
// by the program for each cap of FLUXART_MAX_VECTOR_BITS in vector_bits (""
// leaves it unset), and compares what they print and every file they leave;
// gives the names of the files.
std::vector<std::string> ExpectSameRuns(const std::string& picture_bytes, float z, int thickness,
                                        const std::vector<std::string>& vector_bits = {""}) {
  ScratchDir reference_dir;
  if (!WritePicture(reference_dir, picture_bytes)) return {};
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
    const auto scratch = NewFieldScratch();
    testing::internal::CaptureStdout();
    reference_status = ReferenceRun(settings, *ws, *scratch);
    reference_output = testing::internal::GetCapturedStdout();
  }
  // The program keeps each kernel file's checksums beside it; the rest is
  // what the plain evaluation writes, byte for byte.
  const std::vector<std::string> files = FilesIn(reference_dir.path());
  for (const std::string& bits : vector_bits) {
    ScratchDir program_dir;
    if (!WritePicture(program_dir, picture_bytes)) return {};
    if (bits.empty())
      unsetenv("FLUXART_MAX_VECTOR_BITS");
    else
      setenv("FLUXART_MAX_VECTOR_BITS", bits.c_str(), 1);
    const RunResult program = RunFluxart(
        program_dir.path(),
        {"magnets.png", std::to_string(static_cast<int>(z)), std::to_string(thickness), "v"});
    unsetenv("FLUXART_MAX_VECTOR_BITS");
    EXPECT_EQ(program.status, reference_status) << "vector bits " << bits;
    EXPECT_EQ(program.output, reference_output) << "vector bits " << bits;
    std::vector<std::string> written, checksums;
    for (const std::string& name : FilesIn(program_dir.path()))
      (IsKernelChecksumsName(name) ? checksums : written).push_back(name);
    EXPECT_EQ(written, files) << "vector bits " << bits;
    for (const std::string& name : files)
      EXPECT_TRUE(ReadFile(program_dir / name) == ReadFile(reference_dir / name))
          << name << ", vector bits " << bits;
    for (const std::string& name : checksums)
      EXPECT_NE(std::find(files.begin(), files.end(), CacheNameOfChecksums(name)), files.end())
          << name;
    EXPECT_EQ(checksums.size(), static_cast<std::size_t>(
                                    std::count_if(files.begin(), files.end(), IsKernelCacheName)));
  }
  return files;
}

TEST(WholeRunExactness, SmallMagnetsThroughTheSheetsPlane) {
  ScratchDir dir;
  WritePng(dir / "magnets.png", SmallMagnets());
  // At every vector width (16, 8, 4 floats and plain loops; a width the
  // processor lacks falls back to a narrower one).
  const std::vector<std::string> files =
      ExpectSameRuns(ReadFile(dir / "magnets.png"), 1.0f, -2, {"512", "256", "128", "0"});
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
