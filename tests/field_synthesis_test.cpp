#include "field/field_synthesis.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/magnet_color_table.h"
#include "core/workspace.h"
#include "field/kernel_cache.h"
#include "reference/field.h"
#include "tests/field_test_support.h"

namespace {

constexpr int kPink[3] = {255, 0, 128};        // Monopole source, row 370
constexpr int kDarkPurple[3] = {128, 0, 128};  // Monopole sink, row 371

// Runs the layers of a drawing from z, giving what they print.
std::string Synthesize(Workspace& ws, FieldScratch& scratch, const Drawing& drawing, float z,
                       int thickness) {
  StartRun(ws, scratch, drawing);
  testing::internal::CaptureStdout();
  SynthesizeField(ws, scratch, z, thickness);
  return testing::internal::GetCapturedStdout();
}

// The field as the plain sum of one single-cube kernel per magnet pixel,
// each pixel taken by the first table row of its colour.
class CubeSum {
 public:
  explicit CubeSum(float z) : z_(z), field_(640 * 640 * 3, 0.0) {}
  void Add(const Drawing& drawing) {
    for (int row = 0; row < 640; ++row)
      for (int col = 0; col < 640; ++col) {
        const unsigned char* px = &drawing.rgb[(row * 640 + col) * 3];
        for (const MagnetColor& entry : MagnetColorTable)
          if (entry.r == px[0] && entry.g == px[1] && entry.b == px[2]) {
            AddCube(entry, row, col);
            break;
          }
      }
  }
  // Largest difference from the field grid, relative to the largest value.
  double RelativeDifference(const Workspace& ws) const {
    double largest = 0, difference = 0;
    for (int k = 0; k < 640 * 640 * 3; ++k) {
      largest = std::max(largest, std::fabs(field_[k]));
      difference = std::max(difference, std::fabs(field_[k] - (&ws.field_grid[0][0][0])[k]));
    }
    return largest > 0 ? difference / largest : difference;
  }

