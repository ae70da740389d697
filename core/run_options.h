#pragma once
// How the stages may use the machine. Every choice gives the same bytes; the
// choices are there so that tests can prove it and benchmarks compare them.
// The one exception, check_cache_contents, is for tests alone.
#include <string>

#include "core/parallel_rows.h"

struct RunOptions {
  // Threads of the kernel sums, the superposition and the contours (at least 1).
  int threads = DefaultThreadCount();
  // Widest vectors the hot loops may use, in floats: 16 (512-bit), 8
  // (256-bit), 4 (128-bit) or 1 (plain loops, the superposition only; the
  // kernel sums take 4 for it). A width the processor lacks falls back to the
  // next narrower one.
  int max_vector_floats = 16;
  // Whether a kernel cache file must pass the content checks of
  // field/kernel_verification.h before it is used. The program always
  // checks; tests that stand values of their own in for kernels, to prove
  // the superposition on them, turn it off.
  bool check_cache_contents = true;
  // Folder of the kernel cache files: "" for the current folder, as the
  // program has it.
  std::string cache_folder;
};
