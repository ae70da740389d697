#include "core/free_space.h"

#include <cstdlib>

#include "core/file_system.h"

std::uint64_t FreeSpaceReserve() {
  const char* text = std::getenv("FLUXART_CACHE_RESERVE_MIB");
  if (!text || !*text) return kDefaultFreeSpaceReserve;
  char* end = nullptr;
  const unsigned long long mib = std::strtoull(text, &end, 10);
  if (*end != '\0' || mib > (std::uint64_t{1} << 40)) return kDefaultFreeSpaceReserve;
  return static_cast<std::uint64_t>(mib) << 20;
}

bool LeavesReserve(const std::string& folder, std::uint64_t bytes) {
  std::uint64_t available = 0;
  // Room that cannot be learnt says nothing; the write itself then decides.
  if (!ActiveFileSystem().FreeBytes(folder, &available)) return true;
  return available >= bytes && available - bytes >= FreeSpaceReserve();
}
