#include "core/large_pages.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void PreferLargePages(void* begin, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::size_t kLargePage = std::size_t{1} << 21;
  const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(begin) % kLargePage;
  const std::size_t skip = misalignment ? kLargePage - misalignment : 0;
  if (bytes <= skip) return;
  const std::size_t whole = (bytes - skip) / kLargePage * kLargePage;
  // Only a request: where it is refused the pages are small, as before.
  if (whole > 0) madvise(static_cast<char*>(begin) + skip, whole, MADV_HUGEPAGE);
#else
  (void)begin;
  (void)bytes;
#endif
}

void ReuseFreedMemory() {
#if defined(__GLIBC__)
  // Every allocation from the heap, whatever its size (up to the 32 MB this
  // setting allows), freed memory never trimmed, and one arena.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_ARENA_MAX, 1);
  // The heap grown at once to what a run holds at most, on large pages
  // where the system gives them, and kept for the allocations to come.
  constexpr std::size_t kHeapBytes = std::size_t{16} << 20;
  void* heap = std::malloc(kHeapBytes);
  PreferLargePages(heap, kHeapBytes);
  std::free(heap);
#endif
}
