// The field stage as the real program runs it: console text byte for byte,
// cache files in the working directory shared between runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "core/magnet_color_table.h"
#include "field/kernel_cache.h"
#include "tests/field_test_support.h"

namespace {

const std::string kCreatingMonopole3x3 = " - Creating New Fluxart_Z5003_3001000.dat File";
constexpr int kPinkStepOfPass4 = 3 * 372 + 371;

// Pink 3 x 3 block in the top-left corner: one kernel of half-size 1.
Drawing PinkSquare() {
  Drawing drawing;
  drawing.FillRect(0, 0, 3, 3, 255, 0, 128);
  return drawing;
}

TEST(FieldRun, FirstRunStoresTheKernelSecondRunLoadsItSilently) {
  ScratchDir dir;
  WritePng(dir / "pic.png", PinkSquare());
  RunResult first = RunFluxart(dir.path(), {"pic.png", "3", "1"});
  EXPECT_EQ(first.status, 0);
  EXPECT_NE(first.output.find(LayerText(3, 1, 1, kPinkStepOfPass4, kCreatingMonopole3x3)),
            std::string::npos)
      << first.output;
  EXPECT_EQ(ReadFile(dir / "Fluxart_Z5003_3001000.dat").size(), kKernelFileBytes);
  EXPECT_FALSE(FileExists(dir / "Fluxart_Z5003_3000000.dat"));

  RunResult second = RunFluxart(dir.path(), {"pic.png", "3", "1"});
  EXPECT_NE(second.output.find(LayerText(3, 1, 1)), std::string::npos);
  EXPECT_EQ(second.output.find("Creating New"), std::string::npos);

  // Two layers going down use the files of z = 3 and z = 2.
  RunResult thick = RunFluxart(dir.path(), {"pic.png", "3", "-2"});
  EXPECT_NE(thick.output.find(LayerText(3, 1, 2) +
                              LayerText(2, 2, 2, kPinkStepOfPass4,
                                        " - Creating New Fluxart_Z5002_3001000.dat File")),
            std::string::npos);
}

TEST(FieldRun, AFolderThatCannotBeWrittenStillGetsEveryKernel) {
  // Even root cannot create files in /proc.
  if (std::FILE* probe = std::fopen("/proc/fluxart_probe.tmp", "w")) {
    std::fclose(probe);
    std::remove("/proc/fluxart_probe.tmp");
    GTEST_SKIP() << "/proc accepts new files here";
  }
  ScratchDir dir;
  WritePng(dir / "pic.png", PinkSquare());
  // Relative to /proc, so that no output name points into another folder.
  const std::string input = ".." + dir.path() + "/pic.png";
  for (int run = 0; run < 2; ++run) {
    RunResult result = RunFluxart("/proc", {input, "3", "1"});
    // Each run says once, in a line after the wiped message, that the file
    // is not kept.
    const std::string notice =
        "\nfluxart: could not keep the kernel cache file Fluxart_Z5003_3001000.dat (No such file "
        "or directory); check the folder can be written\n" +
        std::string(33, ' ');
    const size_t at = result.output.find(notice);
    ASSERT_NE(at, std::string::npos) << result.output;
    result.output.erase(at, notice.size());
    EXPECT_NE(result.output.find(LayerText(3, 1, 1, kPinkStepOfPass4, kCreatingMonopole3x3)),
              std::string::npos)
        << result.output;
  }
  EXPECT_FALSE(FileExists("/proc/Fluxart_Z5003_3001000.dat"));
}

TEST(FieldRun, SimultaneousRunsInOneFolderAgreeAndLeaveWholeFiles) {
  ScratchDir dir;
  Drawing drawing = PinkSquare();
  drawing.FillRect(20, 20, 5, 5, 128, 0, 128);  // and a 5 x 5 sink
  WritePng(dir / "pic.png", drawing);
  RunResult a, b;
  std::thread other([&] { b = RunFluxart(dir.path(), {"pic.png", "3", "1"}); });
  a = RunFluxart(dir.path(), {"pic.png", "3", "1"});
  other.join();
  for (const RunResult* run : {&a, &b}) {
    EXPECT_EQ(run->status, 0);
    EXPECT_NE(run->output.find("Processing Step 0001 of 1860 "), std::string::npos);
    EXPECT_NE(run->output.find(std::string(13, '\b') + "1860 of 1860 "), std::string::npos);
  }
  KernelBuffer stored, computed;
  for (int h : {1, 2}) {
    const std::string name = KernelCacheName(Monopole, h, 0, 3.0f);
    ASSERT_TRUE(LoadKernelFile(dir / name, stored.table())) << name;
    ComputeKernel(Monopole, h, 0, 3.0f, computed.table());
    EXPECT_TRUE(stored.SameBytes(computed.values.data())) << name;
  }
  const std::vector<std::string> expected = {"Fluxart_Z5003_3001000.dat",
                                             "Fluxart_Z5003_3001000.sum",
                                             "Fluxart_Z5003_3002000.dat",
                                             "Fluxart_Z5003_3002000.sum",
                                             "pic.png",
                                             "pic__________Z5003_contours.png",
                                             "pic__________Z5003_stream_contours.png",
                                             "pic__________Z5003_streamlines.png"};
  EXPECT_EQ(FilesIn(dir.path()), expected);
}

}  // namespace
