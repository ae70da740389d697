#include "field/block_kernels.h"

#include <cmath>
#include <cstring>

#include "field/kernel_cache.h"
#include "field/magnet_color_table.h"

namespace {

// Half-separation of the axial pair, as a float (0.200000003).
constexpr float kAxialHalfSeparation = 0.2f;
constexpr float kPi = 3.14159274f;

FieldVector Difference(const FieldVector& plus, const FieldVector& minus) {
  return {plus.c0 - minus.c0, plus.c1 - minus.c1, plus.c2 - minus.c2};
}

// Runs the four loops i, j (the block's cubes), p, q (the table) in that
// order, adding contribution(t, u, i, j) to entry [p][q], where t = p - 641
// and u = q - 641. The order of the loops fixes the rounding of the sums.
template <typename Contribution>
void AccumulateBlock(int h, KernelRows table, Contribution contribution) {
  for (int i = -h; i <= h; ++i)
    for (int j = -h; j <= h; ++j)
      for (int p = 0; p < kKernelSide; ++p) {
        const float t = static_cast<float>(p - kKernelCentre);
        const float fi = static_cast<float>(i);
        const float fj = static_cast<float>(j);
        float(*row)[3] = table[p];
        for (int q = 0; q < kKernelSide; ++q) {
          const float u = static_cast<float>(q - kKernelCentre);
          const FieldVector c = contribution(t, u, fi, fj);
          row[q][0] = c.c0 + row[q][0];
          row[q][1] = c.c1 + row[q][1];
          row[q][2] = c.c2 + row[q][2];
        }
      }
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

FieldVector PlanarDipoleContribution(float t, float u, float i, float j, float s0, float s1,
                                     float z) {
  return Difference(UnitChargeField((t + s0) + i, (u + s1) + j, z),
                    UnitChargeField((t - s0) + i, (u - s1) + j, z));
}

PlanarOffsets PlanarOffsetsFor(int angle) {
  const float theta = ((static_cast<float>(angle) * -2.0f) * kPi) / 360.0f;
  const double theta_d = theta;
  return {static_cast<float>(std::cos(theta_d) / 5.0),
          static_cast<float>(std::sin(theta_d) / 5.0)};
}

void ComputeKernel(int kind, int h, int angle, float z, KernelRows table) {
  std::memset(table, 0, sizeof(float) * kKernelSide * kKernelSide * 3);
  switch (kind) {
    case AxialDipole:
      AccumulateBlock(h, table, [z](float t, float u, float i, float j) {
        return AxialDipoleContribution(t + i, u + j, z);
      });
      break;
    case PlanarDipole: {
      const PlanarOffsets s = PlanarOffsetsFor(angle);
      AccumulateBlock(h, table, [z, s](float t, float u, float i, float j) {
        return PlanarDipoleContribution(t, u, i, j, s.s0, s.s1, z);
      });
      break;
    }
    case Monopole:
      AccumulateBlock(h, table, [z](float t, float u, float i, float j) {
        return MonopoleContribution(t + i, u + j, z);
      });
      break;
    default:
      break;
  }
}

void AxialDipoleKernel(int h) { FillKernelTable(AxialDipole, h, 0); }
void PlanarDipoleKernel(int h, int angle) { FillKernelTable(PlanarDipole, h, angle); }
void MonopoleKernel(int h) { FillKernelTable(Monopole, h, 0); }
