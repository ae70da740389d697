// The field stage, the contour stage and whole runs, each measured on the
// program's fast path and on the straightforward evaluation in the same run.
// Benchmarks come in pairs named <name>/fast and <name>/straightforward;
// scripts/bench prints each pair with its ratio.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/magnet_color_table.h"
#include "core/workspace.h"
#include "field/block_superposition.h"
#include "field/field_scratch.h"
#include "field/field_synthesis.h"
#include "field/kernel_cache.h"
#include "field/kernel_sums.h"
#include "reference/contours.h"
#include "reference/field.h"
#include "reference/run.h"
#include "render/contours.h"
#include "tests/test_support.h"
#include "tools/bench_drawings.h"
#include "tools/raster.h"

namespace {

constexpr int kPink[3] = {255, 0, 128};
constexpr int kRed[3] = {255, 0, 0};
constexpr int kBlue[3] = {0, 0, 255};

// Sends standard output to /dev/null while it lives: the stages print their
// progress, which would drown the report.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = dup(1);
    const int null_file = open("/dev/null", O_WRONLY);
    dup2(null_file, 1);
    close(null_file);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
  }
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;

 private:
  int saved_;
};

// A scratch folder that is the working directory while the object lives.
class ScratchWorkingDirectory {
 public:
  ScratchWorkingDirectory() {
    char buffer[4096];
    previous_ = getcwd(buffer, sizeof(buffer)) ? buffer : ".";
    if (chdir(folder_.path().c_str()) != 0) std::perror(folder_.path().c_str());
  }
  ~ScratchWorkingDirectory() {
    if (chdir(previous_.c_str()) != 0) std::perror(previous_.c_str());
  }
  const ScratchDir& folder() const { return folder_; }

 private:
  ScratchDir folder_;
  std::string previous_;
};

// Starts a run of the drawing with no kernel held.
void StartSynthesis(Workspace& ws, FieldScratch& scratch, const Drawing& drawing) {
  StartRun(ws, drawing.rgb.data());
  scratch.held_kernel = HeldKernel{};
}

// One layer at z = 3, by the program or by the straightforward evaluation;
// kernels come from the program's preparation (cache or computation).
void Synthesize(Workspace& ws, FieldScratch& scratch, const Drawing& drawing, bool fast) {
  StartSynthesis(ws, scratch, drawing);
  QuietStdout quiet;
  if (fast)
    SynthesizeField(ws, scratch, 3.0f, 1);
  else
    ReferenceSynthesizeField(ws, scratch, 3.0f, 1,
                             [](Workspace& w, FieldScratch& s, const MagnetColor& row, int h,
                                float z) { PrepareKernel(w, s, row, h, z); });
  benchmark::DoNotOptimize(ws.field_grid[320][320][0]);
}

// A picture filled with one colour: 3364 blocks of 11 x 11, then 2556 single
// pixels in the strips at the right and the bottom. The kernel of the big
// blocks is in the cache before timing starts; the single-pixel kernel is
// computed in each run, as the program does.
void SuperposeOneColor(benchmark::State& state, bool fast) {
  ScratchWorkingDirectory cwd;
  Drawing drawing;
  drawing.FillRect(0, 0, 640, 640, kPink[0], kPink[1], kPink[2]);
  const auto ws = std::make_unique<Workspace>();
  const auto scratch = std::make_unique<FieldScratch>();
  {
    StartSynthesis(*ws, *scratch, drawing);
    QuietStdout quiet;
    FillKernelTable(*ws, scratch->cache_notices, Monopole, 5, 0, 3.0f);
  }
  for (auto _ : state) Synthesize(*ws, *scratch, drawing, fast);
}
void BM_SuperposeOneColor_fast(benchmark::State& state) { SuperposeOneColor(state, true); }
void BM_SuperposeOneColor_straightforward(benchmark::State& state) {
  SuperposeOneColor(state, false);
}

// The lattice of single pixels of a two-colour checkerboard, colour by colour.
std::vector<BlockCentre> CheckerboardBlocks(int parity) {
  std::vector<BlockCentre> blocks;
  for (int row = 0; row < 640; ++row)
    for (int col = 0; col < 640; ++col)
      if ((row + col) % 2 == parity)
        blocks.push_back({static_cast<int16_t>(row), static_cast<int16_t>(col)});
  return blocks;
}

