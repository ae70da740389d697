#pragma once
// The example drawings in examples/: what each one paints and which colours
// it is meant to use. The generator writes them from here and the tests check
// the committed files against the same recipes.
#include <vector>

#include "tools/raster.h"

constexpr int kDrawingSize = 640;
// Nothing but white within this many pixels of the drawing's edge, so every
// magnet's field shows in full around it.
constexpr int kDrawingMargin = 40;

struct ExampleRecipe {
  const char* file_name;    // name under examples/
  const char* description;  // one line for people
  // Table colours the drawing paints, each at least once.
  std::vector<Rgb> magnet_colors;
  // Colours outside the table that it paints on purpose (to show that they
  // are empty space), each at least once. White is always allowed.
  std::vector<Rgb> other_colors;
  void (*paint)(RgbCanvas& canvas);
};

// The examples, bar magnet first (the demo runs it).
const std::vector<ExampleRecipe>& ExampleRecipes();

// A white 640 x 640 canvas with the recipe painted on it.
RgbCanvas PaintExample(const ExampleRecipe& recipe);

// Colour of fine direction d (0-359, clock degrees): (d + 1, 100, 1) up to
// 254, then (255, 100, d - 254), so 254 and 255 share (255, 100, 1).
Rgb FineDirectionColor(int direction);
