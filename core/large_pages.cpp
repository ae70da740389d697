#include "core/large_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
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
