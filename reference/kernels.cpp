#include "reference/kernels.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// The field of one unit charge times charge (+1 or -1, exact): the squared
// distance summed (d1 d1 + d0 d0) + d2 d2 in single precision, the inverse
// cube in double.
void ChargeField(float* out, float d0, float d1, float d2, float charge) {
  float s = d1 * d1;
  s = s + d0 * d0;
  s = s + d2 * d2;
  float f0 = 0, f1 = 0, f2 = 0;
  if (s != 0) {
    double root = std::sqrt(static_cast<double>(s));
    float e = static_cast<float>(1.0 / (static_cast<double>(s) * root));
    f0 = d0 * e;
    f1 = d1 * e;
    f2 = d2 * e;
  }
  out[0] = charge * f0;
  out[1] = charge * f1;
  out[2] = charge * f2;
}

}  // namespace

void ReferenceKernel(int kind, int h, int angle, float z, float* table) {
  ReferenceKernelRows(kind, h, angle, z, 0, 1284, table);
}

void ReferenceKernelRows(int kind, int h, int angle, float z, int first_row, int end_row,
                         float* table) {
  std::memset(&table[static_cast<std::size_t>(first_row) * 1284 * 3], 0,
              sizeof(float) * 1284 * 3 * (end_row - first_row));
  float theta = static_cast<float>(angle) * -2.0f;
  theta = theta * 3.14159274f;
  theta = theta / 360.0f;
  const float s0 = static_cast<float>(std::cos(static_cast<double>(theta)) / 5.0);
  const float s1 = static_cast<float>(std::sin(static_cast<double>(theta)) / 5.0);
  const float half_separation = 0.2f;
  for (int i = -h; i <= h; ++i)
    for (int j = -h; j <= h; ++j)
      for (int p = first_row; p < end_row; ++p)
        for (int q = 0; q < 1284; ++q) {
          float t = static_cast<float>(p - 641), u = static_cast<float>(q - 641);
          float fi = static_cast<float>(i), fj = static_cast<float>(j);
          float a[3], b[3] = {0, 0, 0};
          if (kind == 3) {
            ChargeField(a, t + fi, u + fj, z, 1);
          } else if (kind == 1) {
            ChargeField(a, t + fi, u + fj, z + half_separation, 1);
            ChargeField(b, t + fi, u + fj, z - half_separation, 1);
          } else {
            ChargeField(a, (t + s0) + fi, (u + s1) + fj, z, 1);
            ChargeField(b, (t - s0) + fi, (u - s1) + fj, z, 1);
          }
          float* entry = &table[(static_cast<std::size_t>(p) * 1284 + q) * 3];
          for (int n = 0; n < 3; ++n) entry[n] = (a[n] - b[n]) + entry[n];
        }
}
