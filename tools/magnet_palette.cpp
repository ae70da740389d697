#include "tools/magnet_palette.h"

#include <cstdio>

#include "core/magnet_color_names.h"
#include "core/magnet_color_table.h"

std::string GimpPaletteText() {
  std::string text =
      "GIMP Palette\n"
      "Name: fluxart magnets\n"
      "Columns: 24\n"
      "# The 372 magnet colours of fluxart, in table order: fine directions first\n"
      "# (\"dir 045 (+)\" = magnetised towards 45 degrees, 0 = up, 90 = right),\n"
      "# then the named colours. Colours are matched exactly: paint with\n"
      "# anti-aliasing, feathering and colour management off. Anything else,\n"
      "# white above all, is empty space.\n";
  for (int row = 0; row < kMagnetColorCount; ++row) {
    const MagnetColor& color = MagnetColorTable[row];
    char line[96];
    std::snprintf(line, sizeof line, "%3d %3d %3d\t%s\n", color.r, color.g, color.b,
                  MagnetColorName(row).c_str());
    text += line;
  }
  return text;
}
