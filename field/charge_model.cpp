#include "field/charge_model.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159274f;

FieldVector Difference(const FieldVector& plus, const FieldVector& minus) {
  return {plus.c0 - minus.c0, plus.c1 - minus.c1, plus.c2 - minus.c2};
}

}  // namespace

FieldVector UnitChargeField(float d0, float d1, float d2) {
  const float s = (d1 * d1 + d0 * d0) + d2 * d2;
  if (s == 0.0f) return {0.0f, 0.0f, 0.0f};
  const double sd = s;
  const float e = static_cast<float>(1.0 / (sd * std::sqrt(sd)));
  return {d0 * e, d1 * e, d2 * e};
}

FieldVector MonopoleContribution(float x, float y, float z) { return UnitChargeField(x, y, z); }

FieldVector AxialDipoleContribution(float x, float y, float z) {
  const float z_plus = z + kAxialHalfSeparation;
  const float z_minus = z - kAxialHalfSeparation;
  return Difference(UnitChargeField(x, y, z_plus), UnitChargeField(x, y, z_minus));
}

FieldVector PlanarPairField(float d0_plus, float d1_plus, float d0_minus, float d1_minus, float z) {
  return Difference(UnitChargeField(d0_plus, d1_plus, z), UnitChargeField(d0_minus, d1_minus, z));
}

FieldVector PlanarDipoleContribution(float t, float u, float i, float j, float s0, float s1,
                                     float z) {
  return PlanarPairField((t + s0) + i, (u + s1) + j, (t - s0) + i, (u - s1) + j, z);
}

PlanarOffsets PlanarOffsetsFor(int angle) {
  const float theta = ((static_cast<float>(angle) * -2.0f) * kPi) / 360.0f;
  const double theta_d = theta;
  return {static_cast<float>(std::cos(theta_d) / 5.0), static_cast<float>(std::sin(theta_d) / 5.0)};
}
