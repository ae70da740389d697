#pragma once
// Adding the fields of all uniform blocks of one step into FieldGrid at once.
//
// Every cell still receives sign x kernel of each block, one single-precision
// addition per block and component, in the order the blocks are given; only
// the order of the cells changes. For that, FieldGrid is held half-turned
// while blocks are added (cell (l, m) at (639 - l, 639 - m)), which makes each
// block's share of a row a forward, contiguous run of the kernel's row:
//   turned cell (r, c) += sign x KernelTable[642 - p0 + r][642 - q0 + c].
// A row of FieldGrid stays in cache while every block of the step is added to
// it, block row by block row, a run of columns at a time in registers.
#include <cstdint>

// Centre of a block in the picture frame: row p0, column q0.
struct BlockCentre {
  int16_t row, col;
};

// The most blocks one step can find: one per pixel.
constexpr int kMaxStepBlocks = 640 * 640;

// Turns FieldGrid half a turn in place; doing it twice restores it.
void TurnFieldGrid();

// Adds the fields of count blocks, given in lattice order (block rows top to
// bottom, left to right within a row), with the kernel now in KernelTable,
// into the half-turned FieldGrid. sign is +1 or -1. Splits the rows of
// FieldGrid among the superposition threads and returns when all are done.
void AddStepBlocks(const BlockCentre* blocks, int count, float sign);

// Number of threads AddStepBlocks uses (at least 1); the default is the
// number of processors, at most 8. The result is the same for any number.
void SetSuperpositionThreads(int threads);
int SuperpositionThreads();

// Caps the vector width AddStepBlocks may use, in floats: 8 (256-bit, when
// the processor has it; the default), 4 (128-bit) or 1 (plain loops). Lets
// tests prove every width on one machine.
void LimitSuperpositionWidth(int floats);
