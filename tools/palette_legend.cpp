#include "tools/palette_legend.h"

#include <string>

#include "core/magnet_color_names.h"
#include "core/magnet_color_table.h"

namespace {

constexpr Rgb kFrameGrey{160, 160, 160};

// Digits 0-9 as 3 x 5 pixel glyphs, one string of 15 cells per digit.
const char* const kDigitGlyphs[10] = {
    "###"
    "#.#"
    "#.#"
    "#.#"
    "###",
    ".#."
    "##."
    ".#."
    ".#."
    "###",
    "###"
    "..#"
    "###"
    "#.."
    "###",
    "###"
    "..#"
    "###"
    "..#"
    "###",
    "#.#"
    "#.#"
    "###"
    "..#"
    "..#",
    "###"
    "#.."
    "###"
    "..#"
    "###",
    "###"
    "#.."
    "###"
    "#.#"
    "###",
    "###"
    "..#"
    "..#"
    "..#"
    "..#",
    "###"
    "#.#"
    "###"
    "#.#"
    "###",
    "###"
    "#.#"
    "###"
    "..#"
    "###",
};

// Writes digits at (row, col), each glyph pixel a 2 x 2 square.
void DrawNumber(RgbCanvas& canvas, int row, int col, const std::string& digits, Rgb color) {
  for (char digit : digits) {
    const char* glyph = kDigitGlyphs[digit - '0'];
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 3; ++x)
        if (glyph[y * 3 + x] == '#') FillRect(canvas, row + 2 * y, col + 2 * x, 2, 2, color);
    col += 8;
  }
}

// Black marks on light swatches, white on dark ones.
Rgb MarkColorFor(Rgb swatch) {
  const int luma = 299 * swatch.r + 587 * swatch.g + 114 * swatch.b;
  return luma >= 128 * 1000 ? kBlack : kWhite;
}

// Circle outline of the given radius around a point.
void DrawCircle(RgbCanvas& canvas, double centre_row, double centre_col, double radius, Rgb color) {
  const double inner = radius - 1.5;
  for (int row = static_cast<int>(centre_row - radius) - 1; row <= centre_row + radius; ++row)
    for (int col = static_cast<int>(centre_col - radius) - 1; col <= centre_col + radius; ++col) {
      const double dr = row + 0.5 - centre_row, dc = col + 0.5 - centre_col;
      const double d2 = dr * dr + dc * dc;
      if (d2 <= radius * radius && d2 >= inner * inner) PaintPixel(canvas, row, col, color);
    }
}

// One swatch of table row `row` with its top-left pixel at (top, left).
void DrawSwatch(RgbCanvas& canvas, int top, int left, int row) {
  const MagnetColor& entry = MagnetColorTable[row];
  const Rgb fill{entry.r, entry.g, entry.b};
  FrameRect(canvas, top - 1, left - 1, kLegendSwatch + 2, kLegendSwatch + 2, 1, kFrameGrey);
  FillRect(canvas, top, left, kLegendSwatch, kLegendSwatch, fill);
  const Rgb mark = MarkColorFor(fill);
  const double mid_row = top + kLegendSwatch / 2.0, mid_col = left + kLegendSwatch / 2.0;
  const double size = kLegendSwatch * 0.7;
  if (entry.kind == PlanarDipole) {
    DrawArrow(canvas, mid_row, mid_col, size, MagnetDirection(row), 2, mark);
  } else if (entry.kind == AxialDipole) {
    DrawCircle(canvas, mid_row, mid_col, size / 2, mark);
    if (entry.sign > 0) {  // into the page: the tail of an arrow, a cross
      const double arm = size / 2 * 0.7;
      DrawLine(canvas, mid_row - arm, mid_col - arm, mid_row + arm, mid_col + arm, 2, mark);
      DrawLine(canvas, mid_row - arm, mid_col + arm, mid_row + arm, mid_col - arm, 2, mark);
    } else {  // out of the page: the point of an arrow, a dot
      FillDisc(canvas, mid_row, mid_col, 3, mark);
    }
  } else {
    const double arm = size / 2;
    DrawLine(canvas, mid_row, mid_col - arm, mid_row, mid_col + arm, 2, mark);
    if (entry.sign > 0) DrawLine(canvas, mid_row - arm, mid_col, mid_row + arm, mid_col, 2, mark);
  }
}

}  // namespace

int FineSwatchRow(int direction) {
  return kLegendTop + (direction / kLegendFineColumns) * kLegendPitch;
}
int FineSwatchCol(int direction) {
  return kLegendLeft + (direction % kLegendFineColumns) * kLegendPitch;
}
int NamedSwatchRow(int) { return kLegendNamedTop; }
int NamedSwatchCol(int row) { return kLegendLeft + (row - 360) * 2 * kLegendPitch; }

RgbCanvas PaintPaletteLegend() {
  RgbCanvas canvas = MakeCanvas(kLegendLeft + kLegendFineColumns * kLegendPitch + 4,
                                kLegendNamedTop + kLegendPitch + 4);
  for (int row = 0; row < 360; ++row) {
    const int direction = MagnetDirection(row);
    DrawSwatch(canvas, FineSwatchRow(direction), FineSwatchCol(direction), row);
  }
  // Direction 255 has no colour of its own: its swatch shows the shared
  // colour acting as 254, framed in black like the swatch of 254.
  DrawSwatch(canvas, FineSwatchRow(255), FineSwatchCol(255), 149);
  for (int direction : {254, 255})
    FrameRect(canvas, FineSwatchRow(direction) - 2, FineSwatchCol(direction) - 2, kLegendSwatch + 4,
              kLegendSwatch + 4, 2, kBlack);
  for (int line = 0; line < kLegendFineRows; ++line)
    DrawNumber(canvas, kLegendTop + line * kLegendPitch + 9, 4,
               std::to_string(line * kLegendFineColumns), kBlack);
  for (int row = 360; row < kMagnetColorCount; ++row)
    DrawSwatch(canvas, NamedSwatchRow(row), NamedSwatchCol(row), row);
  return canvas;
}
