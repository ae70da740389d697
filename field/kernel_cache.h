#pragma once
// Kernel cache files: one file per (z, kind, h, angle) in the working
// directory, holding the 1284 x 1284 x 3 float table as raw little-endian
// bytes with no header. The name alone says what the file holds.
#include <cstddef>
#include <string>

#include "field/block_kernels.h"

constexpr std::size_t kKernelFileBytes =
    static_cast<std::size_t>(kKernelSide) * kKernelSide * 3 * sizeof(float);

// "Fluxart_Z<z + 5000>_<kind * 1000000 + h * 1000 + angle>.dat", z cut
// towards zero; the angle term only for PlanarDipole.
std::string KernelCacheName(int kind, int h, int angle, float z);

// Reads path into table. True only when the file holds exactly
// kKernelFileBytes and every value is finite; otherwise false, and the table
// holds unspecified data.
bool LoadKernelFile(const std::string& path, KernelRows table);

// Writes table to a temporary file next to path and renames it into place
// once complete. False when anything failed; then no file is left under path
// or under the temporary name (an older file under path stays as it was).
bool StoreKernelFile(const std::string& path, const float (*table)[kKernelSide][3]);

// Fills KernelTable for (kind, h, angle) at CurrentZ: loads the cache file
// when h >= 1 and it is trusted; otherwise prints " - Creating New <name>
// File" (h >= 1 only), computes, stores, and wipes the message.
void FillKernelTable(int kind, int h, int angle);
