#include "field/block_superposition.h"

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "app/grids.h"

#if defined(__GNUC__) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
#include <immintrin.h>
#define FLUXART_X86 1
#endif

namespace {

constexpr int kRowFloats = kPictureSide * 3;
constexpr int kKernelRowFloats = kKernelSide * 3;
// Kernel index of turned cell 0 for a block centred at picture 0:
// 1281 - 639, from kernel index 1281 - p0 - l with l = 639 - r.
constexpr int kTurnedToKernel = kPictureSide + kKernelCentre - (kPictureSide - 1);

// The blocks of one step, taken as runs that share a block row: each run
// reads one kernel row per FieldGrid row. start[k]..start[k + 1] are the
// run's blocks, kernel_row[k] its kernel row for turned row 0, and
// column[b] the float offset of block b in a kernel row for turned column 0.
struct StepRuns {
  int count = 0;
  int start[kMaxStepBlocks + 1];
  int kernel_row[kMaxStepBlocks];
  int column[kMaxStepBlocks];
};
StepRuns runs;

int width_limit = 8;
int thread_count =
    static_cast<int>(std::min(8u, std::max(1u, std::thread::hardware_concurrency())));

void CollectRuns(const BlockCentre* blocks, int count) {
  runs.count = 0;
  for (int b = 0; b < count; ++b) {
    if (b == 0 || blocks[b].row != blocks[b - 1].row) {
      runs.start[runs.count] = b;
      runs.kernel_row[runs.count] = kTurnedToKernel - blocks[b].row;
      ++runs.count;
    }
    runs.column[b] = 3 * (kTurnedToKernel - blocks[b].col);
  }
  runs.start[runs.count] = count;
}

// Adds the kernel runs at columns[0..count) of kernel_row into field_row
// (one row of 1920 floats), block by block for every float. Subtract is the
// same as adding -1 x kernel, bit for bit.
template <bool kSubtract>
void AddRunPlain(float* field_row, const float* kernel_row, const int* columns, int count) {
  for (int b = 0; b < count; ++b) {
    const float* k = kernel_row + columns[b];
    for (int x = 0; x < kRowFloats; ++x)
      field_row[x] = kSubtract ? field_row[x] - k[x] : field_row[x] + k[x];
  }
}

#ifdef FLUXART_X86
// Eight vectors of a row stay in registers while every block of the run is
// added to them, in order.
template <bool kSubtract>
void AddRunSse2(float* field_row, const float* kernel_row, const int* columns, int count) {
  for (int x0 = 0; x0 < kRowFloats; x0 += 32) {
    float* f = field_row + x0;
    __m128 a0 = _mm_loadu_ps(f), a1 = _mm_loadu_ps(f + 4), a2 = _mm_loadu_ps(f + 8),
           a3 = _mm_loadu_ps(f + 12), a4 = _mm_loadu_ps(f + 16), a5 = _mm_loadu_ps(f + 20),
           a6 = _mm_loadu_ps(f + 24), a7 = _mm_loadu_ps(f + 28);
    for (int b = 0; b < count; ++b) {
      const float* k = kernel_row + columns[b] + x0;
      if (kSubtract) {
        a0 = _mm_sub_ps(a0, _mm_loadu_ps(k));
        a1 = _mm_sub_ps(a1, _mm_loadu_ps(k + 4));
        a2 = _mm_sub_ps(a2, _mm_loadu_ps(k + 8));
        a3 = _mm_sub_ps(a3, _mm_loadu_ps(k + 12));
        a4 = _mm_sub_ps(a4, _mm_loadu_ps(k + 16));
        a5 = _mm_sub_ps(a5, _mm_loadu_ps(k + 20));
        a6 = _mm_sub_ps(a6, _mm_loadu_ps(k + 24));
        a7 = _mm_sub_ps(a7, _mm_loadu_ps(k + 28));
      } else {
        a0 = _mm_add_ps(a0, _mm_loadu_ps(k));
        a1 = _mm_add_ps(a1, _mm_loadu_ps(k + 4));
        a2 = _mm_add_ps(a2, _mm_loadu_ps(k + 8));
        a3 = _mm_add_ps(a3, _mm_loadu_ps(k + 12));
        a4 = _mm_add_ps(a4, _mm_loadu_ps(k + 16));
        a5 = _mm_add_ps(a5, _mm_loadu_ps(k + 20));
        a6 = _mm_add_ps(a6, _mm_loadu_ps(k + 24));
        a7 = _mm_add_ps(a7, _mm_loadu_ps(k + 28));
      }
    }
    _mm_storeu_ps(f, a0);
    _mm_storeu_ps(f + 4, a1);
    _mm_storeu_ps(f + 8, a2);
    _mm_storeu_ps(f + 12, a3);
    _mm_storeu_ps(f + 16, a4);
    _mm_storeu_ps(f + 20, a5);
    _mm_storeu_ps(f + 24, a6);
    _mm_storeu_ps(f + 28, a7);
  }
}

// The same with 256-bit vectors, for processors that have them (additions
// and subtractions only, so the roundings are those of the scalar code).
template <bool kSubtract>
__attribute__((target("avx"))) void AddRunAvx(float* field_row, const float* kernel_row,
                                              const int* columns, int count) {
  for (int x0 = 0; x0 < kRowFloats; x0 += 64) {
    float* f = field_row + x0;
    __m256 a0 = _mm256_loadu_ps(f), a1 = _mm256_loadu_ps(f + 8), a2 = _mm256_loadu_ps(f + 16),
           a3 = _mm256_loadu_ps(f + 24), a4 = _mm256_loadu_ps(f + 32), a5 = _mm256_loadu_ps(f + 40),
           a6 = _mm256_loadu_ps(f + 48), a7 = _mm256_loadu_ps(f + 56);
    for (int b = 0; b < count; ++b) {
      const float* k = kernel_row + columns[b] + x0;
      if (kSubtract) {
        a0 = _mm256_sub_ps(a0, _mm256_loadu_ps(k));
        a1 = _mm256_sub_ps(a1, _mm256_loadu_ps(k + 8));
        a2 = _mm256_sub_ps(a2, _mm256_loadu_ps(k + 16));
        a3 = _mm256_sub_ps(a3, _mm256_loadu_ps(k + 24));
        a4 = _mm256_sub_ps(a4, _mm256_loadu_ps(k + 32));
        a5 = _mm256_sub_ps(a5, _mm256_loadu_ps(k + 40));
        a6 = _mm256_sub_ps(a6, _mm256_loadu_ps(k + 48));
        a7 = _mm256_sub_ps(a7, _mm256_loadu_ps(k + 56));
      } else {
        a0 = _mm256_add_ps(a0, _mm256_loadu_ps(k));
        a1 = _mm256_add_ps(a1, _mm256_loadu_ps(k + 8));
        a2 = _mm256_add_ps(a2, _mm256_loadu_ps(k + 16));
        a3 = _mm256_add_ps(a3, _mm256_loadu_ps(k + 24));
        a4 = _mm256_add_ps(a4, _mm256_loadu_ps(k + 32));
        a5 = _mm256_add_ps(a5, _mm256_loadu_ps(k + 40));
        a6 = _mm256_add_ps(a6, _mm256_loadu_ps(k + 48));
        a7 = _mm256_add_ps(a7, _mm256_loadu_ps(k + 56));
      }
    }
    _mm256_storeu_ps(f, a0);
    _mm256_storeu_ps(f + 8, a1);
    _mm256_storeu_ps(f + 16, a2);
    _mm256_storeu_ps(f + 24, a3);
    _mm256_storeu_ps(f + 32, a4);
    _mm256_storeu_ps(f + 40, a5);
    _mm256_storeu_ps(f + 48, a6);
    _mm256_storeu_ps(f + 56, a7);
  }
}
#endif

using RunAdder = void (*)(float*, const float*, const int*, int);

// The widest adder this processor runs, within the limit.
RunAdder ChooseAdder(bool subtract) {
#ifdef FLUXART_X86
  __builtin_cpu_init();
  if (width_limit >= 8 && __builtin_cpu_supports("avx"))
    return subtract ? AddRunAvx<true> : AddRunAvx<false>;
  if (width_limit >= 4) return subtract ? AddRunSse2<true> : AddRunSse2<false>;
#endif
  return subtract ? AddRunPlain<true> : AddRunPlain<false>;
}

// Turned rows first_row..end_row - 1: for each row, the runs in order.
void AddRows(int first_row, int end_row, RunAdder add) {
  const float* kernel = &KernelTable[0][0][0];
  for (int r = first_row; r < end_row; ++r) {
    float* field_row = FieldGrid[r][0];
    for (int k = 0; k < runs.count; ++k) {
      const float* kernel_row =
          kernel + static_cast<std::ptrdiff_t>(runs.kernel_row[k] + r) * kKernelRowFloats;
      add(field_row, kernel_row, runs.column + runs.start[k], runs.start[k + 1] - runs.start[k]);
    }
  }
}

}  // namespace

