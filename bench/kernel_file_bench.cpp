// Loading a kernel cache file: the plain read of its 19,783,872 bytes, warm
// (in the page cache) and cold (dropped from it before each read), beside the
// program's checked load and the check of its sampled cells, which must
// stay a small share of the read.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/magnet_color_table.h"
#include "field/kernel_cache.h"
#include "field/kernel_sums.h"
#include "field/kernel_verification.h"

namespace {

constexpr float kBenchZ = 3.0f;

std::vector<float>& Table() {
  static std::vector<float> table(kKernelFileBytes / sizeof(float));
  return table;
}
KernelTable& Rows() { return *reinterpret_cast<KernelTable*>(Table().data()); }

// A planar kernel of half-size 5, stored once in the temporary folder.
const std::string& KernelFile() {
  static const std::string path = [] {
    const char* folder = std::getenv("TMPDIR");
    const std::string name = std::string(folder && *folder ? folder : "/tmp") + "/fluxart_bench_" +
                             std::to_string(getpid()) + ".dat";
    ComputeKernel(PlanarDipole, 5, 30, kBenchZ, Rows());
    StoreKernelFile(name, Rows());
    std::atexit([] { std::remove(KernelFile().c_str()); });
    return name;
  }();
  return path;
}

void DropFromPageCache(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY);
  posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED);
  close(descriptor);
}

// Reads the kernel file into the table: plainly (one fread) or as a run
// loads it (pieces, each value checked against the bound); cold drops the
// file from the page cache before each read.
void ReadKernel(benchmark::State& state, bool checked, bool cold) {
  const std::string& path = KernelFile();
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      DropFromPageCache(path);
      state.ResumeTiming();
    }
    if (checked) {
      benchmark::DoNotOptimize(LoadKernelFile(path, Rows(), KernelValueBound(5, kBenchZ)));
      continue;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(Table().data(), 1, kKernelFileBytes, file));
    std::fclose(file);
  }
}
void PlainRead(benchmark::State& state, bool cold) { ReadKernel(state, false, cold); }
void CheckedRead(benchmark::State& state, bool cold) { ReadKernel(state, true, cold); }

void SampledCells(benchmark::State& state, int kind, int h, int angle) {
  ComputeKernel(kind, h, angle, kBenchZ, Rows());
  for (auto _ : state) benchmark::DoNotOptimize(SampledCellsMatch(kind, h, angle, kBenchZ, Rows()));
}

BENCHMARK_CAPTURE(PlainRead, warm, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainRead, cold, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CheckedRead, warm, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CheckedRead, cold, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SampledCells, PlanarH5, PlanarDipole, 5, 30)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SampledCells, AxialH5, AxialDipole, 5, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SampledCells, MonopoleH1, Monopole, 1, 0)->Unit(benchmark::kMillisecond);

}  // namespace
