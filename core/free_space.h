#pragma once
// How much room the optional kernel cache may take: a new cache file is kept
// only when the folder's file system would still have the reserve free
// afterwards, so that a run never fills the disk with files it can do
// without.
#include <cstdint>
#include <string>

// 1 GiB; the environment variable FLUXART_CACHE_RESERVE_MIB (a whole number
// of MiB) sets another for tests.
constexpr std::uint64_t kDefaultFreeSpaceReserve = std::uint64_t{1} << 30;
std::uint64_t FreeSpaceReserve();

// True when folder's file system has room for bytes more and still keeps the
// reserve free for unprivileged users. True as well when the free space
// cannot be learnt or the file system reports no size: the write itself
// then decides.
bool LeavesReserve(const std::string& folder, std::uint64_t bytes);
