#include "tools/bench_drawings.h"

#include "tools/example_recipes.h"

namespace {

// The named colours in table order: blue, red, green, aqua, light yellow,
// dark green, lavender, purple, orange, brown, pink, dark purple.
constexpr Rgb kNamedColors[12] = {{0, 0, 255},     {255, 0, 0},  {0, 255, 0},     {0, 255, 255},
                                  {255, 255, 128}, {0, 128, 64}, {255, 128, 255}, {128, 0, 255},
                                  {255, 128, 0},   {128, 64, 0}, {255, 0, 128},   {128, 0, 128}};

}  // namespace

RgbCanvas PaintMixedDrawing() {
  RgbCanvas canvas = MakeCanvas(kDrawingSize, kDrawingSize);
  for (int c = 0; c < 12; ++c) {
    const Rgb color = kNamedColors[c];
    const int row = 44 + 44 * c;
    // On the lattice of 11 x 11 blocks: 33 x 33, three by three blocks.
    FillRect(canvas, row, 44, 33, 33, color);
    // Off it by one pixel, 23 x 23: taken by 7-, 5-, 3- and 1-pixel blocks.
    FillRect(canvas, row + 1, 100, 23, 23, color);
    // 9 x 9 and 4 x 4 squares at odd places, and a single pixel.
    FillRect(canvas, row + 3, 150, 9, 9, color);
    FillRect(canvas, row + 2, 180, 4, 4, color);
    PaintPixel(canvas, row + 20, 200, color);
    // The strips that no 11 x 11 or 7 x 7 block reaches, right and bottom.
    FillRect(canvas, row, 636, 20, 4, color);
    FillRect(canvas, 637, 40 * c + 60, 3, 20, color);
  }
  // A few fine directions: thin bars and single pixels, the shared colour
  // among them, and a disc of one of them.
  const int directions[] = {7, 90, 181, 254, 300};
  for (int k = 0; k < 5; ++k) {
    const Rgb color = FineDirectionColor(directions[k]);
    FillRect(canvas, 60 + 100 * k, 260, 3, 120, color);
    FillRect(canvas, 60 + 100 * k, 400, 60, 2, color);
    PaintPixel(canvas, 0, 300 + 7 * k, color);
  }
  FillDisc(canvas, 440, 520, 30, FineDirectionColor(45));
  return canvas;
}
