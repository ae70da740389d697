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

void CollectRuns(const BlockGroup* groups, int group_count, BlockRuns& runs) {
  runs.count = 0;
  int total = 0;
  for (int g = 0; g < group_count; ++g) {
    const BlockCentre* blocks = groups[g].blocks;
    for (int b = 0; b < groups[g].count; ++b) {
      if (b == 0 || blocks[b].row != blocks[b - 1].row) {
        runs.start[runs.count] = total;
        runs.kernel_row[runs.count] = kTurnedToKernel - blocks[b].row;
        runs.subtract[runs.count] = groups[g].sign < 0.0f;
        ++runs.count;
      }
      runs.column[total++] = 3 * (kTurnedToKernel - blocks[b].col);
    }
  }
  runs.start[runs.count] = total;
}

// A field row's additions come in batches of consecutive runs. Within a
// batch every stretch of the row is held in registers while all the batch's
// blocks are added to it, so short runs (a thin or scattered colour, one or
// two blocks per block row) do not load and store the row once per run.
// A batch ends once it holds kBatchBlocks blocks: a long run (a large area,
// a checkerboard) is then a batch of its own and reads its one kernel row
// from the first-level cache for every stretch.
constexpr int kBatchBlocks = 32;

// The end of the batch of runs that starts at run first.
int BatchEnd(const BlockRuns& runs, int first) {
  int end = first + 1;
  while (end < runs.count && runs.start[end] - runs.start[first] < kBatchBlocks) ++end;
  return end;
}

// Adds runs [first, end) into field_row (one row of 1920 floats) of turned
// row r, block by block for every float: run k's kernel row is
// kernel_row[k] + r of kernel. Subtracting is the same as adding -1 x
// kernel, bit for bit.
void AddBatchPlain(float* field_row, const float* kernel, int r, const BlockRuns& runs, int first,
                   int end) {
  for (int k = first; k < end; ++k) {
    const float* row =
        kernel + static_cast<std::ptrdiff_t>(runs.kernel_row[k] + r) * kKernelRowFloats;
    for (int b = runs.start[k]; b < runs.start[k + 1]; ++b) {
      const float* term = row + runs.column[b];
      if (runs.subtract[k])
        for (int x = 0; x < kRowFloats; ++x) field_row[x] = field_row[x] - term[x];
      else
        for (int x = 0; x < kRowFloats; ++x) field_row[x] = field_row[x] + term[x];
    }
  }
}

// Eight vectors of a row's stretch, kept in registers: the compiler keeps
// named variables there, where it would spill an array.
template <typename Vec>
struct Stretch {
  Vec a0, a1, a2, a3, a4, a5, a6, a7;
};

template <typename Vec>
FLUXART_INLINE void LoadStretch(const float* f, Stretch<Vec>& s) {
  constexpr int kLanes = static_cast<int>(sizeof(Vec) / sizeof(float));
  LoadVec(f, s.a0), LoadVec(f + kLanes, s.a1), LoadVec(f + 2 * kLanes, s.a2);
  LoadVec(f + 3 * kLanes, s.a3), LoadVec(f + 4 * kLanes, s.a4), LoadVec(f + 5 * kLanes, s.a5);
  LoadVec(f + 6 * kLanes, s.a6), LoadVec(f + 7 * kLanes, s.a7);
}
template <typename Vec>
FLUXART_INLINE void StoreStretch(const Stretch<Vec>& s, float* f) {
  constexpr int kLanes = static_cast<int>(sizeof(Vec) / sizeof(float));
  StoreVec(f, s.a0), StoreVec(f + kLanes, s.a1), StoreVec(f + 2 * kLanes, s.a2);
  StoreVec(f + 3 * kLanes, s.a3), StoreVec(f + 4 * kLanes, s.a4), StoreVec(f + 5 * kLanes, s.a5);
  StoreVec(f + 6 * kLanes, s.a6), StoreVec(f + 7 * kLanes, s.a7);
}

// s := s + (or -) t, lane by lane.
template <bool kSubtract, typename Vec>
FLUXART_INLINE void AddStretch(Stretch<Vec>& s, const Stretch<Vec>& t) {
  if (kSubtract) {
    s.a0 = s.a0 - t.a0, s.a1 = s.a1 - t.a1, s.a2 = s.a2 - t.a2, s.a3 = s.a3 - t.a3;
    s.a4 = s.a4 - t.a4, s.a5 = s.a5 - t.a5, s.a6 = s.a6 - t.a6, s.a7 = s.a7 - t.a7;
  } else {
    s.a0 = s.a0 + t.a0, s.a1 = s.a1 + t.a1, s.a2 = s.a2 + t.a2, s.a3 = s.a3 + t.a3;
    s.a4 = s.a4 + t.a4, s.a5 = s.a5 + t.a5, s.a6 = s.a6 + t.a6, s.a7 = s.a7 + t.a7;
  }
}

