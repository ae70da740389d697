// The step-at-once superposition against blocks added one at a time to the
// whole grid: the field grid byte for byte, for every vector width and any
// number of threads.
#include "field/block_superposition.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/workspace.h"
#include "reference/field.h"
#include "tests/field_test_support.h"

namespace {

std::vector<float> FieldCopy(const Workspace& ws) {
  return std::vector<float>(&ws.field_grid[0][0][0], &ws.field_grid[0][0][0] + 640 * 640 * 3);
}

bool FieldIs(const Workspace& ws, const std::vector<float>& expected) {
  return std::memcmp(expected.data(), ws.field_grid, sizeof(FieldGrid)) == 0;
}

TEST(BlockSuperposition, TurningTwiceRestoresAndTurnMovesCellsNotComponents) {
  const auto ws = NewWorkspace();
  FillWithAwkwardValues(&ws->field_grid[0][0][0], 640 * 640 * 3, 1);
  const std::vector<float> before = FieldCopy(*ws);
  TurnFieldGrid(ws->field_grid);
  EXPECT_EQ(std::memcmp(ws->field_grid[639][639], &before[0], 3 * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(ws->field_grid[0][1], &before[(639 * 640 + 638) * 3], 3 * sizeof(float)),
            0);
  TurnFieldGrid(ws->field_grid);
  EXPECT_TRUE(FieldIs(*ws, before));
}

// Blocks at the grid's corners and edges, several in one block row and a row
// with a single block, of both signs, against one block at a time.
TEST(BlockSuperposition, StepMatchesBlocksAddedOneByOne) {
  const auto ws = NewWorkspace();
  const auto runs = std::make_unique<BlockRuns>();
  FillWithAwkwardValues(&ws->kernel_table[0][0][0], 1284 * 1284 * 3, 2);
  FillWithAwkwardValues(&ws->field_grid[0][0][0], 640 * 640 * 3, 3);
  const std::vector<float> start = FieldCopy(*ws);
  const std::vector<BlockCentre> blocks = {{0, 0},   {0, 1},     {0, 2},    {0, 639},
                                           {5, 5},   {5, 16},    {5, 632},  {300, 7},
                                           {639, 0}, {639, 320}, {639, 639}};
  const std::vector<BlockCentre> more = {{2, 2}, {2, 637}, {637, 2}, {637, 637}};
  // Runs that repeat every second block row, whose rows are added in pairs.
  std::vector<BlockCentre> checkerboard;
  for (int16_t row = 100; row < 160; ++row)
    for (int16_t col = 50 + row % 2; col < 90; col += 2) checkerboard.push_back({row, col});

  // Two slanted bands of a few blocks per row, as a thin sector of a ring:
  // rows paired where a block has one below it, with the others added to
  // one row of the pair alone.
  std::vector<BlockCentre> band, other_band;
  for (int16_t row = 200; row < 260; ++row) {
    for (int16_t col = 300 + row / 3; col < 303 + row / 2; ++col) band.push_back({row, col});
    for (int16_t col = 500 - row / 4; col < 502 - row / 4 + row % 3; ++col)
      other_band.push_back({static_cast<int16_t>(row + 300), col});
  }

  for (float sign : {1.0f, -1.0f}) {
    std::memcpy(ws->field_grid, start.data(), sizeof(FieldGrid));
    for (const BlockCentre& b : band) ReferenceAddBlockField(*ws, b.row, b.col, sign);
    for (const BlockCentre& b : other_band) ReferenceAddBlockField(*ws, b.row, b.col, -sign);
    const std::vector<float> expected_bands = FieldCopy(*ws);
    std::memcpy(ws->field_grid, start.data(), sizeof(FieldGrid));
    for (const BlockCentre& b : blocks) ReferenceAddBlockField(*ws, b.row, b.col, sign);
    for (const BlockCentre& b : more) ReferenceAddBlockField(*ws, b.row, b.col, -sign);
    const std::vector<float> expected = FieldCopy(*ws);
    for (const BlockCentre& b : checkerboard) ReferenceAddBlockField(*ws, b.row, b.col, sign);
    const std::vector<float> expected_with_checkerboard = FieldCopy(*ws);
    for (int width : {16, 8, 4, 1})
      for (int threads : {1, 2, 3}) {
        const RunOptions options{threads, width};
        // Runs add on the start field, in the turned frame the adders work in.
        const auto from_start = [&](const auto& add) {
          std::memcpy(ws->field_grid, start.data(), sizeof(FieldGrid));
          TurnFieldGrid(ws->field_grid);
          add();
          TurnFieldGrid(ws->field_grid);
        };
        from_start([&] {
          AddStepBlocks(*ws, *runs, blocks.data(), static_cast<int>(blocks.size()), sign, options);
          AddStepBlocks(*ws, *runs, more.data(), static_cast<int>(more.size()), -sign, options);
        });
        EXPECT_TRUE(FieldIs(*ws, expected))
            << "sign " << sign << ", width " << width << ", " << threads << " threads";
        // Both steps at once, as the synthesis adds steps that share a kernel.
        const BlockGroup groups[] = {{blocks.data(), static_cast<int>(blocks.size()), sign},
                                     {more.data(), static_cast<int>(more.size()), -sign}};
        from_start([&] { AddBlockGroups(*ws, *runs, groups, 2, options); });
        EXPECT_TRUE(FieldIs(*ws, expected))
            << "groups, sign " << sign << ", width " << width << ", " << threads << " threads";
        from_start([&] {
          AddBlockGroups(*ws, *runs, groups, 2, options);
          AddStepBlocks(*ws, *runs, checkerboard.data(), static_cast<int>(checkerboard.size()),
                        sign, options);
        });
        EXPECT_TRUE(FieldIs(*ws, expected_with_checkerboard))
            << "checkerboard, sign " << sign << ", width " << width << ", " << threads
            << " threads";
        const BlockGroup bands[] = {
            {band.data(), static_cast<int>(band.size()), sign},
            {other_band.data(), static_cast<int>(other_band.size()), -sign}};
        from_start([&] { AddBlockGroups(*ws, *runs, bands, 2, options); });
        EXPECT_TRUE(FieldIs(*ws, expected_bands))
            << "bands, sign " << sign << ", width " << width << ", " << threads << " threads";
      }
  }
  // No blocks, nothing added, and no row pairs left over from the step
  // before.
  AddStepBlocks(*ws, *runs, checkerboard.data(), static_cast<int>(checkerboard.size()), 1.0f);
  ASSERT_GT(runs->pair_apart, 0);
  ASSERT_GT(runs->chunk_count, 1);  // the comparisons above crossed chunks
  std::memcpy(ws->field_grid, start.data(), sizeof(FieldGrid));
  const BlockGroup empty[] = {{blocks.data(), 0, 1.0f}};
  AddBlockGroups(*ws, *runs, empty, 1);
  EXPECT_TRUE(FieldIs(*ws, start));
  EXPECT_EQ(runs->count, 0);
  EXPECT_EQ(runs->pair_apart, 0);
}

}  // namespace
