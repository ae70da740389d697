#pragma once
// Drawings the benchmarks run, made here so that every run measures the same
// picture and none is committed.
#include "tools/raster.h"

// A drawing of every kind: each of the twelve named colours as squares of
// several sizes, some on the lattice of the largest blocks and some off it,
// so that every half-size finds blocks; a few fine directions as thin bars
// and single pixels; and magnets in the last rows and columns, which only
// smaller blocks reach. White elsewhere, 640 x 640.
RgbCanvas PaintMixedDrawing();
