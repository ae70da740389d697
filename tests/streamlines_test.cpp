#include "render/streamlines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "app/grids.h"

namespace {

// Red and blue samples of a StreamPlane cell as "r", "b", "m" (both) or ".".
char Mark(int row, int col) {
  const int16_t* cell = StreamPlane[row][col];
  EXPECT_EQ(cell[1], 0) << "green is never written";
  if (cell[0] == 255 && cell[2] == 255) return 'm';
  if (cell[0] == 255) return 'r';
  if (cell[2] == 255) return 'b';
  return '.';
}

int CountDrawn() {
  int drawn = 0;
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m) drawn += Mark(l, m) != '.';
  return drawn;
}

void FillInPlaneField(float x, float y) {
  for (auto& row : FieldGrid)
    for (auto& cell : row) {
      cell[0] = x;
      cell[1] = y;
    }
}

class StreamlinesTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetGrids(); }
  void TearDown() override { ResetGrids(); }
};

TEST_F(StreamlinesTest, UniformFieldAlongRowsDrawsEveryStrokeCellByCell) {
  FillInPlaneField(0.25f, 0.0f);
  testing::internal::CaptureStdout();
  TraceStreamlines();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "   +Calculating  Magnetic Streamlines+\n\n");
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
      ASSERT_EQ(Mark(l, m), expected) << l << "," << m;
    }
  // The drawing is turned half a turn into the picture frame.
  EXPECT_EQ(StreamImage[639 - 32][639 - 32][0], 255);
  EXPECT_EQ(StreamImage[639 - 17][639 - 32][2], 255);
  EXPECT_EQ(StreamImage[639 - 16][639 - 32][2], 0);
}

TEST_F(StreamlinesTest, ZeroOrNonFiniteFieldDrawsNothing) {
  testing::internal::CaptureStdout();
  TraceStreamlines();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(CountDrawn(), 0);

  const float inf = std::numeric_limits<float>::infinity();
  const float cases[][2] = {{std::nanf(""), 1}, {1, std::nanf("")}, {inf, 0},
                            {0, -inf},          {3e30f, 0},         {-3e30f, 3e30f}};
  for (const auto& c : cases) {
    FillInPlaneField(c[0], c[1]);
    TraceLine(320, 320, +1);
    TraceLine(320, 320, -1);
    EXPECT_EQ(CountDrawn(), 0) << c[0] << "," << c[1];
  }
}

TEST_F(StreamlinesTest, NeighboursAcrossTheStepMustBeFreeOfRed) {
  StreamPlane[100][100][kRedSample] = 255;
  // Mainly along rows: the two cells either side in the row block.
  MarkIfClear(100, 102, 5, 1, kRedSample);
  MarkIfClear(100, 98, 5, 1, kBlueSample);
  MarkIfClear(100, 103, 5, 1, kRedSample);
  EXPECT_EQ(Mark(100, 102), '.');
  EXPECT_EQ(Mark(100, 98), '.');
  EXPECT_EQ(Mark(100, 103), 'r');
  // Neighbours along the direction of travel do not block.
  MarkIfClear(101, 100, 5, 1, kRedSample);
  EXPECT_EQ(Mark(101, 100), 'r');
  // Mainly along columns: the two cells either side in the column block.
  MarkIfClear(98, 100, 1, 5, kRedSample);
  MarkIfClear(104, 100, 1, 5, kRedSample);
  EXPECT_EQ(Mark(98, 100), '.');
  EXPECT_EQ(Mark(104, 100), 'r');

  // Blue blocks nothing; red drawn onto blue makes magenta, and blue is
  // written again onto blue.
  StreamPlane[200][200][kBlueSample] = 255;
  MarkIfClear(200, 201, 5, 0, kRedSample);
  MarkIfClear(200, 200, 5, 0, kBlueSample);
  MarkIfClear(200, 200, 5, 0, kRedSample);
  EXPECT_EQ(Mark(200, 201), 'r');
  EXPECT_EQ(Mark(200, 200), 'b') << "blocked by the red cell beside it";
  StreamPlane[200][201][kRedSample] = 0;
  MarkIfClear(200, 200, 5, 0, kBlueSample);
  MarkIfClear(200, 200, 5, 0, kRedSample);
  EXPECT_EQ(Mark(200, 200), 'm');
  // A red cell is never drawn again, by either kind.
  MarkIfClear(200, 200, 5, 0, kBlueSample);
  EXPECT_EQ(Mark(200, 200), 'm');
  StreamPlane[300][300][kRedSample] = 255;
  MarkIfClear(300, 300, 5, 0, kBlueSample);
  EXPECT_EQ(Mark(300, 300), 'r');
}

