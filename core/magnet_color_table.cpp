#include "core/magnet_color_table.h"

#include <cstdint>

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

namespace {

// The pictures ask about every pixel three times a run, and the field stage
// once a layer, so each colour's first row is kept in a small open-addressed
// hash table made once: a few kilobytes, where a set of all 24-bit colours
// would take 2 MB to clear at the start of every run. Keys are the packed
// colour plus 1, 0 marking an empty slot.
class ColorRowIndex {
 public:
  ColorRowIndex() {
    for (int k = 0; k < kMagnetColorCount; ++k) {
      const MagnetColor& row = MagnetColorTable[k];
      const uint32_t key = Key(row.r, row.g, row.b);
      uint32_t slot = Home(key);
      while (keys_[slot] != 0 && keys_[slot] != key) slot = (slot + 1) % kSlots;
      if (keys_[slot] == key) continue;  // a shared colour keeps its first row
      keys_[slot] = key;
      rows_[slot] = static_cast<int16_t>(k);
    }
  }
  int RowOf(int r, int g, int b) const {
    if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return -1;
    const uint32_t key = Key(r, g, b);
    for (uint32_t slot = Home(key);; slot = (slot + 1) % kSlots) {
      if (keys_[slot] == key) return rows_[slot];
      if (keys_[slot] == 0) return -1;
    }
  }

 private:
  // Over twice the table's colours, so that probes stay short and a slot is
  // always free.
  static constexpr uint32_t kSlots = 1024;
  static_assert(2 * kMagnetColorCount < kSlots, "room for every colour");
  static uint32_t Key(int r, int g, int b) {
    return ((static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
            static_cast<uint32_t>(b)) +
           1;
  }
  // The top 10 bits of a multiplicative hash: a slot of 1024.
  static uint32_t Home(uint32_t key) { return (key * 2654435761u) >> 22; }
  std::array<uint32_t, kSlots> keys_{};
  std::array<int16_t, kSlots> rows_{};
};

}  // namespace

bool IsMagnetColor(int r, int g, int b) { return FirstRowOfColor(r, g, b) >= 0; }

int FirstRowOfColor(int r, int g, int b) {
  static const ColorRowIndex index;
  return index.RowOf(r, g, b);
}
