#pragma once
// The fast computation of block kernels. Each entry of a kernel is the sum of
// (2h + 1)^2 cube contributions in the loop order i, j; a contribution
// depends on the displacements of the cube's charges from the field point,
// and those depend, with few exceptions, on the whole offsets X = p - 641 + i
// and Y = q - 641 + j alone. So the contributions are evaluated once per
// offset, as contribution rows over Y, and each table row is summed from
// 2h + 1 of them, every entry in the same order with the same roundings.
#include "field/block_kernels.h"

// Fills table with the kernel of (kind 1-3, h >= 0, angle) at height z as
// described above, using `threads` threads on disjoint row ranges and at
// most the given vector instructions.
void SumKernelTable(int kind, int h, int angle, float z, KernelRows table, int threads,
                    KernelVectors vectors);
