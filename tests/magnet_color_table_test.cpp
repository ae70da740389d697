#include "core/magnet_color_table.h"

#include "field/charge_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <tuple>

namespace {

TEST(MagnetColorTable, FineRowsFollowTheirDirection) {
  auto expect_row = [](int i, int r, int g, int b, int sign, int angle) {
    const MagnetColor& row = MagnetColorTable[i];
    EXPECT_EQ(std::make_tuple(row.r, row.g, row.b, row.sign, row.kind, row.angle),
              std::make_tuple(r, g, b, sign, int(PlanarDipole), angle))
        << "row " << i;
  };
  expect_row(0, 1, 100, 1, +1, 0);
  expect_row(1, 181, 100, 1, -1, 0);
  expect_row(180, 91, 100, 1, +1, 90);
  expect_row(358, 180, 100, 1, +1, 179);
  expect_row(359, 255, 100, 105, -1, 179);
  expect_row(149, 255, 100, 1, -1, 74);
  expect_row(151, 255, 100, 1, -1, 75);
}

TEST(MagnetColorTable, NamedRowsComeLastInTheirOrder) {
  const int expected[12][6] = {
      {0, 0, 255, 1, 1, 0},       {255, 0, 0, -1, 1, 0},     {0, 255, 0, 1, 2, 270},
      {0, 255, 255, -1, 2, 270},  {255, 255, 128, 1, 2, 0},  {0, 128, 64, -1, 2, 0},
      {255, 128, 255, 1, 2, 315}, {128, 0, 255, -1, 2, 315}, {255, 128, 0, 1, 2, 45},
      {128, 64, 0, -1, 2, 45},    {255, 0, 128, 1, 3, 0},    {128, 0, 128, -1, 3, 0}};
  for (int i = 0; i < 12; ++i) {
    const MagnetColor& row = MagnetColorTable[360 + i];
    EXPECT_EQ(std::make_tuple(row.r, row.g, row.b, row.sign, row.kind, row.angle),
              std::make_tuple(expected[i][0], expected[i][1], expected[i][2], expected[i][3],
                              expected[i][4], expected[i][5]))
        << "row " << 360 + i;
  }
}

TEST(MagnetColorTable, OnlyRows149And151ShareAColor) {
  std::map<std::tuple<int, int, int>, int> seen;
  for (int i = 0; i < kMagnetColorCount; ++i) {
    const MagnetColor& row = MagnetColorTable[i];
    auto [it, fresh] = seen.emplace(std::make_tuple(row.r, row.g, row.b), i);
    if (!fresh) {
      EXPECT_EQ(it->second, 149);
      EXPECT_EQ(i, 151);
    }
  }
  EXPECT_EQ(seen.size(), 371u);
}

TEST(IsMagnetColor, MatchesExactlyAndNothingElse) {
  for (const MagnetColor& row : MagnetColorTable) EXPECT_TRUE(IsMagnetColor(row.r, row.g, row.b));
  EXPECT_FALSE(IsMagnetColor(255, 255, 255));
  EXPECT_FALSE(IsMagnetColor(255, 100, 0));
  EXPECT_FALSE(IsMagnetColor(0, 0, 254));
  EXPECT_FALSE(IsMagnetColor(0, 0, 0));

  // Against a search of the rows, over every red and blue with the greens
  // the table uses and their neighbours, and samples outside 0-255.
  auto in_table = [](int r, int g, int b) {
    for (const MagnetColor& row : MagnetColorTable)
      if (row.r == r && row.g == g && row.b == b) return true;
    return false;
  };
  int agreeing = 0, checked = 0;
  for (int g : {0, 1, 63, 64, 65, 99, 100, 101, 127, 128, 129, 254, 255})
    for (int r = 0; r < 256; ++r)
      for (int b = 0; b < 256; ++b, ++checked)
        agreeing += IsMagnetColor(r, g, b) == in_table(r, g, b);
  EXPECT_EQ(agreeing, checked);
  for (int outside : {-1, 256, 32767, -32768, 1 << 16}) {
    EXPECT_FALSE(IsMagnetColor(outside, 100, 1));
    EXPECT_FALSE(IsMagnetColor(0, outside, 255));
    EXPECT_FALSE(IsMagnetColor(255, 0, outside));
  }
  EXPECT_FALSE(IsMagnetColor(1 + 256, 100, 1));  // would alias (1, 100, 1) if wrapped
}

// The pair offsets of all 360 whole-degree angles, bit for bit. They come
// from the C library's sine and cosine, which differ between libraries in the
// last bit at some angles (the WebAssembly build's among them); after the
// division by 5 and the rounding to float they must still agree, or every
// kernel of that angle changes.
TEST(MagnetColorTable, PlanarOffsetsOfEveryAngleArePinned) {
  auto bits = [](float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    return word;
  };
  const uint32_t spots[][3] = {{0, 0x3e4ccccd, 0x80000000},   {1, 0x3e4cc4d1, 0xbb64c08f},
                               {45, 0x3e10d0c2, 0xbe10d0c3},  {90, 0xb21630f2, 0xbe4ccccd},
                               {180, 0xbe4ccccd, 0x329630f2}, {270, 0x3123e4f1, 0x3e4ccccd},
                               {315, 0x3e10d0c1, 0x3e10d0c4}, {359, 0x3e4cc4d1, 0x3b64bfa4}};
  for (const auto& spot : spots) {
    const PlanarOffsets offsets = PlanarOffsetsFor(static_cast<int>(spot[0]));
    EXPECT_EQ(bits(offsets.s0), spot[1]) << "angle " << spot[0];
    EXPECT_EQ(bits(offsets.s1), spot[2]) << "angle " << spot[0];
  }
  // FNV-1a over the 720 bit patterns, angle by angle, s0 before s1.
  uint64_t hash = 1469598103934665603ull;
  for (int angle = 0; angle < 360; ++angle) {
    const PlanarOffsets offsets = PlanarOffsetsFor(angle);
    for (float value : {offsets.s0, offsets.s1}) {
      hash ^= bits(value);
      hash *= 1099511628211ull;
    }
  }
  EXPECT_EQ(hash, 0x89e2d331b1b87d2bull);
}

}  // namespace
