// The floor of the superposition: how fast this machine adds floats in the
// adder's pattern when nothing has to come from beyond the first-level cache.
// Each thread keeps a 1920-float field row, a run of eight vectors at a time
// in registers, and adds to it one 1284-entry kernel row at the 320 column
// offsets of a checkerboard's block row, as the adder does; both rows fit in
// the first-level cache. Reported as the time the 5.03e11 additions of a
// two-colour checkerboard (409,600 single-pixel blocks, each added to the
// whole 640 x 640 x 3 grid) take at that rate on every processor at once,
// beside BM_SuperposeCheckerboard/fast.
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

using Adder = void (*)(float*, const float*, const int*);
void AddRun128(float* f, const float* k, const int* c) { AddRun<Vec4>(f, k, c); }
#ifdef FLUXART_WIDE_VECTORS
__attribute__((target("avx"))) void AddRun256(float* f, const float* k, const int* c) {
  AddRun<Vec8>(f, k, c);
}
__attribute__((target("avx512f"))) void AddRun512(float* f, const float* k, const int* c) {
  AddRun<Vec16>(f, k, c);
}
#endif

// The widest, as the program chooses.
Adder WidestAdder() {
#ifdef FLUXART_WIDE_VECTORS
  if (CpuHasAvx512f()) return AddRun512;
  if (CpuHasAvx()) return AddRun256;
#endif
  return AddRun128;
}

void BM_AdderFloor(benchmark::State& state) {
  const Adder add = WidestAdder();
  const int threads = DefaultThreadCount();
  constexpr int kRepeats = 2000;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    RunParts(threads, [add](int part) {
      std::vector<float> field(kRowFloats, 0.0f), kernel(kKernelRowFloats, 1e-7f);
      std::vector<int> columns(kBlocksPerRun);
      for (int b = 0; b < kBlocksPerRun; ++b)
        columns[b] = 3 * (kKernelCentre + 1 - (part % 2 + 2 * b));
      for (int repeat = 0; repeat < kRepeats; ++repeat) {
        add(field.data(), kernel.data(), columns.data());
        benchmark::DoNotOptimize(field.data());
      }
    });
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double additions =
        static_cast<double>(threads) * kRepeats * kBlocksPerRun * static_cast<double>(kRowFloats);
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
