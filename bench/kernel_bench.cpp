// Block kernels of half-size 5, each kind computed by the program's fast path
// and by the straightforward evaluation, in the same run. Benchmarks come in
// pairs named <name>/fast and <name>/straightforward, so a report can print
// each fast figure beside its straightforward one and their ratio.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

#include "core/magnet_color_table.h"
#include "field/kernel_sums.h"
#include "reference/kernels.h"

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
    ComputeKernel(kind, 5, angle, kBenchZ, *reinterpret_cast<KernelTable*>(table.data()));
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

// The "Time" column is wall-clock time, which is what counts for the fast
// path's threads; the straightforward kernels take about a second or more,
// so each of them runs once.
const bool kRegistered = [] {
  struct Kind {
    const char* name;
    int kind, angle;
  };
  const Kind kinds[] = {{"BM_KernelAxialDipoleH5", AxialDipole, 0},
                        {"BM_KernelPlanarDipoleH5", PlanarDipole, kBenchAngle},
                        {"BM_KernelMonopoleH5", Monopole, 0}};
  for (const Kind& k : kinds) {
    benchmark::RegisterBenchmark((std::string(k.name) + "/fast").c_str(), Fast, k.kind, k.angle)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string(k.name) + "/straightforward").c_str(),
                                 Straightforward, k.kind, k.angle)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
