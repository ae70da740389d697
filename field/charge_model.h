#pragma once
// The charge model of a 1 mm magnet cube: each cube is replaced by unit
// point charges (a single charge for the monopole, an opposite pair for the
// dipoles), whose inverse-square fields make the cube's contribution at a
// field point. Components: 0 along the row axis, 1 along the column axis,
// 2 vertical.

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