 private:
  void AddCube(const MagnetColor& entry, int row, int col) {
    auto& kernel = kernels_[{entry.kind, entry.angle}];
    if (!kernel) {
      kernel = std::make_unique<KernelBuffer>();
      ComputeKernel(entry.kind, 0, entry.angle, z_, kernel->table());
    }
    for (int l = 0; l < 640; ++l)
      for (int m = 0; m < 640; ++m)
        for (int n = 0; n < 3; ++n)
          field_[(l * 640 + m) * 3 + n] +=
              entry.sign * kernel->at(1281 - row - l, 1281 - col - m, n);
  }
  float z_;
  std::vector<double> field_;
  std::map<std::pair<int, int>, std::unique_ptr<KernelBuffer>> kernels_;
};

double DifferenceFromCubes(const Workspace& ws, const Drawing& drawing, float z) {
  CubeSum cubes(z);
  cubes.Add(drawing);
  return cubes.RelativeDifference(ws);
}

bool WorkPlaneRestored(const Workspace& ws) {
  return std::memcmp(ws.work_plane, ws.picture_plane, sizeof(ImagePlane)) == 0;
}

std::string Creating(const std::string& name) { return " - Creating New " + name + " File"; }

// Each test runs its pictures in a fresh working directory.
class FieldSynthesis : public ::testing::Test {
 protected:
  ScratchDir dir_;
  WorkingDirectory cwd_{dir_.path()};
  const std::unique_ptr<Workspace> ws = NewWorkspace();
  const std::unique_ptr<FieldScratch> scratch = NewFieldScratch();
};

TEST_F(FieldSynthesis, AlignedAndShiftedSquaresBothSumTheirCubes) {
  Drawing aligned;
  aligned.FillRect(0, 0, 11, 11, kPink[0], kPink[1], kPink[2]);
  std::string out = Synthesize(*ws, *scratch, aligned, 3.0f, 1);
  // One block of pass 1: the field is exactly the kernel, moved.
  EXPECT_EQ(out, LayerText(3, 1, 1, 371, Creating("Fluxart_Z5003_3005000.dat")));
  bool exact = true;
  for (int l = 0; l < 640 && exact; ++l)
    for (int m = 0; m < 640; ++m)
      for (int n = 0; n < 3; ++n)
        exact = exact && ws->field_grid[l][m][n] == ws->kernel_table[1276 - l][1276 - m][n];
  EXPECT_TRUE(exact);
  EXPECT_LT(DifferenceFromCubes(*ws, aligned, 3.0f), 1e-5);
  EXPECT_TRUE(WorkPlaneRestored(*ws));

  // Moved one pixel down and right: one 5 x 5 block and 96 single cubes,
  // no 3 x 3 block, since each of those would touch the painted 5 x 5.
  Drawing shifted;
  shifted.FillRect(1, 1, 11, 11, kPink[0], kPink[1], kPink[2]);
  out = Synthesize(*ws, *scratch, shifted, 3.0f, 1);
  EXPECT_EQ(CountOf(out, " - Creating New "), 1);
  EXPECT_EQ(CountOf(out, Creating("Fluxart_Z5003_3002000.dat")), 1);
  EXPECT_LT(DifferenceFromCubes(*ws, shifted, 3.0f), 1e-5);
}

TEST_F(FieldSynthesis, EdgeStripsFallToSmallerBlocks) {
  Drawing drawing;
  drawing.FillRect(0, 638, 22, 2, kPink[0], kPink[1], kPink[2]);  // last two columns
  drawing.FillRect(633, 0, 7, 10, kPink[0], kPink[1], kPink[2]);  // last seven rows
  std::string out = Synthesize(*ws, *scratch, drawing, 3.0f, 1);
  // The bottom band is never a 7 x 7 block, but its last five rows are 5 x 5
  // blocks; the two columns are single cubes only.
  EXPECT_EQ(CountOf(out, " - Creating New "), 1);
  EXPECT_EQ(CountOf(out, Creating("Fluxart_Z5003_3002000.dat")), 1);
  EXPECT_LT(DifferenceFromCubes(*ws, drawing, 3.0f), 1e-5);
}

TEST_F(FieldSynthesis, ABlockWithAForeignPixelIsNotUniform) {
  Drawing drawing;
  drawing.FillRect(0, 0, 11, 11, kPink[0], kPink[1], kPink[2]);
  drawing.Paint(5, 5, kDarkPurple[0], kDarkPurple[1], kDarkPurple[2]);
  std::string out = Synthesize(*ws, *scratch, drawing, 3.0f, 1);
  EXPECT_EQ(CountOf(out, "3005000"), 0);
  EXPECT_EQ(CountOf(out, "3003000"), 0);
  EXPECT_EQ(CountOf(out, Creating("Fluxart_Z5003_3002000.dat")), 1);
  EXPECT_LT(DifferenceFromCubes(*ws, drawing, 3.0f), 1e-5);
}

TEST_F(FieldSynthesis, SharedColorActsAsDirection254) {
  Drawing drawing;
  drawing.Paint(300, 200, 255, 100, 1);
  KernelBuffer row149, row151;
  ComputeKernel(PlanarDipole, 0, 74, 3.0f, row149.table());
  ComputeKernel(PlanarDipole, 0, 75, 3.0f, row151.table());
  Synthesize(*ws, *scratch, drawing, 3.0f, 1);
  bool is_149 = true, is_151 = true;
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m)
      for (int n = 0; n < 3; ++n) {
        is_149 = is_149 && ws->field_grid[l][m][n] == -row149.at(981 - l, 1081 - m, n);
        is_151 = is_151 && ws->field_grid[l][m][n] == -row151.at(981 - l, 1081 - m, n);
      }
  EXPECT_TRUE(is_149);
  EXPECT_FALSE(is_151);
}

// With a folder under each needed cache name, every preparation computes and
// prints its message, so the messages count the preparations.
TEST_F(FieldSynthesis, RowsDifferingOnlyInSignShareTheKernel) {
  for (const char* name :
       {"Fluxart_Z5003_2001000.dat", "Fluxart_Z5003_1001000.dat", "Fluxart_Z5003_3001000.dat"})
    ASSERT_EQ(mkdir(name, 0755), 0);

  // Rows 0, 364 and 365 (all planar at angle 0), with no other kernel
  // prepared in between: one preparation for the pass.
  Drawing planar;
  planar.FillRect(0, 0, 3, 3, 1, 100, 1);
  planar.FillRect(0, 3, 3, 3, 255, 255, 128);
  planar.FillRect(0, 6, 3, 3, 0, 128, 64);
  std::string out = Synthesize(*ws, *scratch, planar, 3.0f, 1);
  EXPECT_EQ(CountOf(out, Creating("Fluxart_Z5003_2001000.dat")), 1);
  EXPECT_EQ(CountOf(out, " - Creating New "), 1);
  EXPECT_LT(DifferenceFromCubes(*ws, planar, 3.0f), 1e-5);

  // Blue then red, pink then dark purple.
  Drawing poles;
  poles.FillRect(6, 0, 3, 3, 0, 0, 255);
  poles.FillRect(6, 3, 3, 3, 255, 0, 0);
  poles.FillRect(9, 0, 3, 3, kPink[0], kPink[1], kPink[2]);
  poles.FillRect(9, 3, 3, 3, kDarkPurple[0], kDarkPurple[1], kDarkPurple[2]);
  out = Synthesize(*ws, *scratch, poles, 3.0f, 1);
  EXPECT_EQ(CountOf(out, Creating("Fluxart_Z5003_1001000.dat")), 1);
  EXPECT_EQ(CountOf(out, Creating("Fluxart_Z5003_3001000.dat")), 1);
  EXPECT_EQ(CountOf(out, " - Creating New "), 2);
  EXPECT_LT(DifferenceFromCubes(*ws, poles, 3.0f), 1e-5);
}

