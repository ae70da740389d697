#include "render/streamlines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "core/workspace.h"
#include "tests/field_test_support.h"

namespace {

// Red and blue samples of a stream_plane cell as "r", "b", "m" (both) or ".".
char Mark(const Workspace& ws, int row, int col) {
  const int16_t* cell = ws.stream_plane[row][col];
  EXPECT_EQ(cell[1], 0) << "green is never written";
  if (cell[0] == 255 && cell[2] == 255) return 'm';
  if (cell[0] == 255) return 'r';
  if (cell[2] == 255) return 'b';
  return '.';
}

int CountDrawn(const Workspace& ws) {
  int drawn = 0;
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m) drawn += Mark(ws, l, m) != '.';
  return drawn;
}

void FillInPlaneField(Workspace& ws, float x, float y) {
  for (auto& row : ws.field_grid)
    for (auto& cell : row) {
      cell[0] = x;
      cell[1] = y;
    }
}

class StreamlinesTest : public ::testing::Test {
 protected:
  const std::unique_ptr<Workspace> owner_ = NewWorkspace();
  Workspace& ws = *owner_;
};

TEST_F(StreamlinesTest, UniformFieldAlongRowsDrawsEveryStrokeCellByCell) {
  FillInPlaneField(ws, 0.25f, 0.0f);
  TraceStreamlines(ws);
  // Seeds on row or column 0 draw nothing; every other seed (r, c) draws
  // red in rows r..r+15 and blue in rows r-15..r-1 of its column.
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m) {
      char expected = '.';
      if (m % 32 == 0 && m > 0) {
        const int seed = (l + 15) / 32 * 32;
        if (seed > 0 && seed < 640) {
          if (l >= seed && l <= seed + 15) expected = 'r';
          if (l >= seed - 15 && l < seed) expected = 'b';
        }
      }
      ASSERT_EQ(Mark(ws, l, m), expected) << l << "," << m;
    }
  // The drawing is turned half a turn into the picture frame.
  EXPECT_EQ(ws.stream_image[639 - 32][639 - 32][0], 255);
  EXPECT_EQ(ws.stream_image[639 - 17][639 - 32][2], 255);
  EXPECT_EQ(ws.stream_image[639 - 16][639 - 32][2], 0);
}

TEST_F(StreamlinesTest, ZeroOrNonFiniteFieldDrawsNothing) {
  TraceStreamlines(ws);
  EXPECT_EQ(CountDrawn(ws), 0);

  const float inf = std::numeric_limits<float>::infinity();
  const float cases[][2] = {{std::nanf(""), 1}, {1, std::nanf("")}, {inf, 0},
                            {0, -inf},          {3e30f, 0},         {-3e30f, 3e30f}};
  for (const auto& c : cases) {
    FillInPlaneField(ws, c[0], c[1]);
    TraceLine(ws, 320, 320, +1);
    TraceLine(ws, 320, 320, -1);
    EXPECT_EQ(CountDrawn(ws), 0) << c[0] << "," << c[1];
  }
}

TEST_F(StreamlinesTest, NeighboursAcrossTheStepMustBeFreeOfRed) {
  ws.stream_plane[100][100][kRedSample] = 255;
  // Mainly along rows: the two cells either side in the row block.
  MarkIfClear(ws.stream_plane, 100, 102, 5, 1, kRedSample);
  MarkIfClear(ws.stream_plane, 100, 98, 5, 1, kBlueSample);
  MarkIfClear(ws.stream_plane, 100, 103, 5, 1, kRedSample);
  EXPECT_EQ(Mark(ws, 100, 102), '.');
  EXPECT_EQ(Mark(ws, 100, 98), '.');
  EXPECT_EQ(Mark(ws, 100, 103), 'r');
  // Neighbours along the direction of travel do not block.
  MarkIfClear(ws.stream_plane, 101, 100, 5, 1, kRedSample);
  EXPECT_EQ(Mark(ws, 101, 100), 'r');
  // Mainly along columns: the two cells either side in the column block.
  MarkIfClear(ws.stream_plane, 98, 100, 1, 5, kRedSample);
  MarkIfClear(ws.stream_plane, 104, 100, 1, 5, kRedSample);
  EXPECT_EQ(Mark(ws, 98, 100), '.');
  EXPECT_EQ(Mark(ws, 104, 100), 'r');

  // Blue blocks nothing; red drawn onto blue makes magenta, and blue is
  // written again onto blue.
  ws.stream_plane[200][200][kBlueSample] = 255;
  MarkIfClear(ws.stream_plane, 200, 201, 5, 0, kRedSample);
  MarkIfClear(ws.stream_plane, 200, 200, 5, 0, kBlueSample);
  MarkIfClear(ws.stream_plane, 200, 200, 5, 0, kRedSample);
  EXPECT_EQ(Mark(ws, 200, 201), 'r');
  EXPECT_EQ(Mark(ws, 200, 200), 'b') << "blocked by the red cell beside it";
  ws.stream_plane[200][201][kRedSample] = 0;
  MarkIfClear(ws.stream_plane, 200, 200, 5, 0, kBlueSample);
  MarkIfClear(ws.stream_plane, 200, 200, 5, 0, kRedSample);
  EXPECT_EQ(Mark(ws, 200, 200), 'm');
  // A red cell is never drawn again, by either kind.
  MarkIfClear(ws.stream_plane, 200, 200, 5, 0, kBlueSample);
  EXPECT_EQ(Mark(ws, 200, 200), 'm');
  ws.stream_plane[300][300][kRedSample] = 255;
  MarkIfClear(ws.stream_plane, 300, 300, 5, 0, kBlueSample);
  EXPECT_EQ(Mark(ws, 300, 300), 'r');
}

