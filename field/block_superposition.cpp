#include "field/block_superposition.h"

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

// Adds the kernel runs at columns[0..count) of kernel_row into field_row
// (one row of 1920 floats), block by block for every float. Subtract is the
// same as adding -1 x kernel, bit for bit.
template <bool kSubtract>
void AddRunPlain(float* __restrict field_row, const float* __restrict kernel_row,
                 const int* __restrict columns, int count) {
  for (int b = 0; b < count; ++b) {
    const float* __restrict k = kernel_row + columns[b];
    for (int x = 0; x < kRowFloats; ++x)
      field_row[x] = kSubtract ? field_row[x] - k[x] : field_row[x] + k[x];
  }
}

// a := a + the vector at k, or a - it.
template <bool kSubtract, typename Vec>
FLUXART_INLINE void Accumulate(Vec& a, const float* k) {
  Vec term;
  LoadVec(k, term);
  if (kSubtract)
    a = a - term;
  else
    a = a + term;
}

// The same with vectors: eight vectors of a row stay in registers while
// every block of the run is added to them, in order (additions and
// subtractions lane by lane, so the roundings are those of the plain loop).
template <typename Vec, bool kSubtract>
FLUXART_INLINE void AddRunVectors(float* __restrict field_row, const float* __restrict kernel_row,
                                  const int* __restrict columns, int count) {
  constexpr int kLanes = static_cast<int>(sizeof(Vec) / sizeof(float));
  constexpr int kChunkFloats = 8 * kLanes;
  static_assert(kRowFloats % kChunkFloats == 0, "a row is whole chunks");
  for (int x0 = 0; x0 < kRowFloats; x0 += kChunkFloats) {
    float* __restrict f = field_row + x0;
    Vec a0, a1, a2, a3, a4, a5, a6, a7;
    LoadVec(f, a0);
    LoadVec(f + kLanes, a1);
    LoadVec(f + 2 * kLanes, a2);
    LoadVec(f + 3 * kLanes, a3);
    LoadVec(f + 4 * kLanes, a4);
    LoadVec(f + 5 * kLanes, a5);
    LoadVec(f + 6 * kLanes, a6);
    LoadVec(f + 7 * kLanes, a7);
    for (int b = 0; b < count; ++b) {
      const float* __restrict k = kernel_row + columns[b] + x0;
      Accumulate<kSubtract>(a0, k);
      Accumulate<kSubtract>(a1, k + kLanes);
      Accumulate<kSubtract>(a2, k + 2 * kLanes);
      Accumulate<kSubtract>(a3, k + 3 * kLanes);
      Accumulate<kSubtract>(a4, k + 4 * kLanes);
      Accumulate<kSubtract>(a5, k + 5 * kLanes);
      Accumulate<kSubtract>(a6, k + 6 * kLanes);
      Accumulate<kSubtract>(a7, k + 7 * kLanes);
    }
    StoreVec(f, a0);
    StoreVec(f + kLanes, a1);
    StoreVec(f + 2 * kLanes, a2);
    StoreVec(f + 3 * kLanes, a3);
    StoreVec(f + 4 * kLanes, a4);
    StoreVec(f + 5 * kLanes, a5);
    StoreVec(f + 6 * kLanes, a6);
    StoreVec(f + 7 * kLanes, a7);
  }
}

template <bool kSubtract>
void AddRun128(float* field_row, const float* kernel_row, const int* columns, int count) {
  AddRunVectors<Vec4, kSubtract>(field_row, kernel_row, columns, count);
}

#ifdef FLUXART_WIDE_VECTORS
template <bool kSubtract>
__attribute__((target("avx"))) void AddRun256(float* field_row, const float* kernel_row,
                                              const int* columns, int count) {
  AddRunVectors<Vec8, kSubtract>(field_row, kernel_row, columns, count);
}

template <bool kSubtract>
__attribute__((target("avx512f"))) void AddRun512(float* field_row, const float* kernel_row,
                                                  const int* columns, int count) {
  AddRunVectors<Vec16, kSubtract>(field_row, kernel_row, columns, count);
}
#endif

using RunAdder = void (*)(float*, const float*, const int*, int);

struct RunAdders {
  RunAdder add, subtract;
};

// The widest adders this processor runs, within the limit.
RunAdders ChooseAdders(int max_vector_floats) {
#ifdef FLUXART_WIDE_VECTORS
  static const bool avx512 = CpuHasAvx512f();
  static const bool avx = CpuHasAvx();
  if (max_vector_floats >= 16 && avx512) return {AddRun512<false>, AddRun512<true>};
  if (max_vector_floats >= 8 && avx) return {AddRun256<false>, AddRun256<true>};
#endif
  if (max_vector_floats >= 4) return {AddRun128<false>, AddRun128<true>};
  return {AddRunPlain<false>, AddRunPlain<true>};
}

// Turned rows first_row..end_row - 1: for each row, the runs in order.
void AddRows(const BlockRuns& runs, const KernelTable& kernel_table, FieldGrid& field_grid,
             int first_row, int end_row, RunAdders adders) {
  const float* __restrict kernel = &kernel_table[0][0][0];
  for (int r = first_row; r < end_row; ++r) {
    float* __restrict field_row = field_grid[r][0];
    for (int k = 0; k < runs.count; ++k) {
      const float* kernel_row =
          kernel + static_cast<std::ptrdiff_t>(runs.kernel_row[k] + r) * kKernelRowFloats;
      const RunAdder add = runs.subtract[k] ? adders.subtract : adders.add;
      add(field_row, kernel_row, runs.column + runs.start[k], runs.start[k + 1] - runs.start[k]);
    }
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
  const RunAdders adders = ChooseAdders(options.max_vector_floats);
  const KernelTable& kernel_table = workspace.kernel_table;
  FieldGrid& field_grid = workspace.field_grid;
  RunParallelRows(kPictureSide, options.threads, [&](int first_row, int end_row) {
    AddRows(runs, kernel_table, field_grid, first_row, end_row, adders);
  });
}

void AddStepBlocks(Workspace& workspace, const BlockCentre* blocks, int count, float sign,
                   const RunOptions& options) {
  if (count <= 0) return;
  const BlockGroup group{blocks, count, sign};
  AddBlockGroups(workspace, &group, 1, options);
}
