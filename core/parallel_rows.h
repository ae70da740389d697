#pragma once
// Sharing rows of work among threads. Every stage that does so splits its
// rows the same way and gives the same bytes for any number of threads.
#include <system_error>
#include <thread>
#include <vector>

// Threads a stage uses when not told otherwise: the number of processors,
// at least 1 and at most 16.
int DefaultThreadCount();

// Start of part `part` of `parts` near-equal parts of [0, count).
inline int PartStart(int count, int part, int parts) {
  return static_cast<int>(static_cast<long long>(count) * part / parts);
}

// Runs work(0) .. work(parts - 1) at the same time, part 0 on this thread,
// and returns when all are done. A part whose thread cannot be started runs
// on this thread instead of ending the run.
template <typename Work>
void RunParts(int parts, const Work& work) {
  std::vector<std::thread> helpers;
  for (int part = 1; part < parts; ++part) {
    try {
      helpers.emplace_back(work, part);
    } catch (const std::system_error&) {
      work(part);
    }
  }
  work(0);
  for (std::thread& helper : helpers) helper.join();
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
