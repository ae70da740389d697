#pragma once
// Helpers for the field tests: workspaces, field scratch and kernel tables
// owned by a test,
// running code with a scratch folder as the working directory, and pictures
// loaded straight into a workspace.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/console_observer.h"
#include "core/workspace.h"
#include "field/field_scratch.h"
#include "field/kernel_sums.h"
#include "tests/test_support.h"

// A workspace of its own for a test, zero as at the start of the program,
// that tells the console how the stages go, as the program's does.
inline std::unique_ptr<Workspace> NewWorkspace() {
  static ConsoleObserver console;
  auto workspace = std::make_unique<Workspace>();
  workspace->observer = &console;
  return workspace;
}

// The field stage's scratch of its own for a test, as at the start of the
// program: no kernel held.
inline std::unique_ptr<FieldScratch> NewFieldScratch() { return std::make_unique<FieldScratch>(); }

// Values of every size and both signs, with zeros of both signs among them,
// so that any change in the order of additions shows in the bits.
inline void FillWithAwkwardValues(float* values, size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
  std::uniform_int_distribution<int> exponent(-30, 10);
  for (size_t k = 0; k < count; ++k) {
    const unsigned pick = rng() % 16;
    values[k] = pick == 0 ? 0.0f : pick == 1 ? -0.0f : std::ldexp(mantissa(rng), exponent(rng));
  }
}

// A heap-held 1284 x 1284 x 3 kernel table.
struct KernelBuffer {
  std::vector<float> values =
      std::vector<float>(static_cast<size_t>(kKernelSide) * kKernelSide * 3);
  KernelTable& table() { return *reinterpret_cast<KernelTable*>(values.data()); }
  float at(int p, int q, int n) const {
    return values[(static_cast<size_t>(p) * kKernelSide + q) * 3 + n];
  }
  bool SameBytes(const float* other) const {
    return std::memcmp(values.data(), other, values.size() * sizeof(float)) == 0;
  }
};

// Makes a folder the working directory for the object's lifetime.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& folder) {
    char buffer[4096];
    if (getcwd(buffer, sizeof(buffer))) previous_ = buffer;
    if (chdir(folder.c_str()) != 0) ADD_FAILURE() << "cannot enter " << folder;
  }
  ~WorkingDirectory() {
    if (chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previous_;
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::string previous_;
};

// Starts a run of the drawing in workspace, as a fresh program would: no
// kernel held in scratch.
inline void StartRun(Workspace& workspace, FieldScratch& scratch, const Drawing& drawing) {
  StartRun(workspace, drawing.rgb.data());
  scratch.held_kernel = HeldKernel{};
}

// The names in a folder, sorted, without "." and "..".
inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* listing = opendir(folder.c_str())) {
    while (dirent* entry = readdir(listing)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(listing);
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The text one layer prints when no kernel is computed on the way;
// message_after_step (below 1860) puts a cache message and its wipe after
// that step.
inline std::string LayerText(int z, int layer, int layers, int message_after_step = 0,
                             const std::string& message = "") {
  char line[128];
  std::snprintf(line, sizeof(line),
                "\n\n   +Calculating Vector Fields for Z layer %d (%d/%d) +\n\n", z, layer, layers);
  std::string text = line;
  text += "    Processing Step 0001 of 1860 ";
  for (int step = 2; step <= 1860; ++step) {
    if (step - 1 == message_after_step)
      text += message + std::string(46, '\b') + std::string(46, ' ') + std::string(46, '\b');
    std::snprintf(line, sizeof(line), "%s%04d of 1860 ", std::string(13, '\b').c_str(), step);
    text += line;
  }
  return text;
}
