#include "field/block_superposition.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "field/float_vectors.h"

namespace {

constexpr int kRowFloats = kPictureSide * 3;
constexpr int kKernelRowFloats = kKernelSide * 3;
// Kernel index of turned cell 0 for a block centred at picture 0:
// 1281 - 639, from kernel index 1281 - p0 - l with l = 639 - r.
constexpr int kTurnedToKernel = kPictureSide + kKernelCentre - (kPictureSide - 1);

// Collects the groups' blocks into runs, with no row pairs planned yet.
void CollectRuns(const BlockGroup* groups, int group_count, BlockRuns& runs) {
  runs.count = 0;
  runs.group_count = 0;
  runs.pair_apart = 0;
  runs.segment_count = 0;
  int total = 0;
  for (int g = 0; g < group_count; ++g) {
    const BlockCentre* blocks = groups[g].blocks;
    if (groups[g].count <= 0) continue;
    runs.group_start[runs.group_count] = total;
    runs.group_subtract[runs.group_count] = groups[g].sign < 0.0f;
    ++runs.group_count;
    for (int b = 0; b < groups[g].count; ++b) {
      if (b == 0 || blocks[b].row != blocks[b - 1].row) {
        runs.start[runs.count] = total;
        runs.kernel_row[runs.count] = kTurnedToKernel - blocks[b].row;
        ++runs.count;
      }
      runs.column[total] = 3 * (kTurnedToKernel - blocks[b].col);
      runs.offset[total] = runs.kernel_row[runs.count - 1] * kKernelRowFloats + runs.column[total];
      ++total;
    }
  }
  runs.start[runs.count] = total;
  runs.group_start[runs.group_count] = total;
}

// A field row's additions come in batches of at most kBatchBlocks blocks of
// one group. Within a batch every stretch of the row is held in registers
// while all the batch's blocks are added to it, so the row is loaded and
// stored once per batch, and the loop over the batch's blocks is the same
// length every time whatever the shape of the runs.
constexpr int kBatchBlocks = 32;

// Adds blocks [first, end) into field_row (one row of 1920 floats) of turned
// row r, block by block for every float: block b's term starts at
// kernel[offset[b] + r x kernel row]. Subtracting is the same as adding -1 x
// kernel, bit for bit.
void AddBatchPlain(float* field_row, const float* kernel, int r, const int* offsets, int first,
                   int end, bool subtract) {
  const float* row0 = kernel + static_cast<std::ptrdiff_t>(r) * kKernelRowFloats;
  for (int b = first; b < end; ++b) {
    const float* term = row0 + offsets[b];
    if (subtract)
      for (int x = 0; x < kRowFloats; ++x) field_row[x] = field_row[x] - term[x];
    else
      for (int x = 0; x < kRowFloats; ++x) field_row[x] = field_row[x] + term[x];
  }
}

// AddBatchPlain with vectors: for each stretch of eight vectors, every block
// of the batch in order (lane by lane, so the roundings are those of the
// plain loop).
template <typename Vec, bool kSubtract>
FLUXART_INLINE void AddBlocksVectors(float* __restrict field_row, const float* __restrict row0,
                                     const int* __restrict offsets, int first, int end) {
  using Row = Stretch<Vec>;
  static_assert(kRowFloats % Row::kFloats == 0, "a row is whole stretches");
  for (int x0 = 0; x0 < kRowFloats; x0 += Row::kFloats) {
    float* __restrict f = field_row + x0;
    Row s;
    LoadStretch(f, s);
    for (int b = first; b < end; ++b) AddTerm<kSubtract>(s, row0 + offsets[b] + x0);
    StoreStretch(s, f);
  }
}

template <typename Vec>
FLUXART_INLINE void AddBatchVectors(float* field_row, const float* kernel, int r,
                                    const int* offsets, int first, int end, bool subtract) {
  const float* row0 = kernel + static_cast<std::ptrdiff_t>(r) * kKernelRowFloats;
  if (subtract)
    AddBlocksVectors<Vec, true>(field_row, row0, offsets, first, end);
  else
    AddBlocksVectors<Vec, false>(field_row, row0, offsets, first, end);
}

// Which rows an op of the pair schedule adds to, and whether it subtracts
// (op_rows).
constexpr unsigned char kUpperRow = 1, kLowerRow = 2, kSubtracted = 4;

// Pairs each block with the block `apart` picture rows below it at the same
// column in its group: partner[b], or -1. Gives the number of pairs.
int FindPartners(BlockRuns& runs, int apart) {
  int pairs = 0;
  int group = 0, below = 0;
  for (int k = 0; k < runs.count; ++k) {
    while (runs.start[k] >= runs.group_start[group + 1]) ++group;
    const int group_end = runs.group_start[group + 1];
    below = std::max(below, k + 1);
    while (below < runs.count && runs.start[below] < group_end &&
           runs.kernel_row[below] > runs.kernel_row[k] - apart)
      ++below;
    for (int b = runs.start[k]; b < runs.start[k + 1]; ++b) runs.partner[b] = -1;
    if (below >= runs.count || runs.start[below] >= group_end ||
        runs.kernel_row[below] != runs.kernel_row[k] - apart)
      continue;
    // Columns fall along a run (they are measured from the far side).
    int c = runs.start[below];
    for (int b = runs.start[k]; b < runs.start[k + 1]; ++b) {
      while (c < runs.start[below + 1] && runs.column[c] > runs.column[b]) ++c;
      if (c < runs.start[below + 1] && runs.column[c] == runs.column[b]) {
        runs.partner[b] = c;
        ++pairs;
      }
    }
  }
  return pairs;
}

// Lists the ops of rows pair_apart apart: the upper row takes every block
// in order, and so does the lower row; a block and its partner are one op
// that adds the same kernel vectors to both, and the lower row's other
// blocks are added before it reaches the next partner.
void PlanPairSchedule(BlockRuns& runs) {
  const int total = runs.start[runs.count];
  const int lower_shift = runs.pair_apart * kKernelRowFloats;
  int ops = 0;
  auto emit = [&](unsigned char rows, bool subtract, int offset) {
    runs.op_rows[ops] = static_cast<unsigned char>(rows | (subtract ? kSubtracted : 0));
    runs.op_offset[ops++] = offset;
  };
  // The sign of block b, for blocks taken in order.
  auto subtract = [&runs](int b, int& group) {
    while (b >= runs.group_start[group + 1]) ++group;
    return runs.group_subtract[group];
  };
  int upper_group = 0, lower_group = 0, lower = 0;
  auto emit_lower = [&](int end) {
    for (; lower < end; ++lower)
      emit(kLowerRow, subtract(lower, lower_group), runs.offset[lower] + lower_shift);
  };
  for (int upper = 0; upper < total; ++upper) {
    const bool minus = subtract(upper, upper_group);
    const int partner = runs.partner[upper];
    if (partner < 0) {
      emit(kUpperRow, minus, runs.offset[upper]);
      continue;
    }
    emit_lower(partner);
    emit(kUpperRow | kLowerRow, minus, runs.offset[upper]);
    lower = partner + 1;
  }
  emit_lower(total);
  // Segments of ops that add to the same rows with the same sign, cut where
  // a chunk ends. The rows take a column tile a chunk at a time, so that a
  // chunk's share of its kernel rows (at most 32 x 9 KB at a tile's 384
  // floats, well within a 512 KB second-level cache) is read from that cache
  // by every stretch of the tile and by the nearby rows, which read nearly
  // the same kernel rows; with all the ops at once, a checkerboard's 640
  // kernel rows would come from the third level for every stretch.
  runs.segment_count = 0;
  runs.chunk_count = 0;
  int chunk_rows = 0, last_row = -1;
  for (int op = 0; op < ops; ++op) {
    const int row = runs.op_offset[op] / kKernelRowFloats;
    if (row != last_row && ++chunk_rows > kChunkKernelRows) {
      runs.segment_end[runs.segment_count++] = op;
      runs.chunk_end[runs.chunk_count++] = runs.segment_count;
      chunk_rows = 1;
    } else if (op > 0 && runs.op_rows[op] != runs.op_rows[op - 1]) {
      runs.segment_end[runs.segment_count++] = op;
    }
    last_row = row;
  }
  runs.segment_end[runs.segment_count++] = ops;
  runs.chunk_end[runs.chunk_count++] = runs.segment_count;
}

// Chooses how far apart the paired rows are: one or two block rows,
// whichever pairs more blocks, when at least a quarter of the blocks pair;
// runs are as CollectRuns leaves them, with no pairing.
void PlanRowPairs(BlockRuns& runs) {
  int spacing = 0;
  for (int k = 1; k < runs.count; ++k) {
    const int gap = runs.kernel_row[k - 1] - runs.kernel_row[k];
    if (gap > 0 && (spacing == 0 || gap < spacing)) spacing = gap;
  }
  if (spacing == 0) return;
  // The nearer pairing is found last, so that partner[] holds it when it
  // wins.
  const int two = FindPartners(runs, 2 * spacing);
  const int one = FindPartners(runs, spacing);
  const int apart = two > one ? 2 * spacing : spacing;
  if (4 * std::max(one, two) < runs.start[runs.count]) return;
  if (apart != spacing) FindPartners(runs, apart);
  runs.pair_apart = apart;
  PlanPairSchedule(runs);
}

// Row pairs take the field's columns a tile at a time, and each tile a chunk
// of the pair schedule at a time, every pair of a thread's rows before the
// next chunk. Pairs a few rows apart read nearly the same kernel rows, and a
// tile's share of them (about 1.5 KB a row) stays in the nearer caches from
// pair to pair where whole rows would not: that matters for steps of many
// block rows and few blocks a row, at 128 bits most. 384 floats is whole
// stretches at every width.
constexpr int kColumnTileFloats = 384;
static_assert(kRowFloats % kColumnTileFloats == 0, "a row is whole tiles");

// Turned rows r (upper) and r + pair_apart (lower) at once, the column tile
// from float x_begin, segments [segment_begin, segment_end) of the pair
// schedule one by one, a stretch of kCount vectors of each row at a time: as
// many as leave a register for the kernel's vector. A segment's ops add to
// the same rows with the same sign, so each segment is a plain loop, and a
// kernel vector both rows add is loaded once.
template <typename Vec, int kCount>
FLUXART_INLINE void AddRowPairVectors(float* upper_row, float* lower_row, const float* kernel,
                                      int r, int x_begin, const BlockRuns& runs, int segment_begin,
                                      int segment_end) {
  using Row = Stretch<Vec, kCount>;
  static_assert(kColumnTileFloats % Row::kFloats == 0, "a tile is whole stretches");
  const float* base = kernel + static_cast<std::ptrdiff_t>(r) * kKernelRowFloats;
  const int* offsets = runs.op_offset;
  for (int x0 = x_begin; x0 < x_begin + kColumnTileFloats; x0 += Row::kFloats) {
    Row a, b;
    LoadStretch(upper_row + x0, a);
    LoadStretch(lower_row + x0, b);
    const float* row = base + x0;
    int op = segment_begin == 0 ? 0 : runs.segment_end[segment_begin - 1];
    for (int s = segment_begin; s < segment_end; ++s) {
      const int end = runs.segment_end[s];
      switch (runs.op_rows[op]) {
        case kUpperRow | kLowerRow:
          for (; op < end; ++op) AddTermTwice<false>(a, b, row + offsets[op]);
          break;
        case kSubtracted | kUpperRow | kLowerRow:
          for (; op < end; ++op) AddTermTwice<true>(a, b, row + offsets[op]);
          break;
        case kUpperRow:
          for (; op < end; ++op) AddTerm<false>(a, row + offsets[op]);
          break;
        case kSubtracted | kUpperRow:
          for (; op < end; ++op) AddTerm<true>(a, row + offsets[op]);
          break;
        case kLowerRow:
          for (; op < end; ++op) AddTerm<false>(b, row + offsets[op]);
          break;
        default:
          for (; op < end; ++op) AddTerm<true>(b, row + offsets[op]);
          break;
      }
      op = end;
    }
    StoreStretch(a, upper_row + x0);
    StoreStretch(b, lower_row + x0);
  }
}

// The adders of one vector width: a batch of blocks into one row, and two
// rows by the pair schedule (none for plain loops).
using BatchAdder = void (*)(float*, const float*, int, const int*, int, int, bool);
using RowPairAdder = void (*)(float*, float*, const float*, int, int, const BlockRuns&, int, int);
struct Adders {
  BatchAdder batch;
  RowPairAdder pair;
};

void AddBatch128(float* field_row, const float* kernel, int r, const int* offsets, int first,
                 int end, bool subtract) {
  AddBatchVectors<Vec4>(field_row, kernel, r, offsets, first, end, subtract);
}
void AddRowPair128(float* upper_row, float* lower_row, const float* kernel, int r, int x_begin,
                   const BlockRuns& runs, int segment_begin, int segment_end) {
  AddRowPairVectors<Vec4, kPairVectors<Vec4>>(upper_row, lower_row, kernel, r, x_begin, runs,
                                              segment_begin, segment_end);
}

#ifdef FLUXART_WIDE_VECTORS
__attribute__((target("avx"))) void AddBatch256(float* field_row, const float* kernel, int r,
                                                const int* offsets, int first, int end,
                                                bool subtract) {
  AddBatchVectors<Vec8>(field_row, kernel, r, offsets, first, end, subtract);
}
__attribute__((target("avx"))) void AddRowPair256(float* upper_row, float* lower_row,
                                                  const float* kernel, int r, int x_begin,
                                                  const BlockRuns& runs, int segment_begin,
                                                  int segment_end) {
  AddRowPairVectors<Vec8, kPairVectors<Vec8>>(upper_row, lower_row, kernel, r, x_begin, runs,
                                              segment_begin, segment_end);
}

__attribute__((target("avx512f"))) void AddBatch512(float* field_row, const float* kernel, int r,
                                                    const int* offsets, int first, int end,
                                                    bool subtract) {
  AddBatchVectors<Vec16>(field_row, kernel, r, offsets, first, end, subtract);
}
__attribute__((target("avx512f"))) void AddRowPair512(float* upper_row, float* lower_row,
                                                      const float* kernel, int r, int x_begin,
                                                      const BlockRuns& runs, int segment_begin,
                                                      int segment_end) {
  AddRowPairVectors<Vec16, kPairVectors<Vec16>>(upper_row, lower_row, kernel, r, x_begin, runs,
                                                segment_begin, segment_end);
}
#endif

// The adders of the widest vectors this processor runs, within the limit.
Adders ChooseAdders(int max_vector_floats) {
  switch (VectorFloats(max_vector_floats)) {
#ifdef FLUXART_WIDE_VECTORS
    case 16:
      return {AddBatch512, AddRowPair512};
    case 8:
      return {AddBatch256, AddRowPair256};
#endif
    case 4:
      return {AddBatch128, AddRowPair128};
    default:
      return {AddBatchPlain, nullptr};
  }
}

// Turned rows first_row..end_row - 1: for each row, the batches in order;
// with a pair schedule, rows pair_apart apart in pairs, a chunk of a
// column tile of every pair before the next chunk.
void AddRows(const BlockRuns& runs, const KernelTable& kernel_table, FieldGrid& field_grid,
             int first_row, int end_row, const Adders& adders) {
  const float* kernel = &kernel_table[0][0][0];
  int r = first_row;
  if (adders.pair && runs.pair_apart > 0) {
    const int apart = runs.pair_apart;
    const int paired_end = first_row + (end_row - first_row) / (2 * apart) * (2 * apart);
    for (int x = 0; x < kRowFloats; x += kColumnTileFloats)
      for (int c = 0; c < runs.chunk_count; ++c)
        for (int top = first_row; top < paired_end; top += 2 * apart)
          for (int pair = top; pair < top + apart; ++pair)
            adders.pair(field_grid[pair][0], field_grid[pair + apart][0], kernel, pair, x, runs,
                        c == 0 ? 0 : runs.chunk_end[c - 1], runs.chunk_end[c]);
    r = paired_end;
  }
  for (; r < end_row; ++r)
    for (int g = 0; g < runs.group_count; ++g) {
      const int first = runs.group_start[g], end = runs.group_start[g + 1];
      const int batches = (end - first + kBatchBlocks - 1) / kBatchBlocks;
      for (int n = 0; n < batches; ++n)
        adders.batch(field_grid[r][0], kernel, r, runs.offset,
                     first + PartStart(end - first, n, batches),
                     first + PartStart(end - first, n + 1, batches), runs.group_subtract[g]);
    }
}

}  // namespace