TEST_F(StreamlinesTest, EqualStepsNeedEitherDiagonalPairFree) {
  StreamPlane[300][300][kRedSample] = 255;  // on the falling diagonal of (301, 301)
  MarkIfClear(301, 301, 3, 3, kRedSample);
  EXPECT_EQ(Mark(301, 301), 'r');

  StreamPlane[398][402][kRedSample] = 255;  // rising diagonal of (400, 400)
  MarkIfClear(400, 400, 3, 3, kBlueSample);
  EXPECT_EQ(Mark(400, 400), 'b');

  StreamPlane[499][499][kRedSample] = 255;  // both diagonals of (500, 500)
  StreamPlane[502][498][kRedSample] = 255;
  MarkIfClear(500, 500, 3, 3, kRedSample);
  EXPECT_EQ(Mark(500, 500), '.');
  // Straight neighbours do not count for an equal step.
  StreamPlane[450][451][kRedSample] = 255;
  StreamPlane[451][450][kRedSample] = 255;
  MarkIfClear(450, 450, 4, 4, kRedSample);
  EXPECT_EQ(Mark(450, 450), 'r');
}

TEST_F(StreamlinesTest, TraceEndsWhenBothSignsFlipButKeepsTheStepThatLedThere) {
  FieldGrid[320][320][0] = 1.0f;
  FieldGrid[320][320][1] = 1.0f;  // step (3, 3) to (323, 323)
  FieldGrid[323][323][0] = -1.0f;
  FieldGrid[323][323][1] = -1.0f;  // both signs flip: the trace ends there
  TraceLine(320, 320, +1);
  EXPECT_EQ(Mark(320, 320), 'r');
  EXPECT_EQ(Mark(321, 321), 'r');
  EXPECT_EQ(Mark(322, 322), 'r');
  EXPECT_EQ(Mark(323, 323), 'r');
  EXPECT_EQ(CountDrawn(), 4);

  // With only one sign flipped the trace goes on, to (320, 326).
  FieldGrid[323][323][1] = 1.0f;
  TraceLine(320, 320, +1);
  EXPECT_EQ(Mark(320, 326), 'r');
}

TEST_F(StreamlinesTest, StepsRoundHalvesAwayFromZeroAndStayInBounds) {
  // Along columns, negative: steps of -5 (4.5 rounds away from zero).
  FillInPlaneField(0.0f, -2.0f);
  TraceLine(100, 40, +1);
  for (int m = 25; m <= 40; ++m) EXPECT_EQ(Mark(100, m), 'r') << m;
  EXPECT_EQ(CountDrawn(), 16);
  // Forward from column 14 the first step would reach column 9, below the
  // lowest accepted column: nothing is drawn.
  TraceLine(200, 14, +1);
  EXPECT_EQ(Mark(200, 14), '.');
  // A seed two steps from the upper bound draws two steps only.
  FillInPlaneField(1.0f, 0.0f);
  TraceLine(620, 300, +1);
  EXPECT_EQ(Mark(630, 300), 'r');
  EXPECT_EQ(Mark(620, 300), 'r');
  EXPECT_EQ(Mark(631, 300), '.');
}

}  // namespace
