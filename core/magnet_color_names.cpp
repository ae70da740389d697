#include "core/magnet_color_names.h"

#include <cstdio>

#include "core/magnet_color_table.h"

namespace {

// Rows 360-371 in table order.
const char* const kNamedRowNames[12] = {
    "blue: z axis into page, south face up",
    "red: z axis out of page, north face up",
    "9:00 green",
    "3:00 aqua",
    "12:00 light yellow",
    "6:00 dark green",
    "10:30 lavender",
    "4:30 purple",
    "1:30 orange",
    "7:30 brown",
    "pink: monopole source",
    "dark purple: monopole sink",
};

// Rows of directions 254 and 255, which share (255, 100, 1); the first row
// in table order takes every pixel of that colour.
constexpr int kSharedColorFirstRow = 149;
constexpr int kSharedColorSecondRow = 151;

}  // namespace

int MagnetDirection(int row) {
  const MagnetColor& color = MagnetColorTable[row];
  if (color.kind != PlanarDipole) return -1;
  return (color.angle + (color.sign < 0 ? 180 : 0)) % 360;
}

std::string MagnetColorName(int row) {
  if (row >= 360) return kNamedRowNames[row - 360];
  char name[32];
  std::snprintf(name, sizeof name, "dir %03d (%c)", MagnetDirection(row),
                MagnetColorTable[row].sign > 0 ? '+' : '-');
  std::string text = name;
  if (row == kSharedColorFirstRow) text += ", colour shared with dir 255: acts as dir 254";
  if (row == kSharedColorSecondRow) text += ", same colour as dir 254: acts as dir 254";
  return text;
}
