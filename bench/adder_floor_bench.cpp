// The floor of the superposition: how fast this machine adds floats in the
// adder's pattern when nothing has to come from beyond the first-level cache.
// Each thread keeps two 1920-float field rows, a run of eight vectors at a
// time in registers, and adds to them one 1284-entry kernel row at the 320
// column offsets of a checkerboard's block row, as the adder does (with
// 512-bit vectors each kernel vector loaded once for both rows, as the
// adder does where runs repeat); all rows fit in the first-level cache. Reported as the time
// the 5.03e11 additions of a two-colour checkerboard (409,600 single-pixel blocks, each added to
// the whole 640 x 640 x 3 grid) take at that rate on every processor at once, beside
// BM_SuperposeCheckerboard/fast.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "core/parallel_rows.h"
#include "core/workspace.h"
#include "field/float_vectors.h"

namespace {

constexpr int kRowFloats = kPictureSide * 3;
constexpr int kKernelRowFloats = kKernelSide * 3;
constexpr int kBlocksPerRun = kPictureSide / 2;
constexpr double kCheckerboardAdditions =
    static_cast<double>(kPictureSide) * kPictureSide * kPictureSide * kPictureSide * 3;

// The adder's inner loop (block_superposition.cpp): eight vectors of the
// field row in registers while every block of the run is added.
template <typename Vec>
FLUXART_INLINE void AddRun(float* field_row, const float* kernel_row, const int* columns) {
  constexpr int kLanes = static_cast<int>(sizeof(Vec) / sizeof(float));
  for (int x0 = 0; x0 < kRowFloats; x0 += 8 * kLanes) {
    float* f = field_row + x0;
    Vec a0, a1, a2, a3, a4, a5, a6, a7, t;
    LoadVec(f, a0), LoadVec(f + kLanes, a1), LoadVec(f + 2 * kLanes, a2);
    LoadVec(f + 3 * kLanes, a3), LoadVec(f + 4 * kLanes, a4), LoadVec(f + 5 * kLanes, a5);
    LoadVec(f + 6 * kLanes, a6), LoadVec(f + 7 * kLanes, a7);
    for (int b = 0; b < kBlocksPerRun; ++b) {
      const float* k = kernel_row + columns[b] + x0;
      LoadVec(k, t), a0 = a0 + t;
      LoadVec(k + kLanes, t), a1 = a1 + t;
      LoadVec(k + 2 * kLanes, t), a2 = a2 + t;
      LoadVec(k + 3 * kLanes, t), a3 = a3 + t;
      LoadVec(k + 4 * kLanes, t), a4 = a4 + t;
      LoadVec(k + 5 * kLanes, t), a5 = a5 + t;
      LoadVec(k + 6 * kLanes, t), a6 = a6 + t;
      LoadVec(k + 7 * kLanes, t), a7 = a7 + t;
    }
    StoreVec(f, a0), StoreVec(f + kLanes, a1), StoreVec(f + 2 * kLanes, a2);
    StoreVec(f + 3 * kLanes, a3), StoreVec(f + 4 * kLanes, a4), StoreVec(f + 5 * kLanes, a5);
    StoreVec(f + 6 * kLanes, a6), StoreVec(f + 7 * kLanes, a7);
  }
}

// Two rows at once, each kernel vector loaded once for both, as the 512-bit
// adder does for runs that repeat (a checkerboard's runs repeat every second
// block row).
template <typename Vec>
FLUXART_INLINE void AddRunTwice(float* field_rows, const float* kernel_row, const int* columns) {
  constexpr int kLanes = static_cast<int>(sizeof(Vec) / sizeof(float));
  constexpr int L = kLanes;
  for (int x0 = 0; x0 < kRowFloats; x0 += 8 * L) {
    float* f = field_rows + x0;
    float* g = f + kRowFloats;
    Vec a0, a1, a2, a3, a4, a5, a6, a7, b0, b1, b2, b3, b4, b5, b6, b7;
    LoadVec(f, a0), LoadVec(f + L, a1), LoadVec(f + 2 * L, a2), LoadVec(f + 3 * L, a3);
    LoadVec(f + 4 * L, a4), LoadVec(f + 5 * L, a5), LoadVec(f + 6 * L, a6), LoadVec(f + 7 * L, a7);
    LoadVec(g, b0), LoadVec(g + L, b1), LoadVec(g + 2 * L, b2), LoadVec(g + 3 * L, b3);
    LoadVec(g + 4 * L, b4), LoadVec(g + 5 * L, b5), LoadVec(g + 6 * L, b6), LoadVec(g + 7 * L, b7);
    for (int n = 0; n < kBlocksPerRun; ++n) {
      const float* k = kernel_row + columns[n] + x0;
      Vec t0, t1, t2, t3, t4, t5, t6, t7;
      LoadVec(k, t0), LoadVec(k + L, t1), LoadVec(k + 2 * L, t2), LoadVec(k + 3 * L, t3);
      LoadVec(k + 4 * L, t4), LoadVec(k + 5 * L, t5), LoadVec(k + 6 * L, t6),
          LoadVec(k + 7 * L, t7);
      a0 = a0 + t0, a1 = a1 + t1, a2 = a2 + t2, a3 = a3 + t3;
      a4 = a4 + t4, a5 = a5 + t5, a6 = a6 + t6, a7 = a7 + t7;
      b0 = b0 + t0, b1 = b1 + t1, b2 = b2 + t2, b3 = b3 + t3;
      b4 = b4 + t4, b5 = b5 + t5, b6 = b6 + t6, b7 = b7 + t7;
    }
    StoreVec(f, a0), StoreVec(f + L, a1), StoreVec(f + 2 * L, a2), StoreVec(f + 3 * L, a3);
    StoreVec(f + 4 * L, a4), StoreVec(f + 5 * L, a5), StoreVec(f + 6 * L, a6),
        StoreVec(f + 7 * L, a7);
    StoreVec(g, b0), StoreVec(g + L, b1), StoreVec(g + 2 * L, b2), StoreVec(g + 3 * L, b3);
    StoreVec(g + 4 * L, b4), StoreVec(g + 5 * L, b5), StoreVec(g + 6 * L, b6),
        StoreVec(g + 7 * L, b7);
  }
}

// Adds one run to field_rows (two rows) and gives the additions made.
using Adder = double (*)(float*, const float*, const int*);
double AddRun128(float* f, const float* k, const int* c) {
  AddRun<Vec4>(f, k, c);
  AddRun<Vec4>(f + kRowFloats, k, c);
  return 2.0 * kBlocksPerRun * kRowFloats;
}
#ifdef FLUXART_WIDE_VECTORS
__attribute__((target("avx"))) double AddRun256(float* f, const float* k, const int* c) {
  AddRun<Vec8>(f, k, c);
  AddRun<Vec8>(f + kRowFloats, k, c);
  return 2.0 * kBlocksPerRun * kRowFloats;
}
__attribute__((target("avx512f"))) double AddRunTwice512(float* f, const float* k, const int* c) {
  AddRunTwice<Vec16>(f, k, c);
  return 2.0 * kBlocksPerRun * kRowFloats;
}
#endif

// The pattern the program uses on this processor for a checkerboard.
Adder ProgramsAdder() {
#ifdef FLUXART_WIDE_VECTORS
  if (CpuHasAvx512f()) return AddRunTwice512;
  if (CpuHasAvx()) return AddRun256;
#endif
  return AddRun128;
}

void BM_AdderFloor(benchmark::State& state) {
  const Adder add = ProgramsAdder();
  const int threads = DefaultThreadCount();
  constexpr int kRepeats = 2000;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    RunParts(threads, [add](int part) {
      std::vector<float> field(2 * kRowFloats, 0.0f), kernel(kKernelRowFloats, 1e-7f);
      std::vector<int> columns(kBlocksPerRun);
      for (int b = 0; b < kBlocksPerRun; ++b)
        columns[b] = 3 * (kKernelCentre + 1 - (part % 2 + 2 * b));
      for (int repeat = 0; repeat < kRepeats; ++repeat) {
        add(field.data(), kernel.data(), columns.data());
        benchmark::DoNotOptimize(field.data());
      }
    });
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double additions = static_cast<double>(threads) * kRepeats * 2.0 * kBlocksPerRun *
                             static_cast<double>(kRowFloats);
    state.counters["additions_per_second"] = additions / elapsed.count();
    state.SetIterationTime(kCheckerboardAdditions / (additions / elapsed.count()));
  }
}
BENCHMARK(BM_AdderFloor)
    ->Name("BM_SuperposeCheckerboard/floor")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

}  // namespace
