#pragma once
// Sharing rows of work among threads. Every stage that does so splits its
// rows the same way and gives the same bytes for any number of threads.
#include <exception>
#include <thread>
#include <vector>

// Threads a stage uses when not told otherwise: the number of processors,
// at least 1 and at most 16.
int DefaultThreadCount();

// Start of part `part` of `parts` near-equal parts of [0, count).
inline int PartStart(int count, int part, int parts) {
  return static_cast<int>(static_cast<long long>(count) * part / parts);
}

// Runs call(work, 1) .. call(work, parts - 1) on helper threads and
// call(work, 0) on this thread, and returns when all are done; call never
// throws. The helpers are kept from call to call (starting a thread costs
// some 70 microseconds, and a run shares out its work some 500 times); a call
// made while the helpers are busy (from inside a part, say) starts threads
// of its own. A part whose thread cannot be started runs on this thread
// instead of ending the run.
void RunOnHelpers(int parts, void (*call)(const void* work, int part), const void* work);

// Runs work(0) .. work(parts - 1) at the same time, part 0 on this thread,
// and returns when all are done. An exception in any part (out of memory,
// say) is thrown again here once every part has ended.
template <typename Work>
void RunParts(int parts, const Work& work) {
  std::vector<std::exception_ptr> failures(parts < 1 ? 1 : parts);
  const auto guarded = [&work, &failures](int part) {
    try {
      work(part);
    } catch (...) {
      failures[part] = std::current_exception();
    }
  };
  using Guarded = decltype(guarded);
  RunOnHelpers(
      static_cast<int>(failures.size()),
      [](const void* context, int part) { (*static_cast<const Guarded*>(context))(part); },
      &guarded);
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

// Runs work(first, end) on `threads` near-equal row ranges of [0, rows) at
// once (at least 1 and at most `rows` ranges), as RunParts does.
template <typename Work>
void RunParallelRows(int rows, int threads, const Work& work) {
  const int parts = threads < 1 ? 1 : (threads > rows ? rows : threads);
  RunParts(parts, [&work, rows, parts](int part) {
    work(PartStart(rows, part, parts), PartStart(rows, part + 1, parts));
  });
}
