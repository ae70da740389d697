#pragma once
// The state of one run: the picture planes, the field, the kernel table and
// the height z. main makes one Workspace and hands it to every stage, which
// reads and writes only what its signature names. It is some 50 MB, so it
// lives in static storage or on the heap, never on a stack; nothing in it is
// allocated per run, block or layer.
#include <cstdint>

#include "core/magnet_color_table.h"
#include "core/run_observer.h"

constexpr int kPictureSide = 640;
constexpr int kKernelSide = 1284;
// Index of the block's centre cube on both kernel axes.
constexpr int kKernelCentre = 641;

// 640 x 640 cells of R, G, B samples holding 0..255.
using ImagePlane = int16_t[kPictureSide][kPictureSide][3];
// Field frame: cell (l, m) is picture point (640 - l, 640 - m).
using FieldGrid = float[kPictureSide][kPictureSide][3];
using MagnitudeGrid = float[kPictureSide][kPictureSide];
// Field of one block around its centre cube: cell (p, q) is the observer at
// offset (p - 641, q - 641) from the block's centre.
using KernelTable = float[kKernelSide][kKernelSide][3];

// A rectangle of kernel table entries: rows [row_begin, row_end), columns
// [column_begin, column_end).
struct KernelWindow {
  int row_begin = 0, row_end = kKernelSide;
  int column_begin = 0, column_end = kKernelSide;
};

// Whether every entry of inner lies in outer.
inline bool Covers(const KernelWindow& outer, const KernelWindow& inner) {
  return outer.row_begin <= inner.row_begin && outer.row_end >= inner.row_end &&
         outer.column_begin <= inner.column_begin && outer.column_end >= inner.column_end;
}

// What the kernel table holds, and where; kind 0 means nothing yet.
struct HeldKernel {
  int half_size = 0;
  int kind = 0;
  int angle = 0;
  int z = 0;
  KernelWindow window;
};

// Centre of a block in the picture frame: row p0, column q0.
struct BlockCentre {
  int16_t row, col;
};

// The most blocks one step can find: one per pixel.
constexpr int kMaxStepBlocks = kPictureSide * kPictureSide;

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
// alike that end at segment_end. pair_apart is 0 when too few blocks have
// partners.
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
};

// The uniform blocks of one pass, grouped by the first table row of their
// colour, each group in lattice order: row k's blocks are
// blocks[start[k]] .. blocks[start[k + 1] - 1].
struct PassBlocks {
  int start[kMagnetColorCount + 1];
  BlockCentre blocks[kMaxStepBlocks];
};

// Whether the run has told that it keeps no new kernel cache files for want
// of room, and for another reason: each is told once per run.
struct CacheNotices {
  bool short_of_room = false;
  bool not_kept = false;
};

struct Workspace {
  // Picture frame:
  ImagePlane picture_plane;  // the drawing as decoded
  ImagePlane work_plane;     // the drawing with the blocks found so far painted white
  ImagePlane stream_image;
  ImagePlane contour_image;
  // Field frame:
  ImagePlane stream_plane;
  ImagePlane contour_plane;
  FieldGrid field_grid;
  MagnitudeGrid magnitude_grid;

  KernelTable kernel_table;
  HeldKernel held_kernel;
  CacheNotices cache_notices;

  // Who is told how the run goes (core/run_observer.h); main sets the
  // console's.
  RunObserver* observer = &SilentObserver();

  // Height of the layer being computed in mm, always a whole number: the
  // starting z from the command line outside the field synthesis.
  float z = 3.0f;

  // Scratch of the stages, kept here so that no stage allocates per call:
  // the first table row of each work_plane pixel's colour (-1 for none), the
  // blocks of one pass grouped by that row, the blocks of one step and their
  // runs, and the cells a contour sweep still has to try.
  int16_t color_rows[kPictureSide][kPictureSide];
  PassBlocks pass_blocks;
  BlockCentre step_blocks[kMaxStepBlocks];
  BlockRuns block_runs;
  int contour_waiting_cells[kPictureSide * kPictureSide];
};

// Copies the decoded 640 x 640 RGB bytes (row-major, 3 per pixel) into
// picture_plane and work_plane.
void LoadPicture(Workspace& workspace, const unsigned char* pixels);

// Makes workspace ready for a run on the decoded pixels at height z: loads
// the picture and clears what the stages add or draw into (the field, the
// magnitudes and the stream and contour planes and images), so that a
// workspace that ran before gives the same result as a fresh one. The
// kernel table and what it holds are kept; the cache notices start afresh.
void StartRun(Workspace& workspace, const unsigned char* pixels, float z);

// work_plane := picture_plane.
void RestoreWorkPlane(Workspace& workspace);

// target(639 - r, 639 - col) := source(r, col) for every cell.
void HalfTurnCopy(const ImagePlane& source, ImagePlane& target);
