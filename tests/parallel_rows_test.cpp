#include "core/parallel_rows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#if defined(__unix__)
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// The sum of 0 .. 999, each part adding its own rows: a part run twice or
// not at all shows in it.
long long SumOfParts(int parts) {
  std::atomic<long long> total{0};
  RunParallelRows(1000, parts, [&](int begin, int end) {
    for (int k = begin; k < end; ++k) total += k;
  });
  return total.load();
}

}  // namespace

// The kept helpers: every part of every call exactly once, whatever the
// number of parts from call to call; a call from inside a part (the helpers
// busy) starts threads of its own; an exception in a helper's part comes
// back to the caller, and the helpers serve the next call; a child made by
// fork runs parts without its parent's helpers.
TEST(RunParts, EveryPartOnceNestedFailingAndAfterFork) {
  for (int round = 0; round < 200; ++round) ASSERT_EQ(SumOfParts(1 + round % 5), 499500);

  std::atomic<int> inner{0};
  RunParts(3, [&](int) { RunParts(2, [&](int) { ++inner; }); });
  EXPECT_EQ(inner.load(), 6);

  EXPECT_THROW(RunParts(2,
                        [](int part) {
                          if (part == 1) throw std::runtime_error("part 1");
                        }),
               std::runtime_error);
  EXPECT_EQ(SumOfParts(2), 499500);

#if defined(__unix__)
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(SumOfParts(2) == 499500 && SumOfParts(3) == 499500 ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#endif
}
