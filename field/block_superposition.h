#pragma once
// Adding the fields of all uniform blocks of one step into the field grid at
// once.
//
// Every cell still receives sign x kernel of each block, one single-precision
// addition per block and component, in the order the blocks are given; only
// the order of the cells changes. For that, the field grid is held
// half-turned while blocks are added (cell (l, m) at (639 - l, 639 - m)),
// which makes each block's share of a row a forward, contiguous run of the
// kernel's row:
//   turned cell (r, c) += sign x kernel_table[642 - p0 + r][642 - q0 + c].
// A row of the field grid stays in cache while every block of the step is
// added to it, block row by block row, a run of columns at a time in
// registers.
#include "core/run_options.h"
#include "core/workspace.h"
#include "field/field_scratch.h"
#include "field/kernel_window.h"

// Turns the grid half a turn in place; doing it twice restores it.
void TurnFieldGrid(FieldGrid& grid);

// The blocks one step found, in lattice order, and the sign of its row.
struct BlockGroup {
  const BlockCentre* blocks;
  int count;
  float sign;  // +1 or -1
};

// The entries of the kernel table that adding the groups' blocks reads.
KernelWindow KernelWindowOf(const BlockGroup* groups, int group_count);

// Adds the groups' blocks, group after group, with the one kernel in
// workspace.kernel_table, into the half-turned workspace.field_grid: every
// cell receives the same additions in the same order as from AddStepBlocks
// called for each group in turn, but each field row is read and written
// once for all of them. At most kMagnetColorCount groups (one per colour
// row) and kMaxStepBlocks blocks in all (the blocks of one pass never
// exceed it). Scratch, threads and vectors as AddStepBlocks.
void AddBlockGroups(Workspace& workspace, BlockRuns& runs, const BlockGroup* groups,
                    int group_count, const RunOptions& options = RunOptions());

// Adds the fields of count blocks, given in lattice order (block rows top to
// bottom, left to right within a row), with the kernel in
// workspace.kernel_table, into the half-turned workspace.field_grid. sign is
// +1 or -1. Uses runs as scratch (what it held before does not matter).
// Splits the field rows among options.threads threads and uses vectors of at
// most options.max_vector_floats floats; the result is the same for any
// choice.
void AddStepBlocks(Workspace& workspace, BlockRuns& runs, const BlockCentre* blocks, int count,
                   float sign, const RunOptions& options = RunOptions());