// The additions of a two-colour checkerboard: 409,600 single-pixel blocks in
// two steps. The straightforward evaluation adds every 128th block and its
// time is scaled by 128 (all blocks cost the same: the whole grid each).
constexpr int kCheckerboardShare = 128;

void SuperposeCheckerboard(benchmark::State& state, bool fast) {
  const auto ws = std::make_unique<Workspace>();
  const auto runs = std::make_unique<BlockRuns>();
  ComputeKernel(AxialDipole, 0, 0, 3.0f, ws->kernel_table);
  const std::vector<BlockCentre> blue = CheckerboardBlocks(0), red = CheckerboardBlocks(1);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    double scale = 1;
    if (fast) {
      TurnFieldGrid(ws->field_grid);
      AddStepBlocks(*ws, *runs, blue.data(), static_cast<int>(blue.size()), +1.0f);
      AddStepBlocks(*ws, *runs, red.data(), static_cast<int>(red.size()), -1.0f);
      TurnFieldGrid(ws->field_grid);
    } else {
      for (size_t b = 0; b < blue.size(); b += kCheckerboardShare)
        ReferenceAddBlockField(*ws, blue[b].row, blue[b].col, +1.0f);
      for (size_t b = 0; b < red.size(); b += kCheckerboardShare)
        ReferenceAddBlockField(*ws, red[b].row, red[b].col, -1.0f);
      scale = kCheckerboardShare;
    }
    benchmark::DoNotOptimize(ws->field_grid[320][320][0]);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count() * scale);
  }
}
void BM_SuperposeCheckerboard_fast(benchmark::State& state) { SuperposeCheckerboard(state, true); }
void BM_SuperposeCheckerboard_straightforward(benchmark::State& state) {
  SuperposeCheckerboard(state, false);
}

// The real program on a two-colour checkerboard filling the picture, one
// layer, from the start to the last picture written.
void BM_WholeRunCheckerboard_fast(benchmark::State& state) {
  ScratchDir folder;
  Drawing drawing;
  for (int row = 0; row < 640; ++row)
    for (int col = 0; col < 640; ++col) {
      const int* c = (row + col) % 2 ? kRed : kBlue;
      drawing.Paint(row, col, c[0], c[1], c[2]);
    }
  WritePng(folder / "checkerboard.png", drawing);
  for (auto _ : state) {
    RunResult result = RunFluxart(folder.path(), {"checkerboard.png", "3", "1"});
    if (result.status != 0) state.SkipWithError("fluxart failed on the checkerboard");
  }
}

// The shipped example when it is there, else a bar magnet drawn here.
void WriteExample(const std::string& path) {
  const std::string example = std::string(FLUXART_SOURCE_DIR) + "/examples/bar_magnet.png";
  const std::string bytes = ReadFile(example);
  if (!bytes.empty()) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
    return;
  }
  Drawing drawing;
  drawing.FillRect(290, 240, 60, 160, 255, 255, 128);
  WritePng(path, drawing);
}

void RemoveKernelFiles(const ScratchDir& folder) {
  std::vector<std::string> names;
  if (DIR* listing = opendir(folder.path().c_str())) {
    while (dirent* entry = readdir(listing))
      if (std::strncmp(entry->d_name, "Fluxart_Z", 9) == 0) names.push_back(entry->d_name);
    closedir(listing);
  }
  for (const std::string& name : names) std::remove((folder / name).c_str());
}

// The drawing of every kind from tools/bench_drawings.
void WriteMixedDrawing(const std::string& path) {
  if (WritePngFile(path, PaintMixedDrawing()) != 0) std::perror(path.c_str());
}

