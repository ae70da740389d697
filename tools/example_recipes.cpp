#include "tools/example_recipes.h"

#include <cmath>

namespace {

constexpr Rgb kLightYellow{255, 255, 128};  // 12:00
constexpr Rgb kAqua{0, 255, 255};           // 3:00
constexpr Rgb kDarkGreen{0, 128, 64};       // 6:00
constexpr Rgb kGreen{0, 255, 0};            // 9:00
constexpr Rgb kBlue{0, 0, 255};             // into the page
constexpr Rgb kRed{255, 0, 0};              // out of the page
constexpr Rgb kPink{255, 0, 128};           // source
constexpr Rgb kDarkPurple{128, 0, 128};     // sink
constexpr Rgb kShared{255, 100, 1};         // directions 254 and 255

// Near misses: each is one step away from a magnet colour, or plain black.
constexpr Rgb kAlmostShared{255, 100, 0};
constexpr Rgb kAlmostLightYellow{254, 255, 128};
constexpr Rgb kAlmostBlue{0, 0, 254};

constexpr double kMiddle = kDrawingSize / 2.0;

// A bar 60 wide and 160 tall in the middle, north pole up.
void PaintBarMagnet(RgbCanvas& canvas) { FillRect(canvas, 240, 290, 160, 60, kLightYellow); }

// Nine 32 mm segments in a row, each turned a quarter turn anticlockwise
// from its left neighbour (right, up, left, down, ...): the fields of the
// segments add up above the row and largely cancel below it.
void PaintHalbachArray(RgbCanvas& canvas) {
  const Rgb turning[4] = {kAqua, kLightYellow, kGreen, kDarkGreen};
  for (int i = 0; i < 9; ++i) FillRect(canvas, 304, 176 + 32 * i, 32, 32, turning[i % 4]);
}

// Two discs magnetised across the sheet, opposite ways.
void PaintBlueRedDiscs(RgbCanvas& canvas) {
  FillDisc(canvas, kMiddle, 220, 48, kBlue);
  FillDisc(canvas, kMiddle, 420, 48, kRed);
}

// A source and a sink: the field of an electric dipole.
void PaintElectricDipole(RgbCanvas& canvas) {
  FillDisc(canvas, kMiddle, 240, 24, kPink);
  FillDisc(canvas, kMiddle, 400, 24, kDarkPurple);
}

// A ring whose every pixel is magnetised straight outwards, in the fine
// direction of its own clock angle (whole degrees, rounded down).
void PaintDirectionRing(RgbCanvas& canvas) {
  const double pi = std::acos(-1.0);
  for (int row = 0; row < kDrawingSize; ++row)
    for (int col = 0; col < kDrawingSize; ++col) {
      const double right = col + 0.5 - kMiddle, up = kMiddle - (row + 0.5);
      const double radius = std::sqrt(right * right + up * up);
      if (radius < 120 || radius > 170) continue;
      double degrees = std::atan2(right, up) * 180 / pi;
      if (degrees < 0) degrees += 360;
      const int direction = static_cast<int>(std::floor(degrees)) % 360;
      PaintPixel(canvas, row, col, FineDirectionColor(direction));
    }
}

// Only the top bar and the yellow bar are magnets. The bar in the shared
// colour acts as direction 254 (just below 9:00, along its length); the
// near-miss bars, the near-blue disc and the black frame are empty space.
void PaintOffTableColors(RgbCanvas& canvas) {
  FrameRect(canvas, 60, 60, 520, 520, 2, kBlack);
  FillRect(canvas, 150, 250, 40, 140, kShared);
  FillRect(canvas, 260, 250, 40, 140, kAlmostShared);
  FillRect(canvas, 360, 200, 120, 40, kLightYellow);
  FillRect(canvas, 360, 290, 120, 40, kAlmostLightYellow);
  FillDisc(canvas, 420, 430, 40, kAlmostBlue);
}

std::vector<Rgb> AllFineDirectionColors() {
  std::vector<Rgb> colors;
  for (int d = 0; d < 360; ++d)
    if (d != 255) colors.push_back(FineDirectionColor(d));  // 255 repeats 254
  return colors;
}

}  // namespace

Rgb FineDirectionColor(int direction) {
  return direction <= 254 ? Rgb{direction + 1, 100, 1} : Rgb{255, 100, direction - 254};
}

const std::vector<ExampleRecipe>& ExampleRecipes() {
  static const std::vector<ExampleRecipe> recipes = {
      {"bar_magnet.png",
       "a bar magnet, 60 x 160 mm, north pole up (light yellow)",
       {kLightYellow},
       {},
       PaintBarMagnet},
      {"halbach_array.png",
       "a Halbach array: nine segments turning a quarter turn each, strong field above, weak below",
       {kAqua, kLightYellow, kGreen, kDarkGreen},
       {},
       PaintHalbachArray},
      {"blue_red_discs.png",
       "two discs magnetised across the sheet: blue into, red out of the page",
       {kBlue, kRed},
       {},
       PaintBlueRedDiscs},
      {"electric_dipole.png",
       "an electric dipole: a pink source and a dark purple sink",
       {kPink, kDarkPurple},
       {},
       PaintElectricDipole},
      {"direction_ring.png",
       "a ring magnetised outwards in all 360 fine directions",
       AllFineDirectionColors(),
       {},
       PaintDirectionRing},
      {"off_table_colours.png",
       "near-miss colours and black are empty space; (255, 100, 1) acts as direction 254",
       {kShared, kLightYellow},
       {kBlack, kAlmostShared, kAlmostLightYellow, kAlmostBlue},
       PaintOffTableColors},
  };
  return recipes;
}

RgbCanvas PaintExample(const ExampleRecipe& recipe) {
  RgbCanvas canvas = MakeCanvas(kDrawingSize, kDrawingSize);
  recipe.paint(canvas);
  return canvas;
}
