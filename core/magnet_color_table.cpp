#include "core/magnet_color_table.h"

#include <algorithm>
#include <utility>

namespace {

// Fine direction d (0-359) has colour (d + 1, 100, 1) up to 254, then
// (255, 100, d - 254): directions 254 and 255 share (255, 100, 1).
constexpr MagnetColor FineRow(int d, int sign, int angle) {
  return d <= 254 ? MagnetColor{d + 1, 100, 1, sign, PlanarDipole, angle}
                  : MagnetColor{255, 100, d - 254, sign, PlanarDipole, angle};
}

constexpr std::array<MagnetColor, kMagnetColorCount> BuildTable() {
  std::array<MagnetColor, kMagnetColorCount> rows{};
  for (int a = 0; a < 180; ++a) {
    rows[2 * a] = FineRow(a, +1, a);
    rows[2 * a + 1] = FineRow(a + 180, -1, a);
  }
  const MagnetColor named[12] = {
      {0, 0, 255, +1, AxialDipole, 0},         // blue: into the page, south face up
      {255, 0, 0, -1, AxialDipole, 0},         // red: out of the page, north face up
      {0, 255, 0, +1, PlanarDipole, 270},      // green, 9:00
      {0, 255, 255, -1, PlanarDipole, 270},    // aqua, 3:00
      {255, 255, 128, +1, PlanarDipole, 0},    // light yellow, 12:00
      {0, 128, 64, -1, PlanarDipole, 0},       // dark green, 6:00
      {255, 128, 255, +1, PlanarDipole, 315},  // lavender, 10:30
      {128, 0, 255, -1, PlanarDipole, 315},    // purple, 4:30
      {255, 128, 0, +1, PlanarDipole, 45},     // orange, 1:30
      {128, 64, 0, -1, PlanarDipole, 45},      // brown, 7:30
      {255, 0, 128, +1, Monopole, 0},          // pink: source
      {128, 0, 128, -1, Monopole, 0},          // dark purple: sink
  };
  for (int i = 0; i < 12; ++i) rows[360 + i] = named[i];
  return rows;
}

}  // namespace

const std::array<MagnetColor, kMagnetColorCount> MagnetColorTable = BuildTable();

// The pictures ask about every pixel, three times a run, so the table's
// colours are looked up in a set made once.
bool IsMagnetColor(int r, int g, int b) {
  static const ColorSet* const members = [] {
    auto* set = new ColorSet();
    for (const MagnetColor& row : MagnetColorTable) set->Add(row.r, row.g, row.b);
    return set;
  }();
  return members->Contains(r, g, b);
}

int FirstRowOfColor(int r, int g, int b) {
  if (!IsMagnetColor(r, g, b)) return -1;
  // (packed colour, row) sorted by colour, the first row of a colour first.
  static const auto* const rows = [] {
    auto* sorted = new std::array<std::pair<int, int>, kMagnetColorCount>();
    for (int k = 0; k < kMagnetColorCount; ++k) {
      const MagnetColor& row = MagnetColorTable[k];
      (*sorted)[k] = {(row.r << 16) | (row.g << 8) | row.b, k};
    }
    std::sort(sorted->begin(), sorted->end());
    return sorted;
  }();
  const int packed = (r << 16) | (g << 8) | b;
  return std::lower_bound(rows->begin(), rows->end(), std::make_pair(packed, -1))->second;
}