// The stretch := the stretch + (or -) the eight vectors at k, lane by lane.
template <bool kSubtract, typename Vec>
FLUXART_INLINE void AddEight(Stretch<Vec>& s, const float* k) {
  Stretch<Vec> t;
  LoadStretch(k, t);
  AddStretch<kSubtract>(s, t);
}

// AddBatchPlain with vectors: for each stretch of eight vectors, every block
// of every run of the batch in order (lane by lane, so the roundings are
// those of the plain loop).
template <typename Vec>
FLUXART_INLINE void AddBatchVectors(float* __restrict field_row, const float* __restrict kernel,
                                    int r, const BlockRuns& runs, int first, int end) {
  constexpr int kLanes = static_cast<int>(sizeof(Vec) / sizeof(float));
  constexpr int kChunkFloats = 8 * kLanes;
  static_assert(kRowFloats % kChunkFloats == 0, "a row is whole chunks");
  for (int x0 = 0; x0 < kRowFloats; x0 += kChunkFloats) {
    float* __restrict f = field_row + x0;
    Stretch<Vec> s;
    LoadStretch(f, s);
    for (int k = first; k < end; ++k) {
      const float* __restrict row =
          kernel + static_cast<std::ptrdiff_t>(runs.kernel_row[k] + r) * kKernelRowFloats + x0;
      const int* __restrict columns = runs.column;
      const int stop = runs.start[k + 1];
      if (runs.subtract[k])
        for (int b = runs.start[k]; b < stop; ++b) AddEight<true>(s, row + columns[b]);
      else
        for (int b = runs.start[k]; b < stop; ++b) AddEight<false>(s, row + columns[b]);
    }
    StoreStretch(s, f);
  }
}

void AddBatch128(float* field_row, const float* kernel, int r, const BlockRuns& runs, int first,
                 int end) {
  AddBatchVectors<Vec4>(field_row, kernel, r, runs, first, end);
}

#ifdef FLUXART_WIDE_VECTORS
__attribute__((target("avx"))) void AddBatch256(float* field_row, const float* kernel, int r,
                                                const BlockRuns& runs, int first, int end) {
  AddBatchVectors<Vec8>(field_row, kernel, r, runs, first, end);
}

__attribute__((target("avx512f"))) void AddBatch512(float* field_row, const float* kernel, int r,
                                                    const BlockRuns& runs, int first, int end) {
  AddBatchVectors<Vec16>(field_row, kernel, r, runs, first, end);
}
#endif

#ifdef FLUXART_WIDE_VECTORS
// The stretches a and b := themselves + (or -) the eight vectors at k, each
// vector loaded once for both.
template <bool kSubtract>
FLUXART_INLINE void AddEightTwice(Stretch<Vec16>& a, Stretch<Vec16>& b, const float* k) {
  Stretch<Vec16> t;
  LoadStretch(k, t);
  AddStretch<kSubtract>(a, t);
  AddStretch<kSubtract>(b, t);
}

// Run k's blocks added to one stretch, from kernel row `row` at float x0.
FLUXART_INLINE void AddRunTo(Stretch<Vec16>& s, const float* row, const BlockRuns& runs, int k) {
  if (runs.subtract[k])
    for (int b = runs.start[k]; b < runs.start[k + 1]; ++b) AddEight<true>(s, row + runs.column[b]);
  else
    for (int b = runs.start[k]; b < runs.start[k + 1]; ++b)
      AddEight<false>(s, row + runs.column[b]);
}

// Turned rows r and r + pair_rows at once, every run in order for each:
// run j of row r and run j + pair_shift of row r + pair_rows read the same
// kernel row at the same columns when the latter repeats the former, so
// each kernel vector is loaded once for both rows' additions.
__attribute__((target("avx512f"))) void AddRowPair512(float* row_a, float* row_b,
                                                      const float* kernel, int r,
                                                      const BlockRuns& runs) {
  const int shift = runs.pair_shift, count = runs.count;
  const int r_b = r + runs.pair_rows;
  for (int x0 = 0; x0 < kRowFloats; x0 += 128) {
    Stretch<Vec16> a, b;
    LoadStretch(row_a + x0, a);
    LoadStretch(row_b + x0, b);
    // Row b stays shift runs ahead of row a where it can.
    int next_a = 0, next_b = 0;
    while (next_a < count) {
      if (next_b < count && next_b - next_a == shift && runs.repeats[next_a]) {
        const float* row =
            kernel + static_cast<std::ptrdiff_t>(runs.kernel_row[next_a] + r) * kKernelRowFloats +
            x0;
        if (runs.subtract[next_a])
          for (int k = runs.start[next_a]; k < runs.start[next_a + 1]; ++k)
            AddEightTwice<true>(a, b, row + runs.column[k]);
        else
          for (int k = runs.start[next_a]; k < runs.start[next_a + 1]; ++k)
            AddEightTwice<false>(a, b, row + runs.column[k]);
        ++next_a, ++next_b;
      } else if (next_b < count && next_b - next_a < shift) {
        AddRunTo(b,
                 kernel +
                     static_cast<std::ptrdiff_t>(runs.kernel_row[next_b] + r_b) * kKernelRowFloats +
                     x0,
                 runs, next_b);
        ++next_b;
      } else {
        AddRunTo(a,
                 kernel +
                     static_cast<std::ptrdiff_t>(runs.kernel_row[next_a] + r) * kKernelRowFloats +
                     x0,
                 runs, next_a);
        ++next_a;
      }
    }
    for (; next_b < count; ++next_b)
      AddRunTo(b,
               kernel +
                   static_cast<std::ptrdiff_t>(runs.kernel_row[next_b] + r_b) * kKernelRowFloats +
                   x0,
               runs, next_b);
    StoreStretch(a, row_a + x0);
    StoreStretch(b, row_b + x0);
  }
}
#endif