void TurnFieldGrid() {
  float* cells = &FieldGrid[0][0][0];
  for (int front = 0, back = kPictureSide * kPictureSide - 1; front < back; ++front, --back)
    for (int n = 0; n < 3; ++n) std::swap(cells[3 * front + n], cells[3 * back + n]);
}

void AddStepBlocks(const BlockCentre* blocks, int count, float sign) {
  if (count <= 0) return;
  CollectRuns(blocks, count);
  const RunAdder add = ChooseAdder(sign < 0.0f);
  const int threads = std::min(thread_count, kPictureSide);
  if (threads == 1) {
    AddRows(0, kPictureSide, add);
    return;
  }
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  for (int t = 1; t < threads; ++t) {
    const int first_row = t * kPictureSide / threads, end_row = (t + 1) * kPictureSide / threads;
    try {
      helpers.emplace_back(AddRows, first_row, end_row, add);
    } catch (const std::system_error&) {
      AddRows(first_row, end_row, add);  // no thread to be had: the rows are done here
    }
  }
  AddRows(0, kPictureSide / threads, add);
  for (std::thread& helper : helpers) helper.join();
}

void LimitSuperpositionWidth(int floats) { width_limit = floats; }

void SetSuperpositionThreads(int threads) { thread_count = std::max(1, threads); }
int SuperpositionThreads() { return thread_count; }
