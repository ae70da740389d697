// The floor of the superposition: how fast this machine adds floats in the
// adder's paired pattern when nothing has to come from beyond the first-level
// cache, at the width the program uses (the widest this processor has, or
// what FLUXART_MAX_VECTOR_BITS allows). Each thread keeps two 1920-float
// field rows and adds to them one 1284-entry kernel row at the 320 column
// offsets of a checkerboard's block row, a stretch of each row at a time in
// registers and each kernel vector loaded once for both rows, as the paired
// adder does; all rows fit in the first-level cache. Reported as the time
// the 5.03e11 additions of a two-colour checkerboard (409,600 single-pixel
// blocks, each added to the whole 640 x 640 x 3 grid) take at that rate on
// every processor at once, beside BM_SuperposeCheckerboard/fast.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
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

// The paired adder's inner loop (block_superposition.cpp) for one run added
// to both rows.
template <typename Vec>
FLUXART_INLINE void AddRunTwice(float* field_rows, const float* kernel_row, const int* columns) {
  using Row = Stretch<Vec, kPairVectors<Vec>>;
  for (int x0 = 0; x0 < kRowFloats; x0 += Row::kFloats) {
    float* f = field_rows + x0;
    float* g = f + kRowFloats;
    Row a, b;
    LoadStretch(f, a);
    LoadStretch(g, b);
    for (int n = 0; n < kBlocksPerRun; ++n) AddTermTwice<false>(a, b, kernel_row + columns[n] + x0);
    StoreStretch(a, f);
    StoreStretch(b, g);
  }
}

// Adds one run to field_rows (two rows).
using Adder = void (*)(float*, const float*, const int*);
void AddRunPlain(float* f, const float* k, const int* c) {
  for (int row = 0; row < 2; ++row)
    for (int n = 0; n < kBlocksPerRun; ++n)
      for (int x = 0; x < kRowFloats; ++x)
        f[row * kRowFloats + x] = f[row * kRowFloats + x] + k[c[n] + x];
}
void AddRunTwice128(float* f, const float* k, const int* c) { AddRunTwice<Vec4>(f, k, c); }
#ifdef FLUXART_WIDE_VECTORS
__attribute__((target("avx"))) void AddRunTwice256(float* f, const float* k, const int* c) {
  AddRunTwice<Vec8>(f, k, c);
}
__attribute__((target("avx512f"))) void AddRunTwice512(float* f, const float* k, const int* c) {
  AddRunTwice<Vec16>(f, k, c);
}
#endif

// The pattern the program uses on this processor for a checkerboard.
Adder ProgramsAdder(int floats) {
  switch (floats) {
#ifdef FLUXART_WIDE_VECTORS
    case 16:
      return AddRunTwice512;
    case 8:
      return AddRunTwice256;
#endif
    case 4:
      return AddRunTwice128;
    default:
      return AddRunPlain;
  }
}

void BM_AdderFloor(benchmark::State& state) {
  const int floats = VectorFloats(16);
  const Adder add = ProgramsAdder(floats);
  const int threads = DefaultThreadCount();
  constexpr int kRepeats = 2000;
  state.SetLabel(std::to_string(floats == 1 ? 0 : 32 * floats) + "-bit");
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
