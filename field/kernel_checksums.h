#pragma once
// Checksums of the kernel cache files this program writes, kept beside each
// one under KernelChecksumsName (core/file_names.h). Each row of the table
// is cut into stretches of kChecksumCells cells (the last one shorter), and
// each stretch has a 64-bit checksum through which every 8-byte word of it
// passes by a bijection: a change to any one word always changes the
// checksum, and changes to several cancel with odds near 2^-64. A run that
// reads a window of a file widens it to whole stretches and checks every
// stretch it reads, so a file with its checksums is trusted bit for bit. A
// file without them (written by another program, or whose checksums could
// not be kept) is checked by its values and sampled cells alone
// (field/kernel_verification.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/file_names.h"
#include "core/workspace.h"
#include "field/kernel_window.h"

constexpr int kChecksumCells = 64;
constexpr int kChecksumsPerRow = (kKernelSide + kChecksumCells - 1) / kChecksumCells;

struct KernelChecksums {
  KernelCacheKey key;               // the kernel they belong to
  std::vector<std::uint64_t> sums;  // kKernelSide rows of kChecksumsPerRow
};

// The checksum of `cells` cells (an even count) from values on.
std::uint64_t StretchChecksum(const float* values, int cells);

// The checksums of the whole table, for the kernel key names.
KernelChecksums ComputeKernelChecksums(const KernelTable& table, const KernelCacheKey& key);

// True when the stretches of row that hold columns [column_begin,
// column_end) match; both ends on stretch bounds (WholeStretches).
bool RowMatchesChecksums(const KernelTable& table, int row, int column_begin, int column_end,
                         const KernelChecksums& checksums);

// window with its columns widened to whole stretches.
KernelWindow WholeStretches(const KernelWindow& window);

// The size of a checksums file.
constexpr std::size_t kChecksumsFileBytes =
    8 + 6 * 4 + 8 * (std::size_t{kKernelSide} * kChecksumsPerRow + 1);

enum class ChecksumsFile { kMissing, kDamaged, kRead };

// Reads the checksums file at path. kMissing when there is no such regular
// file;
// kDamaged when it is not a whole checksums file of this form for the
// kernel key names (then the kernel's file must not be trusted either);
// kRead with *checksums filled.
ChecksumsFile ReadKernelChecksums(const std::string& path, const KernelCacheKey& key,
                                  KernelChecksums* checksums);

// Writes checksums whole to path (core/whole_file.h); false with *reason
// when it could not.
bool StoreKernelChecksums(const std::string& path, const KernelChecksums& checksums,
                          std::string* reason);
