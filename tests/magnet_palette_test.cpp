#include "tools/magnet_palette.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/magnet_color_names.h"
#include "core/magnet_color_table.h"
#include "tests/test_support.h"
#include "tools/palette_legend.h"

namespace {

const std::string kDocs = std::string(FLUXART_SOURCE_DIR) + "/docs/";

struct PaletteEntry {
  int r, g, b;
  std::string name;
};

// The colour lines of a .gpl file: everything after the "GIMP Palette"
// line that is not a comment, a header field or empty.
std::vector<PaletteEntry> ParsePalette(const std::string& text) {
  std::vector<PaletteEntry> entries;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "GIMP Palette");
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#' || line.rfind("Name:", 0) == 0 ||
        line.rfind("Columns:", 0) == 0)
      continue;
    PaletteEntry entry{};
    std::istringstream fields(line);
    fields >> entry.r >> entry.g >> entry.b;
    EXPECT_FALSE(fields.fail()) << line;
    EXPECT_EQ(fields.get(), '\t') << line;
    std::getline(fields, entry.name);
    entries.push_back(entry);
  }
  return entries;
}

TEST(MagnetPalette, CommittedFileListsTheTableColorsInTableOrder) {
  const std::string text = ReadFile(kDocs + "fluxart.gpl");
  EXPECT_EQ(text, GimpPaletteText()) << "out of date: run scripts/make-examples";
  const std::vector<PaletteEntry> entries = ParsePalette(text);
  ASSERT_EQ(entries.size(), size_t(kMagnetColorCount));
  std::set<std::string> names;
  for (int row = 0; row < kMagnetColorCount; ++row) {
    const MagnetColor& color = MagnetColorTable[row];
    EXPECT_EQ(entries[row].r, color.r) << "row " << row;
    EXPECT_EQ(entries[row].g, color.g) << "row " << row;
    EXPECT_EQ(entries[row].b, color.b) << "row " << row;
    names.insert(entries[row].name);
  }
  EXPECT_EQ(names.size(), size_t(kMagnetColorCount)) << "every colour needs its own name";
}

TEST(MagnetPalette, NamesSayWhereEachColorPoints) {
  EXPECT_EQ(MagnetColorName(0), "dir 000 (+)");
  EXPECT_EQ(MagnetColorName(1), "dir 180 (-)");
  EXPECT_EQ(MagnetColorName(90), "dir 045 (+)");
  EXPECT_EQ(MagnetColorName(359), "dir 359 (-)");
  EXPECT_EQ(MagnetColorName(363), "3:00 aqua");
  EXPECT_EQ(MagnetColorName(364), "12:00 light yellow");
  EXPECT_EQ(MagnetColorName(369), "7:30 brown");
  EXPECT_NE(MagnetColorName(360).find("into page"), std::string::npos);
  EXPECT_NE(MagnetColorName(371).find("sink"), std::string::npos);
  // Both rows of the shared colour say that it acts as direction 254.
  for (int row : {149, 151}) {
    EXPECT_EQ(MagnetColorName(row).rfind(row == 149 ? "dir 254" : "dir 255", 0), 0u);
    EXPECT_NE(MagnetColorName(row).find("acts as dir 254"), std::string::npos);
  }
}

TEST(MagnetPalette, DirectionsFollowAngleAndSign) {
  EXPECT_EQ(MagnetDirection(180), 90);   // angle 90, +1
  EXPECT_EQ(MagnetDirection(181), 270);  // angle 90, -1
  EXPECT_EQ(MagnetDirection(362), 270);  // 9:00
  EXPECT_EQ(MagnetDirection(363), 90);   // 3:00: angle 270, -1
  EXPECT_EQ(MagnetDirection(366), 315);  // 10:30
  EXPECT_EQ(MagnetDirection(367), 135);  // 4:30: angle 315, -1
  EXPECT_EQ(MagnetDirection(369), 225);  // 7:30
  for (int row : {360, 361, 370, 371}) EXPECT_EQ(MagnetDirection(row), -1);
  std::set<int> fine;
  for (int row = 0; row < 360; ++row) fine.insert(MagnetDirection(row));
  EXPECT_EQ(fine.size(), 360u);
}

TEST(PaletteLegend, CommittedPictureIsUpToDateAndShowsEverySwatch) {
  const RgbCanvas legend = PaintPaletteLegend();
  RgbCanvas committed;
  ASSERT_EQ(ReadPngFile(kDocs + "palette_legend.png", &committed), 0u);
  EXPECT_TRUE(committed.width == legend.width && committed.height == legend.height &&
              committed.rgb == legend.rgb)
      << "out of date: run scripts/make-examples";
  // A swatch's corner pixel, clear of its mark, shows the colour itself.
  for (int row = 0; row < kMagnetColorCount; ++row) {
    const MagnetColor& color = MagnetColorTable[row];
    const int direction = MagnetDirection(row);
    const bool fine = row < 360;
    const Rgb corner = PixelAt(legend, (fine ? FineSwatchRow(direction) : NamedSwatchRow(row)) + 1,
                               (fine ? FineSwatchCol(direction) : NamedSwatchCol(row)) + 1);
    EXPECT_TRUE(corner == (Rgb{color.r, color.g, color.b})) << "row " << row;
  }
}

}  // namespace