TEST_F(StreamlinesTest, EqualStepsNeedEitherDiagonalPairFree) {
  ws.stream_plane[300][300][kRedSample] = 255;  // on the falling diagonal of (301, 301)
  MarkIfClear(ws.stream_plane, 301, 301, 3, 3, kRedSample);
  EXPECT_EQ(Mark(ws, 301, 301), 'r');

  ws.stream_plane[398][402][kRedSample] = 255;  // rising diagonal of (400, 400)
  MarkIfClear(ws.stream_plane, 400, 400, 3, 3, kBlueSample);
  EXPECT_EQ(Mark(ws, 400, 400), 'b');

  ws.stream_plane[499][499][kRedSample] = 255;  // both diagonals of (500, 500)
  ws.stream_plane[502][498][kRedSample] = 255;
  MarkIfClear(ws.stream_plane, 500, 500, 3, 3, kRedSample);
  EXPECT_EQ(Mark(ws, 500, 500), '.');
  // Straight neighbours do not count for an equal step.
  ws.stream_plane[450][451][kRedSample] = 255;
  ws.stream_plane[451][450][kRedSample] = 255;
  MarkIfClear(ws.stream_plane, 450, 450, 4, 4, kRedSample);
  EXPECT_EQ(Mark(ws, 450, 450), 'r');
}

TEST_F(StreamlinesTest, TraceEndsWhenBothSignsFlipButKeepsTheStepThatLedThere) {
  ws.field_grid[320][320][0] = 1.0f;
  ws.field_grid[320][320][1] = 1.0f;  // step (3, 3) to (323, 323)
  ws.field_grid[323][323][0] = -1.0f;
  ws.field_grid[323][323][1] = -1.0f;  // both signs flip: the trace ends there
  TraceLine(ws, 320, 320, +1);
  EXPECT_EQ(Mark(ws, 320, 320), 'r');
  EXPECT_EQ(Mark(ws, 321, 321), 'r');
  EXPECT_EQ(Mark(ws, 322, 322), 'r');
  EXPECT_EQ(Mark(ws, 323, 323), 'r');
  EXPECT_EQ(CountDrawn(ws), 4);

  // With only one sign flipped the trace goes on, to (320, 326).
  ws.field_grid[323][323][1] = 1.0f;
  TraceLine(ws, 320, 320, +1);
  EXPECT_EQ(Mark(ws, 320, 326), 'r');
}

TEST_F(StreamlinesTest, StepsRoundHalvesAwayFromZeroAndStayInBounds) {
  // Along columns, negative: steps of -5 (4.5 rounds away from zero).
  FillInPlaneField(ws, 0.0f, -2.0f);
  TraceLine(ws, 100, 40, +1);
  for (int m = 25; m <= 40; ++m) EXPECT_EQ(Mark(ws, 100, m), 'r') << m;
  EXPECT_EQ(CountDrawn(ws), 16);
  // Forward from column 14 the first step would reach column 9, below the
  // lowest accepted column: nothing is drawn.
  TraceLine(ws, 200, 14, +1);
  EXPECT_EQ(Mark(ws, 200, 14), '.');
  // A seed two steps from the upper bound draws two steps only.
  FillInPlaneField(ws, 1.0f, 0.0f);
  TraceLine(ws, 620, 300, +1);
  EXPECT_EQ(Mark(ws, 630, 300), 'r');
  EXPECT_EQ(Mark(ws, 620, 300), 'r');
  EXPECT_EQ(Mark(ws, 631, 300), '.');
}

}  // namespace
