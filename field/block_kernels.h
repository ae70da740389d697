#pragma once
// Block field kernels: the field of a uniform (2h + 1) x (2h + 1) block of
// 1 mm magnet cubes at height z, tabulated around the block's centre cube.
// Each cube is replaced by unit point charges (a single charge for the
// monopole, an opposite pair for the dipoles); entry [p][q] is the summed
// field at in-plane offset (p - 641, q - 641) mm from the centre cube.
// Components: 0 along growing p, 1 along growing q, 2 vertical.
#include "app/grids.h"

// A 1284 x 1284 table of three floats per entry, row after row.
using KernelRows = float (*)[kKernelSide][3];

struct FieldVector {
  float c0, c1, c2;
};

// Field of a unit charge at a field point displaced by (d0, d1, d2) from it
// (row axis, column axis, vertical): single precision except the inverse
// cube, which is taken in double and rounded. Zero when the field point sits
// on the charge.
FieldVector UnitChargeField(float d0, float d1, float d2);

// Half-separation of the axial pair, as a float (0.200000003).
constexpr float kAxialHalfSeparation = 0.2f;

// One cube's contribution for each model. (x, y) is the in-plane offset of
// the field point from the cube's centre.
FieldVector MonopoleContribution(float x, float y, float z);
FieldVector AxialDipoleContribution(float x, float y, float z);
// Planar pair: (t, u) is the field point's offset from the block's centre,
// (i, j) the cube's loop indices, (s0, s1) from PlanarOffsetsFor.
FieldVector PlanarDipoleContribution(float t, float u, float i, float j, float s0, float s1,
                                     float z);

// Field of the planar pair: the positive charge displaced by (d0_plus,
// d1_plus, z) from the field point, the negative one by (d0_minus, d1_minus, z).
FieldVector PlanarPairField(float d0_plus, float d1_plus, float d0_minus, float d1_minus, float z);

struct PlanarOffsets {
  float s0, s1;  // row and column half-separation of the planar pair
};
// Angle in whole degrees -> (cos, sin) of the reversed angle, divided by 5.
PlanarOffsets PlanarOffsetsFor(int angle);

// The vector instructions a kernel computation may use: the widest the
// processor has, at most AVX, or only those every x86-64 has. All give the
// same bytes; the choice is there so that tests can prove it.
enum class KernelVectors { Widest, Avx, Portable };

// Fills table with the kernel of (kind, h, angle) at height z, every entry
// exactly as summing the cubes' contributions in the loop order i, j, p, q
// gives it, using `threads` threads on disjoint rows (the result does not
// depend on their number). angle matters for PlanarDipole only; a negative h
// or an unknown kind leaves the table zero.
void ComputeKernel(int kind, int h, int angle, float z, KernelRows table, int threads,
                   KernelVectors vectors = KernelVectors::Widest);
// The same with KernelThreads() threads.
void ComputeKernel(int kind, int h, int angle, float z, KernelRows table);

// Threads a kernel computation uses: the number of cores, at least 1.
int KernelThreads();

// The entry points: fill KernelTable for CurrentZ from the cache file in the
// working directory, or compute it (and store it when h >= 1), printing the
// cache message while computing.
void AxialDipoleKernel(int h);
void PlanarDipoleKernel(int h, int angle);
void MonopoleKernel(int h);
