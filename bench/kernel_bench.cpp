// Block kernels of half-size 5, each kind computed by the program's fast path
// and by the straightforward evaluation, in the same run. Benchmarks come in
// pairs named <name>/fast and <name>/straightforward, so a report can print
// each fast figure beside its straightforward one and their ratio.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

#include "field/block_kernels.h"
#include "field/magnet_color_table.h"
#include "tests/reference_block_kernels.h"

namespace {

constexpr float kBenchZ = 3.0f;
constexpr int kBenchAngle = 30;  // a planar angle with many oddly rounded offsets

std::vector<float>& BenchTable() {
  static std::vector<float> table(static_cast<std::size_t>(kKernelSide) * kKernelSide * 3);
  return table;
}

void Fast(benchmark::State& state, int kind, int angle) {
  std::vector<float>& table = BenchTable();
  for (auto _ : state) {
    ComputeKernel(kind, 5, angle, kBenchZ, reinterpret_cast<KernelRows>(table.data()));
    benchmark::DoNotOptimize(table.data());
  }
}

void Straightforward(benchmark::State& state, int kind, int angle) {
  std::vector<float>& table = BenchTable();
  for (auto _ : state) {
    ReferenceKernel(kind, 5, angle, kBenchZ, table.data());
    benchmark::DoNotOptimize(table.data());
  }
}

void BM_KernelAxialDipoleH5_fast(benchmark::State& s) { Fast(s, AxialDipole, 0); }
void BM_KernelAxialDipoleH5_straightforward(benchmark::State& s) {
  Straightforward(s, AxialDipole, 0);
}
void BM_KernelPlanarDipoleH5_fast(benchmark::State& s) { Fast(s, PlanarDipole, kBenchAngle); }
void BM_KernelPlanarDipoleH5_straightforward(benchmark::State& s) {
  Straightforward(s, PlanarDipole, kBenchAngle);
}
void BM_KernelMonopoleH5_fast(benchmark::State& s) { Fast(s, Monopole, 0); }
void BM_KernelMonopoleH5_straightforward(benchmark::State& s) { Straightforward(s, Monopole, 0); }

// The straightforward kernels take seconds each: one iteration is enough.
BENCHMARK(BM_KernelAxialDipoleH5_fast)->Name("BM_KernelAxialDipoleH5/fast")
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KernelAxialDipoleH5_straightforward)->Name("BM_KernelAxialDipoleH5/straightforward")
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_KernelPlanarDipoleH5_fast)->Name("BM_KernelPlanarDipoleH5/fast")
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KernelPlanarDipoleH5_straightforward)->Name("BM_KernelPlanarDipoleH5/straightforward")
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_KernelMonopoleH5_fast)->Name("BM_KernelMonopoleH5/fast")
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KernelMonopoleH5_straightforward)->Name("BM_KernelMonopoleH5/straightforward")
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