TEST_F(FieldSynthesis, KernelMemorySkipsPreparationOnlyForTheSameKernel) {
  const MagnetColor& pink = MagnetColorTable[370];
  const MagnetColor& purple = MagnetColorTable[371];
  PrepareKernel(*ws, *scratch, pink, 0, 3.0f);
  ws->kernel_table[0][0][0] = 42.0f;  // a mark that a new preparation would clear
  PrepareKernel(*ws, *scratch, purple, 0, 3.0f);
  EXPECT_EQ(ws->kernel_table[0][0][0], 42.0f);
  PrepareKernel(*ws, *scratch, purple, 0, 4.0f);
  EXPECT_NE(ws->kernel_table[0][0][0], 42.0f);
  ws->kernel_table[0][0][0] = 42.0f;
  PrepareKernel(*ws, *scratch, MagnetColorTable[0], 0, 4.0f);  // planar, angle 0
  EXPECT_NE(ws->kernel_table[0][0][0], 42.0f);
  ws->kernel_table[0][0][0] = 42.0f;
  PrepareKernel(*ws, *scratch, MagnetColorTable[364], 0, 4.0f);  // planar, angle 0 as well
  EXPECT_EQ(ws->kernel_table[0][0][0], 42.0f);
  scratch->held_kernel = HeldKernel{};  // nothing held: the next preparation fills the table
  PrepareKernel(*ws, *scratch, MagnetColorTable[364], 0, 4.0f);
  EXPECT_NE(ws->kernel_table[0][0][0], 42.0f);
  // A kernel made in a window serves requests inside that window only.
  const KernelWindow window{0, 700, 0, 800}, inside{0, 600, 10, 800}, wider{0, 700, 0, 900};
  PrepareKernel(*ws, *scratch, pink, 0, 4.0f, RunOptions(), window);
  ws->kernel_table[0][0][0] = 42.0f;
  PrepareKernel(*ws, *scratch, purple, 0, 4.0f, RunOptions(), inside);
  EXPECT_EQ(ws->kernel_table[0][0][0], 42.0f);
  PrepareKernel(*ws, *scratch, purple, 0, 4.0f, RunOptions(), wider);
  EXPECT_NE(ws->kernel_table[0][0][0], 42.0f);
}

TEST_F(FieldSynthesis, LayersStepZAndAddUp) {
  Drawing drawing;
  drawing.Paint(320, 320, kPink[0], kPink[1], kPink[2]);
  KernelBuffer k[5];  // single cube at z = 0 .. 4
  for (int z = 0; z < 5; ++z) ComputeKernel(Monopole, 0, 0, static_cast<float>(z), k[z].table());
  auto field_is = [&](std::initializer_list<int> zs) {
    for (int l = 0; l < 640; ++l)
      for (int m = 0; m < 640; ++m)
        for (int n = 0; n < 3; ++n) {
          float sum = 0.0f;
          for (int z : zs) sum = sum + k[z].at(961 - l, 961 - m, n);
          if (ws->field_grid[l][m][n] != sum) return false;
        }
    return true;
  };

  EXPECT_EQ(Synthesize(*ws, *scratch, drawing, 3.0f, 0), "");
  EXPECT_TRUE(field_is({}));

  EXPECT_EQ(Synthesize(*ws, *scratch, drawing, 3.0f, -3),
            LayerText(3, 1, 3) + LayerText(2, 2, 3) + LayerText(1, 3, 3));
  EXPECT_TRUE(field_is({3, 2, 1}));
  EXPECT_TRUE(WorkPlaneRestored(*ws));

  EXPECT_EQ(Synthesize(*ws, *scratch, drawing, 3.0f, 2), LayerText(3, 1, 2) + LayerText(4, 2, 2));
  EXPECT_TRUE(field_is({3, 4}));

  // Down through the sheet's own plane (z = 1, 0, -1): the cube's own cell
  // gets no vertical field (nothing from z = 0, the other two cancel) and
  // everything stays finite.
  Synthesize(*ws, *scratch, drawing, 1.0f, -3);
  for (int k2 = 0; k2 < 640 * 640 * 3; ++k2)
    ASSERT_TRUE(std::isfinite((&ws->field_grid[0][0][0])[k2]));
  EXPECT_EQ(ws->field_grid[320][320][2], 0.0f);
}

