// The real program against a whole run of the straightforward stages: the
// console text and every file written (pictures, tables, kernel cache) byte
// for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/field_test_support.h"
#include "tests/reference_run.h"

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

TEST(WholeRunExactness, ProgramWritesWhatTheStraightforwardRunWrites) {
  ScratchDir program_dir, reference_dir;
  const Drawing drawing = SmallMagnets();
  WritePng(program_dir / "magnets.png", drawing);
  WritePng(reference_dir / "magnets.png", drawing);

  const RunResult program = RunFluxart(program_dir.path(), {"magnets.png", "1", "-2", "v"});
  RunSettings settings;
  settings.z = 1.0f;
  settings.thickness = -2;
  settings.export_vectors = true;
  settings.input_name = "magnets.png";
  std::string reference_output;
  int reference_status;
  {
    WorkingDirectory cwd(reference_dir.path());
    testing::internal::CaptureStdout();
    reference_status = ReferenceRun(settings);
    reference_output = testing::internal::GetCapturedStdout();
  }
  EXPECT_EQ(program.status, reference_status);
  EXPECT_EQ(program.output, reference_output);
  const std::vector<std::string> files = FilesIn(program_dir.path());
  EXPECT_EQ(files, FilesIn(reference_dir.path()));
  EXPECT_EQ(files.size(), 9u);  // picture, 3 outputs, 3 tables, 2 kernels
  for (const std::string& name : files)
    EXPECT_TRUE(ReadFile(program_dir / name) == ReadFile(reference_dir / name)) << name;
}

}  // namespace
