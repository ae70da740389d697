#include "field/kernel_sums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/magnet_color_table.h"
#include "reference/kernels.h"
#include "tests/field_test_support.h"

namespace {

// The program's kernels against the plain evaluation, byte for byte. The
// plain evaluation takes seconds for a large block, so most cases compare a
// fixed sample of rows: the edges, the centre, the rows near offsets of
// +-2^k (where (t + s) + i and (t + i) + s round apart) and every 61st row.
std::vector<std::pair<int, int>> SampleRowRanges() {
  std::vector<bool> sampled(kKernelSide, false);
  for (int p = 0; p < kKernelSide; ++p) {
    const int t = p - kKernelCentre;
    bool near_power = false;
    for (int power = 4; power <= 512; power *= 2)
      near_power = near_power || std::abs(std::abs(t) - power) <= 7;
    sampled[p] = p < 6 || p >= kKernelSide - 6 || std::abs(t) <= 20 || near_power || p % 61 == 0;
  }
  std::vector<std::pair<int, int>> ranges;
  for (int p = 0; p < kKernelSide; ++p) {
    if (!sampled[p]) continue;
    if (!ranges.empty() && ranges.back().second == p)
      ranges.back().second = p + 1;
    else
      ranges.push_back({p, p + 1});
  }
  return ranges;
}

KernelBuffer& ProgramTable() {
  static KernelBuffer table;
  return table;
}
KernelBuffer& PlainTable() {
  static KernelBuffer table;
  return table;
}

struct KernelCase {
  int kind, h, angle;
  float z;
};

std::string Describe(const KernelCase& c) {
  return "kind " + std::to_string(c.kind) + " h " + std::to_string(c.h) + " angle " +
         std::to_string(c.angle) + " z " + std::to_string(c.z);
}

// True when the program's kernel equals the plain one on every row, or on
// the sampled rows only.
bool SameAsPlainEvaluation(const KernelCase& c, bool every_row) {
  KernelBuffer& program = ProgramTable();
  KernelBuffer& plain = PlainTable();
  ComputeKernel(c.kind, c.h, c.angle, c.z, program.table());
  const std::vector<std::pair<int, int>> ranges =
      every_row ? std::vector<std::pair<int, int>>{{0, kKernelSide}} : SampleRowRanges();
  const std::size_t row_bytes = sizeof(float) * kKernelSide * 3;
  for (const std::pair<int, int>& range : ranges) {
    ReferenceKernelRows(c.kind, c.h, c.angle, c.z, range.first, range.second, plain.values.data());
    const std::size_t at = static_cast<std::size_t>(range.first) * kKernelSide * 3;
    if (std::memcmp(&program.values[at], &plain.values[at],
                    row_bytes * (range.second - range.first)) != 0)
      return false;
  }
  return true;
}

TEST(KernelSums, SampleCoversAFifthOfTheRowsAndEveryEdge) {
  int rows = 0;
  for (const std::pair<int, int>& range : SampleRowRanges()) rows += range.second - range.first;
  EXPECT_GT(rows, kKernelSide / 8);
  EXPECT_LT(rows, kKernelSide / 4);
  EXPECT_EQ(SampleRowRanges().front().first, 0);
  EXPECT_EQ(SampleRowRanges().back().second, kKernelSide);
}

TEST(KernelSums, WholeLargestKernelsOfEveryKindMatchPlainEvaluation) {
  // Planar angle 1 has the most oddly rounded offsets of the colour table.
  const KernelCase cases[] = {{Monopole, 5, 0, 3}, {AxialDipole, 5, 0, 3}, {PlanarDipole, 5, 1, 3}};
  for (const KernelCase& c : cases) EXPECT_TRUE(SameAsPlainEvaluation(c, true)) << Describe(c);
}

TEST(KernelSums, EveryKindAndHalfSizeMatchesPlainEvaluationAtSeveralDistances) {
  // z = 0 puts the monopole's field point on its charges (the zero-distance
  // rule) and the axial pair symmetric about the field plane.
  const float distances[] = {0, -2, 6};
  const int angles[] = {2, 315, 137};
  for (int d = 0; d < 3; ++d)
    for (int kind : {AxialDipole, PlanarDipole, Monopole})
      for (int h = 0; h <= 5; ++h) {
        const KernelCase c{kind, h, kind == PlanarDipole ? angles[d] : 0, distances[d]};
        EXPECT_TRUE(SameAsPlainEvaluation(c, h <= 1)) << Describe(c);
      }
}

TEST(KernelSums, EveryPlanarAngleOfTheColorTableMatchesPlainEvaluation) {
  std::vector<int> angles;
  for (const MagnetColor& row : MagnetColorTable)
    if (row.kind == PlanarDipole &&
        std::find(angles.begin(), angles.end(), row.angle) == angles.end())
      angles.push_back(row.angle);
  ASSERT_EQ(angles.size(), 182u);
  for (int angle : angles) {
    const KernelCase c{PlanarDipole, 1, angle, 3};
    EXPECT_TRUE(SameAsPlainEvaluation(c, false)) << Describe(c);
  }
}

TEST(KernelSums, UnusualArgumentsMatchPlainEvaluation) {
  const KernelCase cases[] = {
      {PlanarDipole, 7, 2, 3},
      {PlanarDipole, 2, -30, 1},
      {PlanarDipole, 2, 400, 0},
      {AxialDipole, 6, 0, -1},
      {Monopole, 1, 0, 1000},
      // Single cubes at angles whose sine or cosine is exactly 0 or nearly so,
      // where a mirrored entry's zeros must come out as the evaluation's.
      {PlanarDipole, 0, 90, 0},
      {PlanarDipole, 0, 180, -3},
      {PlanarDipole, 0, 0, 0},
  };
  for (const KernelCase& c : cases) EXPECT_TRUE(SameAsPlainEvaluation(c, false)) << Describe(c);
}

TEST(KernelSums, AnyNumberOfThreadsGivesTheSameBytes) {
  const KernelCase cases[] = {{PlanarDipole, 5, 2, -1}, {Monopole, 3, 0, 0},
                              {AxialDipole, 2, 0, 3},   {PlanarDipole, 0, 7, 3},
                              {Monopole, 0, 0, 0},      {AxialDipole, 0, 0, -2}};
  KernelBuffer one, several;
  for (const KernelCase& c : cases) {
    ComputeKernel(c.kind, c.h, c.angle, c.z, one.table(), RunOptions{1});
    for (int threads : {2, 3, 8}) {
      ComputeKernel(c.kind, c.h, c.angle, c.z, several.table(), RunOptions{threads});
      EXPECT_TRUE(several.SameBytes(one.values.data())) << Describe(c) << " threads " << threads;
    }
  }
}

TEST(KernelSums, EveryVectorWidthGivesTheSameBytes) {
  const KernelCase cases[] = {{PlanarDipole, 5, 1, 3}, {Monopole, 2, 0, 0}, {AxialDipole, 3, 0, -1},
                              {PlanarDipole, 0, 1, 3}, {Monopole, 0, 0, 3}, {AxialDipole, 0, 0, 0}};
  KernelBuffer widest, narrower;
  for (const KernelCase& c : cases) {
    ComputeKernel(c.kind, c.h, c.angle, c.z, widest.table(), RunOptions{2, 16});
    for (int floats : {8, 4}) {
      ComputeKernel(c.kind, c.h, c.angle, c.z, narrower.table(), RunOptions{2, floats});
      EXPECT_TRUE(narrower.SameBytes(widest.values.data()))
          << Describe(c) << " vectors of " << floats << " floats";
    }
  }
}

// A single cube's kernel computed only in a window, mirrored where the
// window holds both halves: the window's entries as in the whole kernel,
// whatever the threads and vectors.
TEST(KernelSums, SingleCubeWindowMatchesTheWholeKernel) {
  const KernelCase cases[] = {{PlanarDipole, 0, 37, 3},
                              {PlanarDipole, 0, 90, -2},
                              {PlanarDipole, 0, 180, 0},
                              {Monopole, 0, 0, 0},
                              {AxialDipole, 0, 0, 4}};
  const KernelWindow windows[] = {{0, kKernelSide, 0, kKernelSide},
                                  {600, 1283, 3, 700},
                                  {1, 642, 641, 1284},
                                  {300, 1000, 0, 1283},
                                  {200, 1100, 500, 501}};
  KernelBuffer whole, window;
  for (const KernelCase& c : cases) {
    ComputeKernel(c.kind, 0, c.angle, c.z, whole.table());
    for (const KernelWindow& w : windows)
      for (const RunOptions options : {RunOptions{1, 16}, RunOptions{3, 4}}) {
        std::fill(window.values.begin(), window.values.end(), 7.0f);
        ComputeSingleCubeWindow(c.kind, c.angle, c.z, w, window.table(), options);
        int wrong = 0;
        for (int p = w.row_begin; p < w.row_end; ++p)
          for (int q = w.column_begin; q < w.column_end; ++q)
            for (int n = 0; n < 3; ++n) {
              const float expected = whole.at(p, q, n), got = window.at(p, q, n);
              wrong += std::memcmp(&expected, &got, sizeof(float)) != 0;
            }
        EXPECT_EQ(wrong, 0) << Describe(c) << " window rows " << w.row_begin << ".." << w.row_end
                            << " columns " << w.column_begin << ".." << w.column_end << ", "
                            << options.threads << " threads";
      }
  }
}

}  // namespace