TEST_F(FieldSynthesis, EmptyPictureCountsAllStepsAndAddsNothing) {
  Drawing drawing;
  drawing.Paint(10, 10, 255, 100, 106);  // just beyond the last fine direction
  EXPECT_EQ(Synthesize(*ws, *scratch, drawing, 3.0f, 1), LayerText(3, 1, 1));
  for (int k = 0; k < 640 * 640 * 3; ++k) ASSERT_EQ((&ws->field_grid[0][0][0])[k], 0.0f);
}

TEST_F(FieldSynthesis, CacheMessageFollowsItsStepAndSecondRunIsSilent) {
  Drawing drawing;
  drawing.FillRect(0, 0, 3, 3, kPink[0], kPink[1], kPink[2]);
  const int pink_step_of_pass_4 = 3 * 372 + 371;
  EXPECT_EQ(Synthesize(*ws, *scratch, drawing, 3.0f, 1),
            LayerText(3, 1, 1, pink_step_of_pass_4, Creating("Fluxart_Z5003_3001000.dat")));
  std::vector<float> first(&ws->field_grid[0][0][0], &ws->field_grid[0][0][0] + 640 * 640 * 3);
  EXPECT_EQ(Synthesize(*ws, *scratch, drawing, 3.0f, 1), LayerText(3, 1, 1));
  EXPECT_EQ(std::memcmp(first.data(), ws->field_grid, sizeof(FieldGrid)), 0);
}

constexpr int kRed[3] = {255, 0, 0};   // axial, sign -1
constexpr int kBlue[3] = {0, 0, 255};  // axial, sign +1

// Stores a cache file of awkward values under each name a drawing may ask
// for, so that no kernel of half-size 1 or more has to be computed: one file
// per half-size, the other names linked to it.
void StoreStandInKernels(const std::vector<int>& zs, const std::vector<int>& angles) {
  KernelBuffer buffer;
  for (int h : {1, 2, 3, 5}) {
    FillWithAwkwardValues(buffer.values.data(), buffer.values.size(), 10 + h);
    const std::string stored = "kernel_" + std::to_string(h) + ".bin";
    ASSERT_TRUE(StoreKernelFile(stored, buffer.table()));
    for (int z : zs)
      for (int kind : {AxialDipole, PlanarDipole, Monopole})
        for (int angle : angles) {
          if (kind != PlanarDipole && angle != 0) continue;
          const std::string name = KernelCacheName(kind, h, angle, static_cast<float>(z));
          ASSERT_EQ(symlink(stored.c_str(), name.c_str()), 0) << name;
        }
  }
}

// Options for runs on the stand-in kernels, which no content check passes.
RunOptions WithStandInKernels(int threads = DefaultThreadCount()) {
  RunOptions options;
  options.threads = threads;
  options.check_cache_contents = false;
  return options;
}

struct SynthesisResult {
  std::string output;
  std::vector<float> field;
};

// The layers of the drawing through the program (fast) or with every block
// added on its own (the reference), each in a workspace of its own.
SynthesisResult SynthesizeOnce(const Drawing& drawing, float z, int thickness, bool reference,
                               const RunOptions& options = RunOptions()) {
  const auto ws = NewWorkspace();
  const auto scratch = NewFieldScratch();
  StartRun(*ws, *scratch, drawing);
  testing::internal::CaptureStdout();
  if (reference)
    // The stand-in kernels pass no content check (all these runs use them).
    ReferenceSynthesizeField(
        *ws, *scratch, z, thickness,
        [](Workspace& w, FieldScratch& s, const MagnetColor& row, int h, float layer_z) {
          PrepareKernel(w, s, row, h, layer_z, WithStandInKernels());
        });
  else
    SynthesizeField(*ws, *scratch, z, thickness, options);
  SynthesisResult result;
  result.output = testing::internal::GetCapturedStdout();
  result.field.assign(&ws->field_grid[0][0][0], &ws->field_grid[0][0][0] + 640 * 640 * 3);
  EXPECT_TRUE(WorkPlaneRestored(*ws));
  return result;
}

