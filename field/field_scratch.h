#pragma once
// The field stage's own state beside the run's Workspace: what the kernel
// table holds, which cache notices the run has told, and the scratch of the
// block search and the superposition. Whoever makes the Workspace makes one
// FieldScratch with it and hands both to the field stage. It is some 20 MB,
// so it lives in static storage or on the heap, never on a stack; nothing in
// it is allocated per run, block or layer.
#include <cstdint>

#include "core/magnet_color_table.h"
#include "core/workspace.h"
#include "field/kernel_window.h"

// What the kernel table holds, and where; kind 0 means nothing yet.
struct HeldKernel {
  int half_size = 0;
  int kind = 0;
  int angle = 0;
  int z = 0;
  KernelWindow window;
};

// Whether the run has told that it keeps no new kernel cache files for want
// of room, and for another reason: each is told once per run.
struct CacheNotices {
  bool short_of_room = false;
  bool not_kept = false;
};

// The first table row of each pixel's colour, -1 for none.
using ColorRows = int16_t[kPictureSide][kPictureSide];

// Centre of a block in the picture frame: row p0, column q0.
struct BlockCentre {
  int16_t row, col;
};

// The most blocks one step can find: one per pixel.
constexpr int kMaxStepBlocks = kPictureSide * kPictureSide;

// The uniform blocks of one pass, grouped by the first table row of their
// colour, each group in lattice order: row k's blocks are
// blocks[start[k]] .. blocks[start[k + 1] - 1].
struct PassBlocks {
  int start[kMagnetColorCount + 1];
  BlockCentre blocks[kMaxStepBlocks];
};

// The most kernel rows the ops of one chunk of a pair schedule read,
// counted as changes of row from op to op; every chunk but the last has at
// least that many ops.
constexpr int kChunkKernelRows = 32;
constexpr int kMaxChunks = 2 * kMaxStepBlocks / kChunkKernelRows + 1;

// The blocks of one or more steps that share a kernel, in order: group g's
// blocks are group_start[g]..group_start[g + 1] - 1, all subtracted when
// group_subtract[g]; offset[b] is block b's float offset in the kernel for
// turned cell (0, 0). The blocks are also taken as runs that share a group
// and a block row: start[k]..start[k + 1] - 1 are run k's blocks,
// kernel_row[k] its kernel row for turned row 0, column[b] block b's float
// offset in a kernel row for turned column 0.
// Where a block has a partner pair_apart picture rows below it at the same
// column in its group (partner[b], else -1), field rows pair_apart apart
// read the same kernel row there. The pair schedule lists what the two rows
// add, op by op: op_offset (for the upper row's kernel row) and op_rows
// (which rows add it, and whether it is subtracted), in segments of ops
// alike that end at segment_end, and in chunks of segments that read few
// kernel rows, chunk c ending before segment chunk_end[c]. pair_apart is 0
// when too few blocks have partners; every collection of the blocks sets it.
struct BlockRuns {
  int count = 0;
  int start[kMaxStepBlocks + 1];
  int kernel_row[kMaxStepBlocks];
  int column[kMaxStepBlocks];
  int offset[kMaxStepBlocks];
  int group_count = 0;
  int group_start[kMagnetColorCount + 1];
  bool group_subtract[kMagnetColorCount];
  int pair_apart = 0;
  int partner[kMaxStepBlocks];
  int segment_count = 0;
  int op_offset[2 * kMaxStepBlocks];
  int segment_end[2 * kMaxStepBlocks];
  unsigned char op_rows[2 * kMaxStepBlocks];
  int chunk_count = 0;
  int chunk_end[kMaxChunks];
};

struct FieldScratch {
  // Lives from run to run with the kernel table it describes.
  HeldKernel held_kernel;
  // Cleared at the start of each field synthesis.
  CacheNotices cache_notices;
  // The first table row of each work_plane pixel's colour (-1 for none or
  // for a pixel already taken by a block), the blocks of one pass grouped by
  // that row, the blocks of one step, and their runs for the superposition.
  ColorRows color_rows;
  PassBlocks pass_blocks;
  BlockCentre step_blocks[kMaxStepBlocks];
  BlockRuns block_runs;
};
