#include "core/free_space.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

std::uint64_t FreeSpaceReserve() {
  const char* text = std::getenv("FLUXART_CACHE_RESERVE_MIB");
  if (!text || !*text) return kDefaultFreeSpaceReserve;
  char* end = nullptr;
  const unsigned long long mib = std::strtoull(text, &end, 10);
  if (*end != '\0' || mib > (std::uint64_t{1} << 40)) return kDefaultFreeSpaceReserve;
  return static_cast<std::uint64_t>(mib) << 20;
}

bool LeavesReserve(const std::string& folder, std::uint64_t bytes) {
  std::error_code error;
  const std::filesystem::space_info space =
      std::filesystem::space(folder.empty() ? "." : folder, error);
  // A file system that reports no size at all (such as /proc) says nothing
  // about room; the write itself then decides.
  if (error || space.capacity == 0 || space.available == static_cast<std::uintmax_t>(-1))
    return true;
  return space.available >= bytes && space.available - bytes >= FreeSpaceReserve();
}
