#pragma once
// Kernel cache files: one file per (z, kind, h, angle) in the working
// directory, holding the 1284 x 1284 x 3 float table as raw little-endian
// bytes with no header. The name alone says what the file holds.
#include <cstddef>
#include <limits>
#include <string>

#include "field/block_kernels.h"

constexpr std::size_t kKernelFileBytes =
    static_cast<std::size_t>(kKernelSide) * kKernelSide * 3 * sizeof(float);

// "Fluxart_Z<z + 5000>_<kind * 1000000 + h * 1000 + angle>.dat", z cut
// towards zero; the angle term only for PlanarDipole.
std::string KernelCacheName(int kind, int h, int angle, float z);

// Reads path into table. True only when the file holds exactly
// kKernelFileBytes and every value is finite and no larger than bound in
// size; otherwise false, and the table holds unspecified data.
bool LoadKernelFile(const std::string& path, KernelRows table,
                    float bound = std::numeric_limits<float>::max());

// Writes table whole to path (core/whole_file.h). False when anything
// failed, with *reason (when given) saying why; then no file is left under
// path or under the temporary name (an older file under path stays as it
// was).
bool StoreKernelFile(const std::string& path, const float (*table)[kKernelSide][3],
                     std::string* reason = nullptr);

// Fills KernelTable for (kind, h, angle) at CurrentZ from its cache file in
// the working directory. True when it did; false when the kernel must be
// computed: always for h = 0 (never cached), and when the file is missing or
// fails the checks of kernel_verification.h (then KernelTable holds
// unspecified data). Computes only the sampled cells.
bool LoadCachedKernel(int kind, int h, int angle);

// Fills KernelTable for (kind, h, angle) at CurrentZ: loads the cache file
// when h >= 1 and it is trusted; otherwise prints " - Creating New <name>
// File" (h >= 1 only), computes, stores, and wipes the message. The file is
// not stored when the disk would keep less than FreeSpaceReserve() free;
// that, and a store that failed, are each told once per run in one line.
void FillKernelTable(int kind, int h, int angle);

// Lets the next run in this process tell again why a file was not kept.
void ForgetCacheNotices();
