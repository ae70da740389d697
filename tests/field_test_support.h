#pragma once
// Helpers for the field tests: kernel tables owned by a test, running code
// with a scratch folder as the working directory, and pictures loaded
// straight into the grids.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/grids.h"
#include "field/block_kernels.h"
#include "field/field_synthesis.h"
#include "tests/test_support.h"

// A heap-held 1284 x 1284 x 3 kernel table.
struct KernelBuffer {
  std::vector<float> values = std::vector<float>(static_cast<size_t>(kKernelSide) * kKernelSide * 3);
  KernelRows rows() { return reinterpret_cast<KernelRows>(values.data()); }
  float at(int p, int q, int n) const { return values[(static_cast<size_t>(p) * kKernelSide + q) * 3 + n]; }
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

// Puts the grids back to the start of a run and loads the drawing.
inline void StartRun(const Drawing& drawing, float z) {
  ResetGrids();
  ForgetKernel();
  LoadPicture(drawing.rgb.data());
  CurrentZ = z;
}

inline int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}
