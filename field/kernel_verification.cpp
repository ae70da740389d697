#include "field/kernel_verification.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/magnet_color_table.h"

namespace {

// Sample spacing in cells: 5400 cells are 64,800 bytes, so every stretch of
// 65,536 bytes holds one whole sampled cell.
constexpr int kSampleStride = 5400;

// The fixed samples: the centre, rings at growing distance on both axes and
// both sides (the block's edge h and just beyond it included), the corners
// and the middles of the edges.
std::vector<KernelCell> FixedSamples(int h) {
  std::vector<KernelCell> cells = {{kKernelCentre, kKernelCentre}};
  const int rings[] = {1, 2, h, h + 1, 7, 31, 160, 640};
  for (int r : rings) {
    if (r <= 0) continue;
    cells.push_back({kKernelCentre + r, kKernelCentre});
    cells.push_back({kKernelCentre - r, kKernelCentre});
    cells.push_back({kKernelCentre, kKernelCentre + r});
    cells.push_back({kKernelCentre, kKernelCentre - r});
    cells.push_back({kKernelCentre + r, kKernelCentre - r});
  }
  const int last = kKernelSide - 1;
  cells.insert(cells.end(), {{0, 0},
                             {0, last},
                             {last, 0},
                             {last, last},
                             {0, kKernelCentre},
                             {last, kKernelCentre},
                             {kKernelCentre, 0},
                             {kKernelCentre, last}});
  return cells;
}

bool CellMatches(int kind, int h, int angle, float z, const KernelTable& table, KernelCell cell) {
  const FieldVector direct = DirectKernelEntry(kind, h, angle, z, cell.p, cell.q);
  const float* stored = table[cell.p][cell.q];
  return SameBits(direct.c0, stored[0]) && SameBits(direct.c1, stored[1]) &&
         SameBits(direct.c2, stored[2]);
}

}  // namespace

FieldVector DirectKernelEntry(int kind, int h, int angle, float z, int p, int q) {
  const float t = static_cast<float>(p - kKernelCentre);
  const float u = static_cast<float>(q - kKernelCentre);
  const PlanarOffsets s = kind == PlanarDipole ? PlanarOffsetsFor(angle) : PlanarOffsets{0, 0};
  FieldVector sum{0.0f, 0.0f, 0.0f};
  for (int i = -h; i <= h; ++i)
    for (int j = -h; j <= h; ++j) {
      const float fi = static_cast<float>(i), fj = static_cast<float>(j);
      FieldVector c;
      if (kind == PlanarDipole)
        c = PlanarDipoleContribution(t, u, fi, fj, s.s0, s.s1, z);
      else if (kind == AxialDipole)
        c = AxialDipoleContribution(t + fi, u + fj, z);
      else
        c = MonopoleContribution(t + fi, u + fj, z);
      sum = {c.c0 + sum.c0, c.c1 + sum.c1, c.c2 + sum.c2};
    }
  return sum;
}

float KernelValueBound(int h, float z) {
  const double nearest = std::fmax(std::fabs(static_cast<double>(z)) - 0.2, 0.2);
  const double charges = 2.0 * (2 * h + 1) * (2 * h + 1);
  return static_cast<float>(1.01 * charges / (nearest * nearest));
}

bool SameBits(float a, float b) {
  std::uint32_t a_bits, b_bits;
  std::memcpy(&a_bits, &a, sizeof a_bits);
  std::memcpy(&b_bits, &b, sizeof b_bits);
  return a_bits == b_bits;
}

bool ValuesWithin(const float* values, std::size_t count, float bound) {
  // Compared as the bits of the magnitudes, which order like the values
  // themselves and put every NaN above infinity. Blocks of a fixed length,
  // counted rather than left early, let the compiler vectorise the loop.
  std::int32_t limit;
  std::memcpy(&limit, &bound, sizeof limit);
  constexpr std::size_t kBlock = 1024;
  std::int32_t outside = 0;
  std::size_t k = 0;
  for (; k + kBlock <= count; k += kBlock) {
    for (std::size_t n = 0; n < kBlock; ++n) {
      std::int32_t bits;
      std::memcpy(&bits, values + k + n, sizeof bits);
      outside |= (bits & 0x7fffffff) > limit;
    }
    if (outside) return false;
  }
  for (; k < count; ++k) outside |= !(std::fabs(values[k]) <= bound);
  return outside == 0;
}

std::vector<KernelCell> SampledCells(int h, int row_begin, int row_end) {
  const auto in_rows = [row_begin, row_end](KernelCell cell) {
    return cell.p >= row_begin && cell.p < row_end;
  };
  std::vector<KernelCell> cells;
  for (KernelCell cell : FixedSamples(h))
    if (in_rows(cell)) cells.push_back(cell);
  // The first sample sits in the first stride, the last one within a
  // stride of the end.
  for (int c = kSampleStride / 2; c < kKernelSide * kKernelSide; c += kSampleStride) {
    const KernelCell cell{c / kKernelSide, c % kKernelSide};
    if (in_rows(cell)) cells.push_back(cell);
  }
  return cells;
}

bool SampledCellsMatch(int kind, int h, int angle, float z, const KernelTable& table, int row_begin,
                       int row_end) {
  for (KernelCell cell : SampledCells(h, row_begin, row_end))
    if (!CellMatches(kind, h, angle, z, table, cell)) return false;
  return true;
}
