#pragma once
// Closed-form fields of uniformly charged rectangles, in double precision:
// the limit that the program's lattice of unit charges approaches when a
// magnet area is large. Used by the accuracy tests and the profile plot.
//
// Frame: the program's own. Positions are picture (row, column) in mm, the
// observer is at height z above the layer's plane, and a field is
// (along growing rows, along growing columns, up), for charge density 1 per
// mm² and the same inverse-square law without constants as the kernels.
#include <array>

using Vec3 = std::array<double, 3>;

// A rectangle of charge density `density` covering rows [row0, row1] and
// columns [col0, col1] at depth `below` under the layer's plane (so the
// observer's height above the sheet is z + below).
struct ChargedRectangle {
  double row0, row1, col0, col1;
  double below;
  double density;
};

// Field of one rectangle at picture point (row, col), height z.
Vec3 RectangleField(const ChargedRectangle& sheet, double row, double col, double z);

// The magnet kinds as sheets: an area of rows [r0, r1] x columns [c0, c1] of
// pixels (each pixel a 1 mm cell centred on its row and column) in the
// colour of kind/angle/sign. Monopole: one sheet in the plane. Axial: +1 at
// 0.2 mm below, -1 at 0.2 mm above. Planar: +1 shifted 0.2 mm towards
// (-cos a, +sin a) in (row, column), -1 shifted the other way.
Vec3 AreaField(int kind, int angle, int sign, int r0, int r1, int c0, int c1, double row,
               double col, double z);

// Point-source and point-dipole fields at displacement d (observer minus
// source) for a unit charge and for a dipole moment p.
Vec3 PointChargeField(const Vec3& d);
Vec3 PointDipoleField(const Vec3& p, const Vec3& d);

// Real magnets: fields in units of the remanence Br (B / Br, outside the
// magnet), for a block uniformly magnetised with Br and nothing else around
// it (no demagnetisation, no iron). The program's values convert to the
// same units with kTeslaPerUnitValue.

// B / Br per program value: a 1 mm cube of the program carries the moment
// 0.4 (unit charges 0.4 mm apart), a real one Br / mu0 x 1 mm^3, and the
// pole model's field is q / (4 pi r^2), so B = Br x 2.5 / (4 pi) x value.
constexpr double kTeslaPerUnitValue = 2.5 / (4.0 * 3.14159265358979323846);

// The vendors' formula for the field on the axis of a block magnet, at `gap`
// mm from the middle of its pole face: the face is face_a x face_b mm, and
// the block is `length` mm long along its magnetisation.
double OnAxisBlockField(double face_a, double face_b, double length, double gap);

// A box in the program's frame: picture rows [row0, row1] and columns
// [col0, col1] in mm (edges, not pixel centres), heights [low, high] in mm
// relative to the field plane (up positive).
struct Box {
  double row0, row1, col0, col1, low, high;
};

// B / Br at picture point (row, col) in the field plane, in the program's
// component order, for the box magnetised along `axis` (0 rows, 1 columns,
// 2 up) towards growing coordinates for sign +1 (north face at the far end)
// and towards shrinking ones for sign -1. Exact: the box's two pole faces
// as uniformly charged rectangles. The point must not lie on a pole face.
Vec3 BlockMagnetField(const Box& box, int axis, int sign, double row, double col);