// Whether runs a and b have the same sign and the same columns.
bool SameShape(const BlockRuns& runs, int a, int b) {
  const int length = runs.start[a + 1] - runs.start[a];
  return runs.subtract[a] == runs.subtract[b] && runs.start[b + 1] - runs.start[b] == length &&
         std::equal(runs.column + runs.start[a], runs.column + runs.start[a] + length,
                    runs.column + runs.start[b]);
}

// Looks for runs that repeat every one or two runs (an area of one colour,
// a checkerboard) and marks them; pair_shift stays 0 unless at least half
// of the runs repeat.
void FindRepeats(BlockRuns& runs) {
  runs.pair_shift = 0;
  for (int shift = 1; shift <= 2 && shift < runs.count; ++shift) {
    const int rows = runs.kernel_row[0] - runs.kernel_row[shift];
    if (rows < 1) continue;
    int repeating = 0;
    for (int k = 0; k < runs.count; ++k) {
      runs.repeats[k] = k + shift < runs.count &&
                        runs.kernel_row[k] - runs.kernel_row[k + shift] == rows &&
                        SameShape(runs, k, k + shift);
      repeating += runs.repeats[k];
    }
    if (2 * repeating >= runs.count) {
      runs.pair_shift = shift;
      runs.pair_rows = rows;
      return;
    }
  }
}

using BatchAdder = void (*)(float*, const float*, int, const BlockRuns&, int, int);

// The widest adder this processor runs, within the limit.
BatchAdder ChooseAdder(int max_vector_floats) {
#ifdef FLUXART_WIDE_VECTORS
  static const bool avx512 = CpuHasAvx512f();
  static const bool avx = CpuHasAvx();
  if (max_vector_floats >= 16 && avx512) return AddBatch512;
  if (max_vector_floats >= 8 && avx) return AddBatch256;
#endif
  if (max_vector_floats >= 4) return AddBatch128;
  return AddBatchPlain;
}

// Turned rows first_row..end_row - 1: for each row, the batches in order;
// with the 512-bit adder and repeating runs, rows pair_rows apart in pairs.
void AddRows(const BlockRuns& runs, const KernelTable& kernel_table, FieldGrid& field_grid,
             int first_row, int end_row, BatchAdder add) {
  const float* kernel = &kernel_table[0][0][0];
  int r = first_row;
#ifdef FLUXART_WIDE_VECTORS
  if (add == AddBatch512 && runs.pair_shift > 0) {
    const int apart = runs.pair_rows;
    for (; r + 2 * apart <= end_row; r += 2 * apart)
      for (int pair = r; pair < r + apart; ++pair)
        AddRowPair512(field_grid[pair][0], field_grid[pair + apart][0], kernel, pair, runs);
  }
#endif
  for (; r < end_row; ++r)
    for (int k = 0; k < runs.count;) {
      const int end = BatchEnd(runs, k);
      add(field_grid[r][0], kernel, r, runs, k, end);
      k = end;
    }
}

}  // namespace

void TurnFieldGrid(FieldGrid& grid) {
  float* cells = &grid[0][0][0];
  for (int front = 0, back = kPictureSide * kPictureSide - 1; front < back; ++front, --back)
    for (int n = 0; n < 3; ++n) std::swap(cells[3 * front + n], cells[3 * back + n]);
}

void AddBlockGroups(Workspace& workspace, const BlockGroup* groups, int group_count,
                    const RunOptions& options) {
  BlockRuns& runs = workspace.block_runs;
  CollectRuns(groups, group_count, runs);
  if (runs.count == 0) return;
  const BatchAdder add = ChooseAdder(options.max_vector_floats);
  FindRepeats(runs);
  const KernelTable& kernel_table = workspace.kernel_table;
  FieldGrid& field_grid = workspace.field_grid;
  RunParallelRows(kPictureSide, options.threads, [&](int first_row, int end_row) {
    AddRows(runs, kernel_table, field_grid, first_row, end_row, add);
  });
}

void AddStepBlocks(Workspace& workspace, const BlockCentre* blocks, int count, float sign,
                   const RunOptions& options) {
  if (count <= 0) return;
  const BlockGroup group{blocks, count, sign};
  AddBlockGroups(workspace, &group, 1, options);
}
