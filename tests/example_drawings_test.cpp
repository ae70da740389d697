#include <gtest/gtest.h>
#include <lodepng.h>

#include <map>
#include <set>
#include <string>

#include "core/magnet_color_names.h"
#include "core/magnet_color_table.h"
#include "tools/example_recipes.h"

namespace {

std::string ExamplePath(const ExampleRecipe& recipe) {
  return std::string(FLUXART_SOURCE_DIR) + "/examples/" + recipe.file_name;
}

// Pixel count of every colour in the picture.
std::map<Rgb, int> CountColors(const RgbCanvas& canvas) {
  std::map<Rgb, int> counts;
  for (int row = 0; row < canvas.height; ++row)
    for (int col = 0; col < canvas.width; ++col) ++counts[PixelAt(canvas, row, col)];
  return counts;
}

// Table row that takes pixels of this colour (the first one in table order).
int RowOfColor(Rgb color) {
  for (int row = 0; row < kMagnetColorCount; ++row) {
    const MagnetColor& entry = MagnetColorTable[row];
    if (Rgb{entry.r, entry.g, entry.b} == color) return row;
  }
  return -1;
}

TEST(ExampleDrawings, CommittedFilesAre640x640RgbAndMatchTheirRecipes) {
  ASSERT_FALSE(ExampleRecipes().empty());
  for (const ExampleRecipe& recipe : ExampleRecipes()) {
    SCOPED_TRACE(recipe.file_name);
    std::vector<unsigned char> file;
    ASSERT_EQ(lodepng::load_file(file, ExamplePath(recipe)), 0u);
    lodepng::State state;
    unsigned width = 0, height = 0;
    ASSERT_EQ(lodepng_inspect(&width, &height, &state, file.data(), file.size()), 0u);
    EXPECT_EQ(state.info_png.color.colortype, LCT_RGB);
    EXPECT_EQ(state.info_png.color.bitdepth, 8u);
    EXPECT_LT(file.size(), 20000u) << "an example drawing should stay small";

    RgbCanvas committed;
    ASSERT_EQ(ReadPngFile(ExamplePath(recipe), &committed), 0u);
    ASSERT_EQ(committed.width, 640);
    ASSERT_EQ(committed.height, 640);
    EXPECT_TRUE(committed.rgb == PaintExample(recipe).rgb)
        << "out of date: run scripts/make-examples";
  }
}

TEST(ExampleDrawings, UseExactlyTheColorsTheirRecipesName) {
  for (const ExampleRecipe& recipe : ExampleRecipes()) {
    SCOPED_TRACE(recipe.file_name);
    RgbCanvas committed;
    ASSERT_EQ(ReadPngFile(ExamplePath(recipe), &committed), 0u);
    std::map<Rgb, int> counts = CountColors(committed);
    for (Rgb color : recipe.magnet_colors) {
      EXPECT_TRUE(IsMagnetColor(color.r, color.g, color.b));
      EXPECT_GT(counts[color], 0) << color.r << "," << color.g << "," << color.b << " unused";
    }
    for (Rgb color : recipe.other_colors) {
      EXPECT_FALSE(IsMagnetColor(color.r, color.g, color.b));
      EXPECT_GT(counts[color], 0) << color.r << "," << color.g << "," << color.b << " unused";
    }
    std::set<Rgb> allowed(recipe.magnet_colors.begin(), recipe.magnet_colors.end());
    allowed.insert(recipe.other_colors.begin(), recipe.other_colors.end());
    allowed.insert(kWhite);
    for (const auto& [color, count] : counts)
      EXPECT_TRUE(allowed.count(color))
          << count << " pixels of " << color.r << "," << color.g << "," << color.b;
  }
}

TEST(ExampleDrawings, KeepClearOfTheBorder) {
  for (const ExampleRecipe& recipe : ExampleRecipes()) {
    SCOPED_TRACE(recipe.file_name);
    const RgbCanvas drawing = PaintExample(recipe);
    int magnet_pixels = 0;
    for (int row = 0; row < kDrawingSize; ++row)
      for (int col = 0; col < kDrawingSize; ++col) {
        const Rgb p = PixelAt(drawing, row, col);
        magnet_pixels += IsMagnetColor(p.r, p.g, p.b);
        const bool edge = row < kDrawingMargin || col < kDrawingMargin ||
                          row >= kDrawingSize - kDrawingMargin ||
                          col >= kDrawingSize - kDrawingMargin;
        if (edge && p != kWhite) ADD_FAILURE() << "paint at row " << row << ", col " << col;
      }
    EXPECT_GT(magnet_pixels, 1000) << "magnets should be sizable";
  }
}

TEST(ExampleDrawings, BarMagnetComesFirstAndPointsUp) {
  const ExampleRecipe& bar = ExampleRecipes().front();
  EXPECT_STREQ(bar.file_name, "bar_magnet.png");
  const RgbCanvas drawing = PaintExample(bar);
  int top = kDrawingSize, bottom = -1, left = kDrawingSize, right = -1;
  for (int row = 0; row < kDrawingSize; ++row)
    for (int col = 0; col < kDrawingSize; ++col) {
      if (PixelAt(drawing, row, col) == kWhite) continue;
      EXPECT_EQ(MagnetDirection(RowOfColor(PixelAt(drawing, row, col))), 0);
      top = std::min(top, row), bottom = std::max(bottom, row);
      left = std::min(left, col), right = std::max(right, col);
    }
  EXPECT_EQ(bottom - top + 1, 160);
  EXPECT_EQ(right - left + 1, 60);
  EXPECT_EQ(top + bottom + 1, kDrawingSize) << "centred vertically";
  EXPECT_EQ(left + right + 1, kDrawingSize) << "centred horizontally";
}

// Going left to right, each segment's direction turns 90 degrees
// anticlockwise (right, up, left, down): that puts the strong side on top.
TEST(ExampleDrawings, HalbachSegmentsTurnAQuarterAnticlockwise) {
  const ExampleRecipe* halbach = nullptr;
  for (const ExampleRecipe& recipe : ExampleRecipes())
    if (std::string(recipe.file_name) == "halbach_array.png") halbach = &recipe;
  ASSERT_NE(halbach, nullptr);
  const RgbCanvas drawing = PaintExample(*halbach);
  std::vector<int> directions;  // one per run of equal colour along the middle row
  Rgb last = kWhite;
  for (int col = 0; col < kDrawingSize; ++col) {
    const Rgb p = PixelAt(drawing, kDrawingSize / 2, col);
    if (p != kWhite && p != last) directions.push_back(MagnetDirection(RowOfColor(p)));
    last = p;
  }
  ASSERT_GE(directions.size(), 5u);
  for (size_t i = 1; i < directions.size(); ++i)
    EXPECT_EQ((directions[i - 1] - directions[i] + 360) % 360, 90) << "segment " << i;
}

TEST(ExampleDrawings, FineDirectionColorsAreTheTableColors) {
  for (int row = 0; row < 360; ++row) {
    const MagnetColor& entry = MagnetColorTable[row];
    EXPECT_TRUE(FineDirectionColor(MagnetDirection(row)) == (Rgb{entry.r, entry.g, entry.b}))
        << "row " << row;
  }
}

}  // namespace