void TurnFieldGrid(FieldGrid& grid) {
  float* cells = &grid[0][0][0];
  for (int front = 0, back = kPictureSide * kPictureSide - 1; front < back; ++front, --back)
    for (int n = 0; n < 3; ++n) std::swap(cells[3 * front + n], cells[3 * back + n]);
}

KernelWindow KernelWindowOf(const BlockGroup* groups, int group_count) {
  int low_row = kPictureSide, high_row = -1, low_col = kPictureSide, high_col = -1;
  for (int g = 0; g < group_count; ++g)
    for (int b = 0; b < groups[g].count; ++b) {
      const BlockCentre block = groups[g].blocks[b];
      low_row = std::min(low_row, static_cast<int>(block.row));
      high_row = std::max(high_row, static_cast<int>(block.row));
      low_col = std::min(low_col, static_cast<int>(block.col));
      high_col = std::max(high_col, static_cast<int>(block.col));
    }
  if (high_row < 0) return {0, 0, 0, 0};
  // Turned cell (r, c) of block (p0, q0) reads entry
  // [kTurnedToKernel - p0 + r][kTurnedToKernel - q0 + c].
  return {kTurnedToKernel - high_row, kTurnedToKernel - low_row + kPictureSide,
          kTurnedToKernel - high_col, kTurnedToKernel - low_col + kPictureSide};
}

void AddBlockGroups(Workspace& workspace, BlockRuns& runs, const BlockGroup* groups,
                    int group_count, const RunOptions& options) {
  CollectRuns(groups, group_count, runs);
  if (runs.count == 0) return;
  const Adders adders = ChooseAdders(options.max_vector_floats);
  if (adders.pair) PlanRowPairs(runs);
  const KernelTable& kernel_table = workspace.kernel_table;
  FieldGrid& field_grid = workspace.field_grid;
  RunParallelRows(kPictureSide, options.threads, [&](int first_row, int end_row) {
    AddRows(runs, kernel_table, field_grid, first_row, end_row, adders);
  });
}

void AddStepBlocks(Workspace& workspace, BlockRuns& runs, const BlockCentre* blocks, int count,
                   float sign, const RunOptions& options) {
  if (count <= 0) return;
  const BlockGroup group{blocks, count, sign};
  AddBlockGroups(workspace, runs, &group, 1, options);
}
