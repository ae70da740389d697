// The step-at-once superposition against blocks added one at a time to the
// whole grid: FieldGrid byte for byte, console text unchanged, any number of
// threads.
#include "field/block_superposition.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/grids.h"
#include "field/kernel_cache.h"
#include "field/magnet_color_table.h"
#include "tests/field_test_support.h"
#include "tests/reference_field.h"

namespace {

constexpr int kPink[3] = {255, 0, 128};        // monopole source
constexpr int kDarkPurple[3] = {128, 0, 128};  // monopole sink
constexpr int kRed[3] = {255, 0, 0};           // axial, sign -1
constexpr int kBlue[3] = {0, 0, 255};          // axial, sign +1

// Values of every size and both signs, with zeros of both signs among them,
// so that any change in the order of additions shows in the bits.
void FillWithAwkwardValues(float* values, size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
  std::uniform_int_distribution<int> exponent(-30, 10);
  for (size_t k = 0; k < count; ++k) {
    const unsigned pick = rng() % 16;
    values[k] = pick == 0 ? 0.0f : pick == 1 ? -0.0f : std::ldexp(mantissa(rng), exponent(rng));
  }
}

std::vector<float> FieldCopy() {
  return std::vector<float>(&FieldGrid[0][0][0], &FieldGrid[0][0][0] + 640 * 640 * 3);
}

bool FieldIs(const std::vector<float>& expected) {
  return std::memcmp(expected.data(), FieldGrid, sizeof(FieldGrid)) == 0;
}

struct ThreadCount {
  explicit ThreadCount(int threads) : previous(SuperpositionThreads()) {
    SetSuperpositionThreads(threads);
  }
  ~ThreadCount() { SetSuperpositionThreads(previous); }
  int previous;
};

TEST(BlockSuperposition, TurningTwiceRestoresAndTurnMovesCellsNotComponents) {
  ResetGrids();
  FillWithAwkwardValues(&FieldGrid[0][0][0], 640 * 640 * 3, 1);
  const std::vector<float> before = FieldCopy();
  TurnFieldGrid();
  EXPECT_EQ(std::memcmp(FieldGrid[639][639], &before[0], 3 * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(FieldGrid[0][1], &before[(639 * 640 + 638) * 3], 3 * sizeof(float)), 0);
  TurnFieldGrid();
  EXPECT_TRUE(FieldIs(before));
}

// Blocks at the grid's corners and edges, several in one block row and a row
// with a single block, of both signs, against one block at a time.
TEST(BlockSuperposition, StepMatchesBlocksAddedOneByOne) {
  ResetGrids();
  FillWithAwkwardValues(&KernelTable[0][0][0], 1284 * 1284 * 3, 2);
  FillWithAwkwardValues(&FieldGrid[0][0][0], 640 * 640 * 3, 3);
  const std::vector<float> start = FieldCopy();
  const std::vector<BlockCentre> blocks = {{0, 0},   {0, 1},     {0, 2},    {0, 639},
                                           {5, 5},   {5, 16},    {5, 632},  {300, 7},
                                           {639, 0}, {639, 320}, {639, 639}};
  const std::vector<BlockCentre> more = {{2, 2}, {2, 637}, {637, 2}, {637, 637}};

  for (float sign : {1.0f, -1.0f}) {
    std::memcpy(FieldGrid, start.data(), sizeof(FieldGrid));
    for (const BlockCentre& b : blocks) ReferenceAddBlockField(b.row, b.col, sign);
    for (const BlockCentre& b : more) ReferenceAddBlockField(b.row, b.col, -sign);
    const std::vector<float> expected = FieldCopy();
    for (int width : {8, 4, 1})
      for (int threads : {1, 2, 3}) {
        ThreadCount use(threads);
        LimitSuperpositionWidth(width);
        std::memcpy(FieldGrid, start.data(), sizeof(FieldGrid));
        TurnFieldGrid();
        AddStepBlocks(blocks.data(), static_cast<int>(blocks.size()), sign);
        AddStepBlocks(more.data(), static_cast<int>(more.size()), -sign);
        TurnFieldGrid();
        LimitSuperpositionWidth(8);
        EXPECT_TRUE(FieldIs(expected))
            << "sign " << sign << ", width " << width << ", " << threads << " threads";
      }
  }
  // No blocks, nothing added.
  std::memcpy(FieldGrid, start.data(), sizeof(FieldGrid));
  AddStepBlocks(blocks.data(), 0, 1.0f);
  EXPECT_TRUE(FieldIs(start));
}

// Stores a cache file of awkward values under each name a drawing may ask
// for, so that no kernel of half-size 1 or more has to be computed: one file
// per half-size, the other names linked to it.
void StoreStandInKernels(const std::vector<int>& zs, const std::vector<int>& angles) {
  KernelBuffer buffer;
  for (int h : {1, 2, 3, 5}) {
    FillWithAwkwardValues(buffer.values.data(), buffer.values.size(), 10 + h);
    const std::string stored = "kernel_" + std::to_string(h) + ".bin";
    ASSERT_TRUE(StoreKernelFile(stored, buffer.rows()));
    for (int z : zs)
      for (int kind : {AxialDipole, PlanarDipole, Monopole})
        for (int angle : angles) {
          if (kind != PlanarDipole && angle != 0) continue;
          const std::string name = KernelCacheName(kind, h, angle, static_cast<float>(z));
          ASSERT_EQ(symlink(stored.c_str(), name.c_str()), 0) << name;
        }
  }
}

struct SynthesisResult {
  std::string output;
  std::vector<float> field;
  float z_after;
};

SynthesisResult Synthesize(const Drawing& drawing, float z, int thickness, bool reference) {
  StartRun(drawing, z);
  RunSettings settings;
  settings.z = z;
  settings.thickness = thickness;
  testing::internal::CaptureStdout();
  if (reference)
    ReferenceSynthesizeField(settings, PrepareKernel);
  else
    SynthesizeField(settings);
  SynthesisResult result;
  result.output = testing::internal::GetCapturedStdout();
  result.field = FieldCopy();
  result.z_after = CurrentZ;
  return result;
}

void ExpectSameAsReference(const Drawing& drawing, float z, int thickness) {
  const SynthesisResult expected = Synthesize(drawing, z, thickness, true);
  const SynthesisResult fast = Synthesize(drawing, z, thickness, false);
  EXPECT_EQ(fast.output, expected.output);
  EXPECT_EQ(std::memcmp(fast.field.data(), expected.field.data(), sizeof(FieldGrid)), 0)
      << "z " << z << ", w " << thickness;
  EXPECT_EQ(fast.z_after, expected.z_after);
  EXPECT_EQ(std::memcmp(WorkPlane, PicturePlane, sizeof(ImagePlane)), 0);
}

// A few magnets of every kind, overlapping, at the edges and in odd places,
// with colours that are no magnet among them.
Drawing ColourfulDrawing() {
  Drawing drawing;
  std::mt19937 rng(7);
  const int colours[][3] = {{kPink[0], kPink[1], kPink[2]},
                            {kDarkPurple[0], kDarkPurple[1], kDarkPurple[2]},
                            {kRed[0], kRed[1], kRed[2]},
                            {kBlue[0], kBlue[1], kBlue[2]},
                            {255, 100, 1},  // shared colour, direction 254
                            {1, 100, 1},    // direction 0
                            {0, 128, 64},   // dark green, planar
                            {10, 20, 30}};  // no magnet
  for (int k = 0; k < 14; ++k) {
    const int* c = colours[rng() % 8];
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

TEST_F(WholeField, ColourfulDrawingAtSeveralHeightsAndThicknesses) {
  StoreStandInKernels({-1, 0, 1, 3, 4}, {0, 74});
  const Drawing drawing = ColourfulDrawing();
  ExpectSameAsReference(drawing, 3.0f, 1);
  ExpectSameAsReference(drawing, 3.0f, 2);
  ExpectSameAsReference(drawing, 1.0f, -3);  // through z = 0 to below the sheet
}

// The picture in one colour: 3364 blocks of 11 x 11 in one step and the 2556
// single pixels of the strips at the right and the bottom in another.
TEST_F(WholeField, OneColourAndCheckerboardPatch) {
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
  const Drawing drawing = ColourfulDrawing();
  std::vector<float> one_thread;
  {
    ThreadCount use(1);
    one_thread = Synthesize(drawing, 3.0f, 2, false).field;
  }
  for (int threads : {2, 5}) {
    ThreadCount use(threads);
    EXPECT_EQ(std::memcmp(Synthesize(drawing, 3.0f, 2, false).field.data(), one_thread.data(),
                          sizeof(FieldGrid)),
              0)
        << threads << " threads";
  }
}

}  // namespace