// A drawing at z = 3, one layer, by the real program or by the
// straightforward run, from an empty kernel cache or a full one. No vector
// tables: writing them is the same in both; scripts/bench times a whole "v"
// run of the program on its own, with its peak memory.
void WholeRunOf(benchmark::State& state, const char* name, void (*write)(const std::string&),
                bool fast, bool full_cache) {
  ScratchWorkingDirectory cwd;
  const ScratchDir& folder = cwd.folder();
  write(folder / name);
  RunSettings settings;
  settings.input_name = name;
  if (full_cache) RunFluxart(folder.path(), {name, "3", "1"});
  const auto ws = std::make_unique<Workspace>();
  const auto scratch = std::make_unique<FieldScratch>();
  for (auto _ : state) {
    if (!full_cache) {
      state.PauseTiming();
      RemoveKernelFiles(folder);
      state.ResumeTiming();
    }
    if (fast) {
      if (RunFluxart(folder.path(), {name, "3", "1"}).status != 0)
        state.SkipWithError("fluxart failed on the drawing");
    } else {
      QuietStdout quiet;
      scratch->held_kernel = HeldKernel{};  // as a fresh straightforward run
      ReferenceRun(settings, *ws, *scratch);
    }
  }
}
void WholeRun(benchmark::State& state, bool fast, bool full_cache) {
  WholeRunOf(state, "bar_magnet.png", WriteExample, fast, full_cache);
}
void MixedRun(benchmark::State& state, bool fast, bool full_cache) {
  WholeRunOf(state, "mixed.png", WriteMixedDrawing, fast, full_cache);
}
void BM_MixedEmptyCache_fast(benchmark::State& state) { MixedRun(state, true, false); }
void BM_MixedEmptyCache_straightforward(benchmark::State& state) { MixedRun(state, false, false); }
void BM_MixedFullCache_fast(benchmark::State& state) { MixedRun(state, true, true); }
void BM_MixedFullCache_straightforward(benchmark::State& state) { MixedRun(state, false, true); }
void BM_WholeRunEmptyCache_fast(benchmark::State& state) { WholeRun(state, true, false); }
void BM_WholeRunEmptyCache_straightforward(benchmark::State& state) {
  WholeRun(state, false, false);
}
void BM_WholeRunFullCache_fast(benchmark::State& state) { WholeRun(state, true, true); }
void BM_WholeRunFullCache_straightforward(benchmark::State& state) { WholeRun(state, false, true); }

// The contour stage on the field of the example: magnitudes, bands, turn.
void Contours(benchmark::State& state, bool fast) {
  ScratchWorkingDirectory cwd;
  WriteExample(cwd.folder() / "bar_magnet.png");
  RunSettings settings;
  settings.input_name = "bar_magnet.png";
  const auto ws = std::make_unique<Workspace>();
  {
    const auto scratch = std::make_unique<FieldScratch>();
    QuietStdout quiet;
    ReferenceRun(settings, *ws, *scratch);  // leaves the example's field in the workspace
  }
  for (auto _ : state) {
    state.PauseTiming();
    std::memset(ws->contour_plane, 0, sizeof(ImagePlane));
    state.ResumeTiming();
    QuietStdout quiet;
    if (fast)
      DrawContours(*ws);
    else
      ReferenceDrawContours(*ws);
  }
}
void BM_Contours_fast(benchmark::State& state) { Contours(state, true); }
void BM_Contours_straightforward(benchmark::State& state) { Contours(state, false); }

BENCHMARK(BM_SuperposeOneColor_fast)
    ->Name("BM_SuperposeOneColour/fast")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SuperposeOneColor_straightforward)
    ->Name("BM_SuperposeOneColour/straightforward")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_SuperposeCheckerboard_fast)
    ->Name("BM_SuperposeCheckerboard/fast")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(BM_SuperposeCheckerboard_straightforward)
    ->Name("BM_SuperposeCheckerboard/straightforward")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(BM_Contours_fast)->Name("BM_Contours/fast")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Contours_straightforward)
    ->Name("BM_Contours/straightforward")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_WholeRunFullCache_fast)
    ->Name("BM_WholeRunFullCache/fast")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_WholeRunFullCache_straightforward)
    ->Name("BM_WholeRunFullCache/straightforward")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_WholeRunEmptyCache_fast)
    ->Name("BM_WholeRunEmptyCache/fast")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_WholeRunEmptyCache_straightforward)
    ->Name("BM_WholeRunEmptyCache/straightforward")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_MixedFullCache_fast)
    ->Name("BM_MixedFullCache/fast")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_MixedFullCache_straightforward)
    ->Name("BM_MixedFullCache/straightforward")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_MixedEmptyCache_fast)
    ->Name("BM_MixedEmptyCache/fast")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_MixedEmptyCache_straightforward)
    ->Name("BM_MixedEmptyCache/straightforward")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_WholeRunCheckerboard_fast)
    ->Name("BM_WholeRunCheckerboard/fast")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
