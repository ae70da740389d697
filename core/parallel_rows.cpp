#include "core/parallel_rows.h"

int DefaultThreadCount() {
  constexpr unsigned kMaxThreads = 16;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores < kMaxThreads ? cores : kMaxThreads);
}
