#pragma once
// A picture of the 372 magnet colours for people: the 360 fine directions as
// a grid of swatches, 24 to a row in order of direction (each row labelled
// with its first direction), then the twelve named colours. Every swatch
// shows where its colour points: an arrow for in-plane directions, a circled
// cross (into the page) or dot (out of the page) for blue and red, a plus or
// minus for the monopoles.
#include "tools/raster.h"

// Swatch geometry, shared with the tests that find the swatches again.
constexpr int kLegendSwatch = 28;
constexpr int kLegendPitch = 32;
constexpr int kLegendLeft = 44;  // room for the row labels
constexpr int kLegendTop = 8;
constexpr int kLegendFineColumns = 24;
constexpr int kLegendFineRows = 15;
constexpr int kLegendNamedTop = kLegendTop + kLegendFineRows * kLegendPitch + 16;

// Top-left pixel of the swatch of fine direction d (0-359).
int FineSwatchRow(int direction);
int FineSwatchCol(int direction);
// Top-left pixel of the swatch of named row i (360-371), in table order.
int NamedSwatchRow(int row);
int NamedSwatchCol(int row);

RgbCanvas PaintPaletteLegend();
