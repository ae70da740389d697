#pragma once
// The colour code of the drawings: 372 rows in a fixed order. Rows 0-359 are
// the fine in-plane directions, rows 360-371 the named colours. The order
// decides which row takes a shared colour, which kernels follow one another
// and the order in which block fields are added.
#include <array>
#include <cstdint>

enum MagnetKind : int32_t { AxialDipole = 1, PlanarDipole = 2, Monopole = 3 };

struct MagnetColor {
  int32_t r, g, b;
  int32_t sign;   // +1 or -1: factor of the kernel when a block is added
  int32_t kind;   // MagnetKind
  int32_t angle;  // whole degrees, PlanarDipole only (0 for the other kinds)
};

constexpr int kMagnetColorCount = 372;
extern const std::array<MagnetColor, kMagnetColorCount> MagnetColorTable;

// True when (r, g, b) equals some row's colour exactly.
bool IsMagnetColor(int r, int g, int b);

// Index of the first row whose colour is exactly (r, g, b), or -1 when none.
int FirstRowOfColor(int r, int g, int b);
