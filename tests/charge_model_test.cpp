#include "field/charge_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/magnet_color_table.h"
#include "field/kernel_sums.h"
#include "reference/kernels.h"
#include "tests/field_test_support.h"

namespace {

void ExpectEntry(KernelBuffer& k, int p, int q, float c0, float c1, float c2, const char* what) {
  EXPECT_NEAR(k.at(p, q, 0), c0, std::fabs(c0) * 1e-5 + 1e-12) << what;
  EXPECT_NEAR(k.at(p, q, 1), c1, std::fabs(c1) * 1e-5 + 1e-12) << what;
  EXPECT_NEAR(k.at(p, q, 2), c2, std::fabs(c2) * 1e-5 + 1e-12) << what;
}

TEST(BlockKernels, WorkedExamples) {
  KernelBuffer k;
  ComputeKernel(Monopole, 0, 0, 3.0f, k.table());
  ExpectEntry(k, 641, 641, 0, 0, 0.111111f, "monopole z 3 centre");
  ExpectEntry(k, 642, 641, 0.0316228f, 0, 0.0948683f, "monopole z 3 one row down");

  ComputeKernel(Monopole, 0, 0, 0.0f, k.table());
  ExpectEntry(k, 641, 641, 0, 0, 0, "monopole z 0 on the charge");
  ExpectEntry(k, 642, 641, 1, 0, 0, "monopole z 0 one row down");

  ComputeKernel(AxialDipole, 0, 0, 3.0f, k.table());
  ExpectEntry(k, 641, 641, 0, 0, -0.0298948f, "axial z 3 centre");

  ComputeKernel(PlanarDipole, 0, 0, 3.0f, k.table());
  ExpectEntry(k, 641, 641, 0.0147166f, 0, 0, "planar angle 0");
  ComputeKernel(PlanarDipole, 0, 90, 3.0f, k.table());
  ExpectEntry(k, 641, 641, -6.43e-10f, -0.0147166f, 0, "planar angle 90");
  EXPECT_NEAR(k.at(641, 641, 0), -6.43e-10f, 0.005e-10f);

  // The exact sum would vanish; the loop order leaves a residue.
  ComputeKernel(Monopole, 1, 0, 3.0f, k.table());
  EXPECT_NEAR(k.at(641, 641, 0), 1.86e-9f, 0.005e-9f);
}

TEST(BlockKernels, ModelPieces) {
  // Zero displacement gives no field, not a division by zero.
  FieldVector at_charge = UnitChargeField(0, 0, 0);
  EXPECT_EQ(at_charge.c0, 0.0f);
  EXPECT_EQ(at_charge.c2, 0.0f);
  // Inverse cube in double, then rounded: 1/(S sqrt S) for S = 2.
  FieldVector f = UnitChargeField(1, 1, 0);
  EXPECT_EQ(f.c0, static_cast<float>(1.0 / (2.0 * std::sqrt(2.0))));
  PlanarOffsets zero = PlanarOffsetsFor(0);
  EXPECT_EQ(zero.s0, 0.2f);
  EXPECT_EQ(zero.s1, 0.0f);
  PlanarOffsets right = PlanarOffsetsFor(90);
  EXPECT_EQ(right.s1, -0.2f);
  EXPECT_LT(right.s0, 0.0f);  // pi as a float is a little more than pi
}

struct KernelCase {
  int kind, h, angle;
  float z;
};

TEST(BlockKernels, MatchPlainEvaluationByteForByte) {
  const KernelCase cases[] = {
      {Monopole, 0, 0, 3},        {AxialDipole, 0, 0, -2},   {PlanarDipole, 0, 315, 0},
      {Monopole, 1, 0, 3},        {Monopole, 1, 0, 0},       {Monopole, 1, 0, -2},
      {AxialDipole, 1, 0, 3},     {AxialDipole, 1, 0, 0},    {AxialDipole, 1, 0, -1},
      {PlanarDipole, 1, 0, 3},    {PlanarDipole, 1, 45, 3},  {PlanarDipole, 1, 90, 0},
      {PlanarDipole, 1, 179, -2}, {PlanarDipole, 1, 270, 4}, {PlanarDipole, 2, 74, 3},
  };
  KernelBuffer program, reference;
  for (const KernelCase& c : cases) {
    ComputeKernel(c.kind, c.h, c.angle, c.z, program.table());
    ReferenceKernel(c.kind, c.h, c.angle, c.z, reference.values.data());
    EXPECT_TRUE(program.SameBytes(reference.values.data()))
        << "kind " << c.kind << " h " << c.h << " angle " << c.angle << " z " << c.z;
  }
}

TEST(BlockKernels, EveryCallStartsFromAClearTable) {
  KernelBuffer fresh, reused;
  ComputeKernel(PlanarDipole, 0, 45, 3.0f, fresh.table());
  ComputeKernel(AxialDipole, 2, 0, 3.0f, reused.table());
  ComputeKernel(PlanarDipole, 0, 45, 3.0f, reused.table());
  EXPECT_TRUE(reused.SameBytes(fresh.values.data()));
  ComputeKernel(PlanarDipole, 0, 45, 3.0f, reused.table());
  EXPECT_TRUE(reused.SameBytes(fresh.values.data()));

  ComputeKernel(Monopole, -1, 0, 3.0f, reused.table());
  for (float v : reused.values) ASSERT_EQ(v, 0.0f);
}

TEST(BlockKernels, SignsAndSymmetryOfTheModels) {
  KernelBuffer k;
  // A source above: field points away, vertical part up for z > 0.
  ComputeKernel(Monopole, 1, 0, 3.0f, k.table());
  EXPECT_GT(k.at(641, 641, 2), 0.0f);
  EXPECT_GT(k.at(700, 641, 0), 0.0f);
  EXPECT_LT(k.at(641, 600, 1), 0.0f);
  // Axial: the nearer charge is the negative one.
  ComputeKernel(AxialDipole, 1, 0, 3.0f, k.table());
  EXPECT_LT(k.at(641, 641, 2), 0.0f);
  EXPECT_EQ(k.at(641 + 7, 641, 2), k.at(641 - 7, 641, 2));
  // Planar 90: positive charge towards growing columns, field along -q.
  ComputeKernel(PlanarDipole, 1, 90, 3.0f, k.table());
  EXPECT_LT(k.at(641, 641, 1), 0.0f);
  EXPECT_GT(k.at(641, 660, 2), 0.0f);
  EXPECT_LT(k.at(641, 620, 2), 0.0f);
}

}  // namespace
