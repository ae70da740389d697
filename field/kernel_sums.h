#pragma once
// Block kernels: the field of a uniform (2h + 1) x (2h + 1) block of 1 mm
// magnet cubes at height z, tabulated around the block's centre cube; entry
// [p][q] is the summed field of the cubes' charges at in-plane offset
// (p - 641, q - 641) mm from the centre cube.
//
// Each entry is the sum of (2h + 1)^2 cube contributions in the loop order
// i, j; a contribution depends on the displacements of the cube's charges
// from the field point, and those depend, with few exceptions, on the whole
// offsets X = p - 641 + i and Y = q - 641 + j alone. So the contributions
// are evaluated once per offset, as contribution rows over Y, and each table
// row is summed from 2h + 1 of them, every entry in the same order with the
// same roundings as the plain loops.
#include "core/run_options.h"
#include "core/workspace.h"
#include "field/kernel_window.h"

// Fills table with the kernel of (kind, h, angle) at height z, using
// options.threads threads on disjoint row ranges and vectors of at most
// options.max_vector_floats floats (the bytes depend on neither). angle
// matters for PlanarDipole only; a negative h or an unknown kind leaves the
// table zero.
void ComputeKernel(int kind, int h, int angle, float z, KernelTable& table,
                   const RunOptions& options = RunOptions());

// Fills the entries of window with the kernel of a single cube (h = 0) of
// (kind, angle) at height z, each with the bits ComputeKernel gives it,
// mirroring where the window holds both halves; entries outside the window
// are unspecified. Threads and vectors as ComputeKernel. An unknown kind
// leaves the table zero.
void ComputeSingleCubeWindow(int kind, int angle, float z, const KernelWindow& window,
                             KernelTable& table, const RunOptions& options = RunOptions());
