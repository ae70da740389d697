#include "reference/closed_form.h"

#include <cmath>

// For a sheet in the plane at height h below the observer and an observer
// offset (u, v) from a point of the sheet (observer minus source), the field
// of the sheet is the double integral of (u, v, h) / R^3 with
// R = sqrt(u^2 + v^2 + h^2). The integrands are mixed second derivatives:
//   d2/du dv atan(u v / (h R))            = h / R^3
//   d2/du dv (-asinh(v / sqrt(u^2 + h^2))) = u / R^3
//   d2/du dv (-asinh(u / sqrt(v^2 + h^2))) = v / R^3
// so each component is the corner sum F(ub, vb) - F(ua, vb) - F(ub, va) +
// F(ua, va) over the rectangle's offsets ua = row - row1, ub = row - row0
// (and likewise for columns).
namespace {

double Ez(double u, double v, double h) {
  double r = std::sqrt(u * u + v * v + h * h);
  return std::atan(u * v / (h * r));
}
double Eu(double u, double v, double h) { return -std::asinh(v / std::sqrt(u * u + h * h)); }
double Ev(double u, double v, double h) { return -std::asinh(u / std::sqrt(v * v + h * h)); }

template <typename F>
double CornerSum(F f, double ua, double ub, double va, double vb, double h) {
  return f(ub, vb, h) - f(ua, vb, h) - f(ub, va, h) + f(ua, va, h);
}

}  // namespace

Vec3 RectangleField(const ChargedRectangle& sheet, double row, double col, double z) {
  const double h = z + sheet.below;
  const double ua = row - sheet.row1, ub = row - sheet.row0;
  const double va = col - sheet.col1, vb = col - sheet.col0;
  return {sheet.density * CornerSum(Eu, ua, ub, va, vb, h),
          sheet.density * CornerSum(Ev, ua, ub, va, vb, h),
          sheet.density * CornerSum(Ez, ua, ub, va, vb, h)};
}

Vec3 AreaField(int kind, int angle, int sign, int r0, int r1, int c0, int c1, double row,
               double col, double z) {
  const double top = r0 - 0.5, bottom = r1 + 0.5, left = c0 - 0.5, right = c1 + 0.5;
  auto add = [](Vec3 a, const Vec3& b) {
    for (int n = 0; n < 3; ++n) a[n] += b[n];
    return a;
  };
  Vec3 field{0, 0, 0};
  if (kind == 3) {
    field = RectangleField({top, bottom, left, right, 0.0, 1.0}, row, col, z);
  } else if (kind == 1) {
    field = add(RectangleField({top, bottom, left, right, 0.2, 1.0}, row, col, z),
                RectangleField({top, bottom, left, right, -0.2, -1.0}, row, col, z));
  } else {
    const double a = angle * M_PI / 180.0;
    const double dr = -0.2 * std::cos(a), dc = 0.2 * std::sin(a);
    field =
        add(RectangleField({top + dr, bottom + dr, left + dc, right + dc, 0.0, 1.0}, row, col, z),
            RectangleField({top - dr, bottom - dr, left - dc, right - dc, 0.0, -1.0}, row, col, z));
  }
  for (double& c : field) c *= sign;
  return field;
}

Vec3 PointChargeField(const Vec3& d) {
  double r2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  double r3 = r2 * std::sqrt(r2);
  return {d[0] / r3, d[1] / r3, d[2] / r3};
}

Vec3 PointDipoleField(const Vec3& p, const Vec3& d) {
  double r2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  double r = std::sqrt(r2);
  double pr = (p[0] * d[0] + p[1] * d[1] + p[2] * d[2]) / r;
  double r3 = r2 * r;
  Vec3 out;
  for (int n = 0; n < 3; ++n) out[n] = (3.0 * pr * d[n] / r - p[n]) / r3;
  return out;
}

double OnAxisBlockField(double face_a, double face_b, double length, double gap) {
  auto face = [&](double d) {
    return std::atan(face_a * face_b /
                     (2 * d * std::sqrt(4 * d * d + face_a * face_a + face_b * face_b)));
  };
  return (face(gap) - face(gap + length)) / M_PI;
}

// A pole face is a rectangle across one axis, which RectangleField handles
// once the axes are relabelled so that the face's normal is its "up".
Vec3 BlockMagnetField(const Box& box, int axis, int sign, double row, double col) {
  auto face = [&](double at, double density) -> Vec3 {
    if (axis == 2)
      return RectangleField({box.row0, box.row1, box.col0, box.col1, -at, density}, row, col, 0);
    if (axis == 0) {  // (up, column, row) as (row, column, up)
      Vec3 f = RectangleField({box.low, box.high, box.col0, box.col1, -at, density}, 0, col, row);
      return {f[2], f[1], f[0]};
    }
    // (row, up, column) as (row, column, up)
    Vec3 f = RectangleField({box.row0, box.row1, box.low, box.high, -at, density}, row, 0, col);
    return {f[0], f[2], f[1]};
  };
  const double ends[3][2] = {{box.row0, box.row1}, {box.col0, box.col1}, {box.low, box.high}};
  const double north = sign > 0 ? ends[axis][1] : ends[axis][0];
  const double south = sign > 0 ? ends[axis][0] : ends[axis][1];
  Vec3 n = face(north, 1.0), s = face(south, -1.0), field;
  for (int c = 0; c < 3; ++c) field[c] = (n[c] + s[c]) / (4 * M_PI);
  return field;
}