void ExpectSameAsReference(const Drawing& drawing, float z, int thickness) {
  const SynthesisResult expected =
      SynthesizeOnce(drawing, z, thickness, true, WithStandInKernels());
  const SynthesisResult fast = SynthesizeOnce(drawing, z, thickness, false, WithStandInKernels());
  EXPECT_EQ(fast.output, expected.output);
  EXPECT_EQ(std::memcmp(fast.field.data(), expected.field.data(), sizeof(FieldGrid)), 0)
      << "z " << z << ", w " << thickness;
}

// A few magnets of every kind, overlapping, at the edges and in odd places,
// with colours that are no magnet among them.
Drawing ColorfulDrawing() {
  Drawing drawing;
  std::mt19937 rng(7);
  const int colors[][3] = {{kPink[0], kPink[1], kPink[2]},
                           {kDarkPurple[0], kDarkPurple[1], kDarkPurple[2]},
                           {kRed[0], kRed[1], kRed[2]},
                           {kBlue[0], kBlue[1], kBlue[2]},
                           {255, 100, 1},  // shared colour, direction 254
                           {1, 100, 1},    // direction 0
                           {0, 128, 64},   // dark green, planar
                           {10, 20, 30}};  // no magnet
  for (int k = 0; k < 14; ++k) {
    const int* c = colors[rng() % 8];
    const int rows = 1 + static_cast<int>(rng() % 13), cols = 1 + static_cast<int>(rng() % 13);
    drawing.FillRect(static_cast<int>(rng() % (641 - rows)), static_cast<int>(rng() % (641 - cols)),
                     rows, cols, c[0], c[1], c[2]);
  }
  drawing.FillRect(0, 0, 11, 11, kBlue[0], kBlue[1], kBlue[2]);      // one 11 x 11 block
  drawing.FillRect(629, 629, 11, 11, kPink[0], kPink[1], kPink[2]);  // corner, smaller blocks
  drawing.FillRect(100, 200, 7, 7, 255, 100, 1);
  return drawing;
}

class WholeField : public ::testing::Test {
 protected:
  ScratchDir dir_;
  WorkingDirectory cwd_{dir_.path()};
};

TEST_F(WholeField, ColorfulDrawingAtSeveralHeightsAndThicknesses) {
  StoreStandInKernels({-1, 0, 1, 3, 4}, {0, 74});
  const Drawing drawing = ColorfulDrawing();
  ExpectSameAsReference(drawing, 3.0f, 1);
  ExpectSameAsReference(drawing, 3.0f, 2);
  ExpectSameAsReference(drawing, 1.0f, -3);  // through z = 0 to below the sheet
}

// The picture in one colour: 3364 blocks of 11 x 11 in one step and the 2556
// single pixels of the strips at the right and the bottom in another.
TEST_F(WholeField, OneColorAndCheckerboardPatch) {
  StoreStandInKernels({3}, {0});
  Drawing filled;
  filled.FillRect(0, 0, 640, 640, kDarkPurple[0], kDarkPurple[1], kDarkPurple[2]);
  ExpectSameAsReference(filled, 3.0f, 1);

  // Two colours of opposite sign, single pixels only, many block rows.
  Drawing checkerboard;
  for (int row = 300; row < 316; ++row)
    for (int col = 0; col < 40; ++col) {
      const int* c = (row + col) % 2 ? kRed : kBlue;
      checkerboard.Paint(row, col, c[0], c[1], c[2]);
    }
  ExpectSameAsReference(checkerboard, 3.0f, 1);
}

TEST_F(WholeField, ThreadCountDoesNotChangeTheField) {
  StoreStandInKernels({3, 4}, {0, 74});
  const Drawing drawing = ColorfulDrawing();
  const std::vector<float> one_thread =
      SynthesizeOnce(drawing, 3.0f, 2, false, WithStandInKernels(1)).field;
  for (int threads : {2, 5}) {
    EXPECT_EQ(std::memcmp(
                  SynthesizeOnce(drawing, 3.0f, 2, false, WithStandInKernels(threads)).field.data(),
                  one_thread.data(), sizeof(FieldGrid)),
              0)
        << threads << " threads";
  }
}

}  // namespace
