#include "field/kernel_sums.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

#include "core/magnet_color_table.h"
#include "core/parallel_rows.h"
#include "field/charge_model.h"
#include "field/float_vectors.h"
#include "field/kernel_verification.h"

namespace {

constexpr int kRowFloats = kKernelSide * 3;

// The displacements along one table axis. A table index p (offset
// t = p - 641) and a cube index i give the charge displacements
// (t + s) + i and (t - s) + i. These equal (t + i) + s and (t + i) - s, which
// depend on the whole offset X = t + i alone, except for a few (p, i) where
// the two orders round differently (the sums cross a power of two, or come
// near zero); those are the odd pairs, kept with their own values. For the
// axial and monopole models s is 0 in effect: X is exact and nothing is odd.
struct AxisDisplacements {
  int first = 0;                           // smallest X: -641 - h
  int count = 0;                           // number of whole offsets X: 1284 + 2h
  std::vector<float> plus, minus;          // per X - first: X + s, X - s
  std::vector<int> odd_of_pair;            // per p * (2h + 1) + i + h: -1 or an odd value's index
  std::vector<float> odd_plus, odd_minus;  // the odd pairs' distinct values
};

// A place in a table row whose value comes from an odd column pair: float
// `at` of the row (3q + n) takes float `from` of the contribution row
// instead of the float its whole offset names.
struct Patch {
  int at, from;
};

// Table rows are summed in chunks held in registers, eight vectors wide: 32
// to 128 floats by the vector width (two rows at once: as many vectors of
// each as the registers hold, 16 to 128 floats). Odd columns are listed per
// patch chunk of 16 floats, so a wider chunk takes the patches of several.
// A row is padded to whole chunks of the widest kind.
constexpr int kPatchChunkFloats = 16;
constexpr int kWidestChunkFloats = 128;
constexpr int kPaddedRowFloats =
    (kRowFloats + kWidestChunkFloats - 1) / kWidestChunkFloats * kWidestChunkFloats;
constexpr int kPatchChunks = kPaddedRowFloats / kPatchChunkFloats;

// Everything one kernel computation shares between its threads.
struct KernelPlan {
  int kind = 0, h = 0;
  float z = 0;
  int max_vector_floats = 16;
  AxisDisplacements rows, columns;
  // A contribution row: the contributions of one row displacement pair at
  // every whole column offset, then at every odd column value, padded so
  // that every shifted chunk can be read whole.
  int row_entries = 0;
  std::size_t row_floats = 0;
  // Column displacements of the charges per column entry.
  std::vector<float> column_plus, column_minus;
  // Per j + h: the patches by growing `at`, and where each patch chunk's
  // begin (kPatchChunks + 1 per j + h).
  std::vector<std::vector<Patch>> patches;
  std::vector<std::vector<int>> chunk_patches;
  std::vector<bool> odd_patch_chunk;  // per patch chunk: patched for some j
};

// Works out the displacements along one axis for half-size h and pair
// half-separation s (offset: the planar model; otherwise X itself).
AxisDisplacements PlanAxis(int h, bool offset, float s) {
  const int span = 2 * h + 1;
  AxisDisplacements axis;
  axis.first = -kKernelCentre - h;
  axis.count = kKernelSide + 2 * h;
  axis.plus.resize(axis.count);
  axis.minus.resize(axis.count);
  for (int k = 0; k < axis.count; ++k) {
    const float x = static_cast<float>(axis.first + k);
    axis.plus[k] = offset ? x + s : x;
    axis.minus[k] = offset ? x - s : x;
  }
  axis.odd_of_pair.assign(static_cast<std::size_t>(kKernelSide) * span, -1);
  if (!offset) return axis;
  for (int p = 0; p < kKernelSide; ++p) {
    const float t = static_cast<float>(p - kKernelCentre);
    for (int i = -h; i <= h; ++i) {
      const float fi = static_cast<float>(i);
      const float plus = (t + s) + fi;
      const float minus = (t - s) + fi;
      const int k = p + i + h;
      if (SameBits(plus, axis.plus[k]) && SameBits(minus, axis.minus[k])) continue;
      int found = 0;
      const int known = static_cast<int>(axis.odd_plus.size());
      while (found < known &&
             !(SameBits(plus, axis.odd_plus[found]) && SameBits(minus, axis.odd_minus[found])))
        ++found;
      if (found == known) {
        axis.odd_plus.push_back(plus);
        axis.odd_minus.push_back(minus);
      }
      axis.odd_of_pair[static_cast<std::size_t>(p) * span + i + h] = found;
    }
  }
  return axis;
}

// Works out the displacements of both axes, the contribution row layout and
// the odd column patches of one kernel.
KernelPlan PlanKernel(int kind, int h, int angle, float z, int max_vector_floats) {
  KernelPlan plan;
  plan.max_vector_floats = max_vector_floats;
  plan.kind = kind;
  plan.h = h;
  plan.z = z;
  const bool planar = kind == PlanarDipole;
  const PlanarOffsets s = planar ? PlanarOffsetsFor(angle) : PlanarOffsets{0, 0};
  plan.rows = PlanAxis(h, planar, s.s0);
  plan.columns = PlanAxis(h, planar, s.s1);
  plan.row_entries = plan.columns.count + static_cast<int>(plan.columns.odd_plus.size());
  plan.column_plus = plan.columns.plus;
  plan.column_plus.insert(plan.column_plus.end(), plan.columns.odd_plus.begin(),
                          plan.columns.odd_plus.end());
  plan.column_minus = plan.columns.minus;
  plan.column_minus.insert(plan.column_minus.end(), plan.columns.odd_minus.begin(),
                           plan.columns.odd_minus.end());
  plan.row_floats = std::max(static_cast<std::size_t>(plan.row_entries) * 3,
                             static_cast<std::size_t>(6 * h + kPaddedRowFloats));
  const int span = 2 * h + 1;
  plan.patches.resize(span);
  plan.chunk_patches.resize(span);
  for (int j = -h; j <= h; ++j) {
    std::vector<Patch>& patches = plan.patches[j + h];
    std::vector<int>& chunk_patches = plan.chunk_patches[j + h];
    for (int q = 0; q < kKernelSide; ++q) {
      const int odd = plan.columns.odd_of_pair[static_cast<std::size_t>(q) * span + j + h];
      if (odd < 0) continue;
      for (int n = 0; n < 3; ++n)
        patches.push_back({3 * q + n, 3 * (plan.columns.count + odd) + n});
    }
    chunk_patches.assign(kPatchChunks + 1, 0);
    std::size_t next = 0;
    for (int c = 0; c <= kPatchChunks; ++c) {
      while (next < patches.size() && patches[next].at < c * kPatchChunkFloats) ++next;
      chunk_patches[c] = static_cast<int>(next);
    }
  }
  plan.odd_patch_chunk.assign(kPatchChunks, false);
  for (int j = 0; j < span; ++j)
    for (int c = 0; c < kPatchChunks; ++c)
      if (plan.chunk_patches[j][c] != plan.chunk_patches[j][c + 1]) plan.odd_patch_chunk[c] = true;
  return plan;
}

// The contribution at one column entry k of a contribution row whose row
// displacements are (d0_plus, d0_minus).
FieldVector ContributionAt(const KernelPlan& plan, float d0_plus, float d0_minus, int k) {
  const float y_plus = plan.column_plus[k];
  switch (plan.kind) {
    case PlanarDipole:
      return PlanarPairField(d0_plus, y_plus, d0_minus, plan.column_minus[k], plan.z);
    case AxialDipole:
      return AxialDipoleContribution(d0_plus, y_plus, plan.z);
    default:
      return MonopoleContribution(d0_plus, y_plus, plan.z);
  }
}

#if defined(__SSE2__)
// UnitChargeField at four field points (d0, d1, d2) lane by lane, with the
// same single and double precision steps.
void UnitChargeField4(__m128 d0, __m128 d1, __m128 d2, __m128 c[3]) {
  const __m128 s =
      _mm_add_ps(_mm_add_ps(_mm_mul_ps(d1, d1), _mm_mul_ps(d0, d0)), _mm_mul_ps(d2, d2));
  const __m128d one = _mm_set1_pd(1.0);
  const __m128d low = _mm_cvtps_pd(s);
  const __m128d high = _mm_cvtps_pd(_mm_movehl_ps(s, s));
  const __m128 e =
      _mm_movelh_ps(_mm_cvtpd_ps(_mm_div_pd(one, _mm_mul_pd(low, _mm_sqrt_pd(low)))),
                    _mm_cvtpd_ps(_mm_div_pd(one, _mm_mul_pd(high, _mm_sqrt_pd(high)))));
  const __m128 on_charge = _mm_cmpeq_ps(s, _mm_setzero_ps());
  c[0] = _mm_andnot_ps(on_charge, _mm_mul_ps(d0, e));
  c[1] = _mm_andnot_ps(on_charge, _mm_mul_ps(d1, e));
  c[2] = _mm_andnot_ps(on_charge, _mm_mul_ps(d2, e));
}

// Stores four entries of three components, (x, y, z) lane by lane, as the
// twelve floats x0 y0 z0 x1 y1 z1 ... at out.
FLUXART_INLINE void StoreEntries4(__m128 x, __m128 y, __m128 z, float* out) {
  const __m128 xy_low = _mm_unpacklo_ps(x, y);                                 // x0 y0 x1 y1
  const __m128 xy_high = _mm_unpackhi_ps(x, y);                                // x2 y2 x3 y3
  const __m128 z0_x1 = _mm_shuffle_ps(z, x, _MM_SHUFFLE(1, 1, 0, 0));          // z0 z0 x1 x1
  const __m128 y1_z1 = _mm_shuffle_ps(y, z, _MM_SHUFFLE(1, 1, 1, 1));          // y1 y1 z1 z1
  const __m128 z23_xy3 = _mm_shuffle_ps(z, xy_high, _MM_SHUFFLE(3, 2, 3, 2));  // z2 z3 x3 y3
  _mm_storeu_ps(out, _mm_shuffle_ps(xy_low, z0_x1, _MM_SHUFFLE(2, 0, 1, 0)));
  _mm_storeu_ps(out + 4, _mm_shuffle_ps(y1_z1, xy_high, _MM_SHUFFLE(1, 0, 2, 0)));
  _mm_storeu_ps(out + 8, _mm_shuffle_ps(z23_xy3, z23_xy3, _MM_SHUFFLE(1, 3, 2, 0)));
}

// ContributionAt for the four column entries k .. k + 3.
void ContributionsAt4(const KernelPlan& plan, float d0_plus, float d0_minus, int k, float* out) {
  const __m128 y_plus = _mm_loadu_ps(&plan.column_plus[k]);
  __m128 c[3], minus[3];
  switch (plan.kind) {
    case PlanarDipole:
      UnitChargeField4(_mm_set1_ps(d0_plus), y_plus, _mm_set1_ps(plan.z), c);
      UnitChargeField4(_mm_set1_ps(d0_minus), _mm_loadu_ps(&plan.column_minus[k]),
                       _mm_set1_ps(plan.z), minus);
      for (int n = 0; n < 3; ++n) c[n] = _mm_sub_ps(c[n], minus[n]);
      break;
    case AxialDipole:
      UnitChargeField4(_mm_set1_ps(d0_plus), y_plus, _mm_set1_ps(plan.z + kAxialHalfSeparation), c);
      UnitChargeField4(_mm_set1_ps(d0_plus), y_plus, _mm_set1_ps(plan.z - kAxialHalfSeparation),
                       minus);
      for (int n = 0; n < 3; ++n) c[n] = _mm_sub_ps(c[n], minus[n]);
      break;
    default:
      UnitChargeField4(_mm_set1_ps(d0_plus), y_plus, _mm_set1_ps(plan.z), c);
      break;
  }
  StoreEntries4(c[0], c[1], c[2], out + 3 * k);
}
#endif

#if defined(__GNUC__) && defined(__x86_64__)
// UnitChargeField4 for eight field points.
__attribute__((target("avx"))) void UnitChargeField8(__m256 d0, __m256 d1, __m256 d2, __m256 c[3]) {
  const __m256 s = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(d1, d1), _mm256_mul_ps(d0, d0)),
                                 _mm256_mul_ps(d2, d2));
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d low = _mm256_cvtps_pd(_mm256_castps256_ps128(s));
  const __m256d high = _mm256_cvtps_pd(_mm256_extractf128_ps(s, 1));
  const __m128 e_low = _mm256_cvtpd_ps(_mm256_div_pd(one, _mm256_mul_pd(low, _mm256_sqrt_pd(low))));
  const __m128 e_high =
      _mm256_cvtpd_ps(_mm256_div_pd(one, _mm256_mul_pd(high, _mm256_sqrt_pd(high))));
  const __m256 e = _mm256_insertf128_ps(_mm256_castps128_ps256(e_low), e_high, 1);
  const __m256 on_charge = _mm256_cmp_ps(s, _mm256_setzero_ps(), _CMP_EQ_OQ);
  c[0] = _mm256_andnot_ps(on_charge, _mm256_mul_ps(d0, e));
  c[1] = _mm256_andnot_ps(on_charge, _mm256_mul_ps(d1, e));
  c[2] = _mm256_andnot_ps(on_charge, _mm256_mul_ps(d2, e));
}

// ContributionsAt4 for the eight column entries k .. k + 7.
__attribute__((target("avx"))) void ContributionsAt8(const KernelPlan& plan, float d0_plus,
                                                     float d0_minus, int k, float* out) {
  const __m256 y_plus = _mm256_loadu_ps(&plan.column_plus[k]);
  __m256 c[3], minus[3];
  switch (plan.kind) {
    case PlanarDipole:
      UnitChargeField8(_mm256_set1_ps(d0_plus), y_plus, _mm256_set1_ps(plan.z), c);
      UnitChargeField8(_mm256_set1_ps(d0_minus), _mm256_loadu_ps(&plan.column_minus[k]),
                       _mm256_set1_ps(plan.z), minus);
      for (int n = 0; n < 3; ++n) c[n] = _mm256_sub_ps(c[n], minus[n]);
      break;
    case AxialDipole:
      UnitChargeField8(_mm256_set1_ps(d0_plus), y_plus,
                       _mm256_set1_ps(plan.z + kAxialHalfSeparation), c);
      UnitChargeField8(_mm256_set1_ps(d0_plus), y_plus,
                       _mm256_set1_ps(plan.z - kAxialHalfSeparation), minus);
      for (int n = 0; n < 3; ++n) c[n] = _mm256_sub_ps(c[n], minus[n]);
      break;
    default:
      UnitChargeField8(_mm256_set1_ps(d0_plus), y_plus, _mm256_set1_ps(plan.z), c);
      break;
  }
  StoreEntries4(_mm256_castps256_ps128(c[0]), _mm256_castps256_ps128(c[1]),
                _mm256_castps256_ps128(c[2]), out + 3 * k);
  StoreEntries4(_mm256_extractf128_ps(c[0], 1), _mm256_extractf128_ps(c[1], 1),
                _mm256_extractf128_ps(c[2], 1), out + 3 * k + 12);
}

// Entries [begin, end) eight at a time, as far as they go; gives the first
// entry left.
__attribute__((target("avx"))) int FillContributionsAvx(const KernelPlan& plan, float d0_plus,
                                                        float d0_minus, int begin, int end,
                                                        float* out) {
  int k = begin;
  for (; k + 8 <= end; k += 8) ContributionsAt8(plan, d0_plus, d0_minus, k, out);
  return k;
}

#endif

// Contributions at column entries [begin, end) into out (3 floats each).
void FillContributions(const KernelPlan& plan, float d0_plus, float d0_minus, int begin, int end,
                       float* out) {
  int k = begin;
#if defined(__GNUC__) && defined(__x86_64__)
  if (VectorFloats(plan.max_vector_floats) >= 8)
    k = FillContributionsAvx(plan, d0_plus, d0_minus, begin, end, out);
#endif
#if defined(__SSE2__)
  for (; k + 4 <= end; k += 4) ContributionsAt4(plan, d0_plus, d0_minus, k, out);
#endif
  for (; k < end; ++k) {
    const FieldVector c = ContributionAt(plan, d0_plus, d0_minus, k);
    out[3 * k] = c.c0;
    out[3 * k + 1] = c.c1;
    out[3 * k + 2] = c.c2;
  }
}

// Fills out (plan.row_entries x 3 floats) with the contributions of one row
// displacement pair (d0_plus, d0_minus) at every column entry of the plan.
// The axial and monopole fields at column offset -Y are those at +Y with
// component 1 negated (the squares make the same inverse cube), so the
// negative offsets are mirrored rather than evaluated again; 0 - c gives
// exactly what the evaluation at -Y gives, zero sign included.
void FillContributionRow(const KernelPlan& plan, float d0_plus, float d0_minus, float* out) {
  if (plan.kind == PlanarDipole) {
    FillContributions(plan, d0_plus, d0_minus, 0, plan.row_entries, out);
    return;
  }
  const int zero = -plan.columns.first;  // entry of Y = 0
  FillContributions(plan, d0_plus, d0_minus, zero, plan.columns.count, out);
  for (int k = 0; k < zero; ++k) {
    const float* mirror = out + 3 * (2 * zero - k);
    out[3 * k] = mirror[0];
    out[3 * k + 1] = 0.0f - mirror[1];
    out[3 * k + 2] = mirror[2];
  }
}

// The floats of contribution row `row` that cube column j adds to the chunk
// of a table row starting at float `first`: the row shifted by 3j floats,
// or a copy in `patched` with the odd columns put in.
template <int kChunkFloats>
FLUXART_INLINE const float* ChunkSource(const KernelPlan& plan, const float* row, int j, int first,
                                        bool odd_chunk, float* patched) {
  constexpr int kPatchChunksPerChunk = kChunkFloats / kPatchChunkFloats;
  const float* source = row + 3 * j + first;
  if (!odd_chunk) return source;
  const int patch_chunk = first / kPatchChunkFloats;
  const int patch_begin = plan.chunk_patches[j][patch_chunk];
  const int patch_end = plan.chunk_patches[j][patch_chunk + kPatchChunksPerChunk];
  if (patch_begin == patch_end) return source;
  std::memcpy(patched, source, sizeof(float) * kChunkFloats);
  for (int k = patch_begin; k < patch_end; ++k) {
    const Patch& patch = plan.patches[j][k];
    patched[patch.at - first] = row[patch.from];
  }
  return patched;
}

// True when some cube column patches the chunk starting at float `first`.
template <int kChunkFloats>
FLUXART_INLINE bool OddChunk(const KernelPlan& plan, int first) {
  bool odd = false;
  for (int c = first / kPatchChunkFloats; c < (first + kChunkFloats) / kPatchChunkFloats; ++c)
    odd = odd || plan.odd_patch_chunk[c];
  return odd;
}

// Stores a chunk's sums at float `first` of a table row, as far as the row
// reaches.
template <typename Vec, int kCount>
FLUXART_INLINE void StoreChunk(const Stretch<Vec, kCount>& sums, int first, float* out) {
  const int count = std::min(Stretch<Vec, kCount>::kFloats, kRowFloats - first);
  std::memcpy(out + first, sums.v, sizeof(float) * count);
}

// Sums one table row in chunks: each chunk's floats start at 0 and receive
// the cubes' contributions in the order i, then j, the j-th shifted by 3(j + h)
// floats in contribution row rows[i + h], with the odd columns patched in.
// Vec is a vector of floats; eight independent sums hide the latency of an
// addition.
template <typename Vec>
FLUXART_INLINE void SumRowChunks(const KernelPlan& plan, const float* const* rows, float* out) {
  constexpr int kChunkFloats = static_cast<int>(8 * sizeof(Vec) / sizeof(float));
  static_assert(kPaddedRowFloats % kChunkFloats == 0, "rows are padded to whole chunks");
  const int span = 2 * plan.h + 1;
  for (int first = 0; first < kRowFloats; first += kChunkFloats) {
    const bool odd_chunk = OddChunk<kChunkFloats>(plan, first);
    Stretch<Vec> sums;
    ClearStretch(sums);
    float patched[kChunkFloats];
    for (int i = 0; i < span; ++i)
      for (int j = 0; j < span; ++j)
        AddTerm<false>(sums,
                       ChunkSource<kChunkFloats>(plan, rows[i], j, first, odd_chunk, patched));
    StoreChunk(sums, first, out);
  }
}

// Sums two neighbouring table rows p and p + 1 at once, when they share their
// contribution rows: sources[0 .. 2h] are row p's, sources[1 .. 2h + 1] row
// p + 1's. Each source chunk is read once for both; every entry still
// receives its contributions in the order i, then j. The two rows' chunks
// are eight vectors each where there are 32 registers, four where there are
// 16, so that they and the source stay in registers.
template <typename Vec>
FLUXART_INLINE void SumRowPairChunks(const KernelPlan& plan, const float* const* sources,
                                     float* out, float* next_out) {
  using Chunk = Stretch<Vec, sizeof(Vec) == 64 ? 8 : 4>;
  constexpr int kChunkFloats = Chunk::kFloats;
  static_assert(kChunkFloats % kPatchChunkFloats == 0, "chunks are whole patch chunks");
  const int span = 2 * plan.h + 1;
  for (int first = 0; first < kRowFloats; first += kChunkFloats) {
    const bool odd_chunk = OddChunk<kChunkFloats>(plan, first);
    Chunk sums, next_sums;
    ClearStretch(sums), ClearStretch(next_sums);
    float patched[kChunkFloats];
    for (int j = 0; j < span; ++j)
      AddTerm<false>(sums,
                     ChunkSource<kChunkFloats>(plan, sources[0], j, first, odd_chunk, patched));
    for (int r = 1; r < span; ++r)
      for (int j = 0; j < span; ++j) {
        const float* source =
            ChunkSource<kChunkFloats>(plan, sources[r], j, first, odd_chunk, patched);
        AddTerm<false>(sums, source);
        AddTerm<false>(next_sums, source);
      }
    for (int j = 0; j < span; ++j)
      AddTerm<false>(next_sums,
                     ChunkSource<kChunkFloats>(plan, sources[span], j, first, odd_chunk, patched));
    StoreChunk(sums, first, out);
    StoreChunk(next_sums, first, next_out);
  }
}

// The summing functions for one vector width.
struct RowSummers {
  void (*one)(const KernelPlan&, const float* const*, float*);
  void (*two)(const KernelPlan&, const float* const*, float*, float*);
};

// Lane by lane additions round exactly as one at a time, so the widest
// vectors the processor has are chosen at run time; the portable ones are
// those of every x86-64 (and of the 32-bit build, which asks for SSE2).
void SumRowPortable(const KernelPlan& plan, const float* const* rows, float* out) {
  SumRowChunks<Vec4>(plan, rows, out);
}
void SumRowPairPortable(const KernelPlan& plan, const float* const* sources, float* out,
                        float* next_out) {
  SumRowPairChunks<Vec4>(plan, sources, out, next_out);
}

#if defined(__GNUC__) && defined(__x86_64__)
__attribute__((target("avx"))) void SumRowAvx(const KernelPlan& plan, const float* const* rows,
                                              float* out) {
  SumRowChunks<Vec8>(plan, rows, out);
}
__attribute__((target("avx"))) void SumRowPairAvx(const KernelPlan& plan,
                                                  const float* const* sources, float* out,
                                                  float* next_out) {
  SumRowPairChunks<Vec8>(plan, sources, out, next_out);
}
__attribute__((target("avx512f"))) void SumRowAvx512(const KernelPlan& plan,
                                                     const float* const* rows, float* out) {
  SumRowChunks<Vec16>(plan, rows, out);
}
__attribute__((target("avx512f"))) void SumRowPairAvx512(const KernelPlan& plan,
                                                         const float* const* sources, float* out,
                                                         float* next_out) {
  SumRowPairChunks<Vec16>(plan, sources, out, next_out);
}
RowSummers ChooseRowSummers(int max_vector_floats) {
  const int floats = VectorFloats(max_vector_floats);
  if (floats >= 16) return {SumRowAvx512, SumRowPairAvx512};
  if (floats >= 8) return {SumRowAvx, SumRowPairAvx};
  return {SumRowPortable, SumRowPairPortable};
}
#else
RowSummers ChooseRowSummers(int) { return {SumRowPortable, SumRowPairPortable}; }
#endif

// Computes table rows [p_begin, p_end) of the plan's kernel, two at a time
// where they share their contribution rows. The contribution rows of whole
// offsets X = p - 641 + i are kept in a ring of 2h + 2 rows as p advances; a
// row pair (p, i) that is odd gets its own contribution row.
void ComputeRows(const KernelPlan& plan, int p_begin, int p_end, KernelTable& table) {
  const RowSummers summers = ChooseRowSummers(plan.max_vector_floats);
  const int h = plan.h;
  const int span = 2 * h + 1;
  const std::size_t row_floats = plan.row_floats;
  std::vector<float> ring(row_floats * (span + 1));
  std::vector<float> odd_rows(row_floats * 2 * span);
  std::vector<const float*> rows(2 * span);  // row p's, then row p + 1's
  std::vector<const float*> sources(span + 1);
  // Ring row r holds whole offset X = first + r; row p needs r = p .. p + 2h.
  auto ring_row = [&](int r) { return ring.data() + row_floats * (r % (span + 1)); };
  int next_ring_row = p_begin;
  // Points rows[slot .. slot + 2h] at the contribution rows of table row p.
  auto gather_rows = [&](int p, int slot) {
    for (; next_ring_row <= p + 2 * h; ++next_ring_row)
      FillContributionRow(plan, plan.rows.plus[next_ring_row], plan.rows.minus[next_ring_row],
                          ring_row(next_ring_row));
    for (int i = -h; i <= h; ++i) {
      const int odd = plan.rows.odd_of_pair[static_cast<std::size_t>(p) * span + i + h];
      rows[slot + i + h] = ring_row(p + i + h);
      if (odd < 0) continue;
      float* odd_row = odd_rows.data() + row_floats * (slot + i + h);
      FillContributionRow(plan, plan.rows.odd_plus[odd], plan.rows.odd_minus[odd], odd_row);
      rows[slot + i + h] = odd_row;
    }
  };
  for (int p = p_begin; p < p_end; p += 2) {
    gather_rows(p, 0);
    if (p + 1 == p_end) {
      summers.one(plan, rows.data(), &table[p][0][0]);
      break;
    }
    gather_rows(p + 1, span);
    bool shared = true;
    for (int i = 1; i < span; ++i) shared = shared && rows[i] == rows[span + i - 1];
    if (!shared) {
      summers.one(plan, rows.data(), &table[p][0][0]);
      summers.one(plan, rows.data() + span, &table[p + 1][0][0]);
      continue;
    }
    for (int r = 0; r < span; ++r) sources[r] = rows[r];
    sources[span] = rows[2 * span - 1];
    summers.two(plan, sources.data(), &table[p][0][0], &table[p + 1][0][0]);
  }
}

// Factors of a row's floats, repeating every four entries: -1 for
// component 0, +1 for the others.
constexpr float kComponent0Negated[12] = {-1, 1, 1, -1, 1, 1, -1, 1, 1, -1, 1, 1};

// A single cube's kernel: each entry is its cube's one contribution plus the
// cleared table's 0, which makes every zero +0. Flipping the offset keeps
// every square, so the rows X < 0 need not be evaluated but can be mirrored
// from the rows X > 0: for the axial and monopole models the entry at
// (-X, Y) is the one at (X, Y) with component 0 negated; for the planar model
// (-X, -Y) puts each charge where the other was, which gives the entry at
// (X, Y) with component 2 negated. 0 - v negates exactly and leaves +0 for a
// zero, as the evaluation does. Row p mirrors into row 1282 - p; the planar
// column 1283 (Y = 642) has no mirror and is evaluated on its own.
constexpr int kLastColumn = kKernelSide - 1;

// Entries [q_begin, q_end) of table row mirror_p, mirrored from `row`, the
// finished row 1282 - mirror_p (for the planar model its entries
// 1283 - q_end .. 1282 - q_begin). May write the first float of entry
// q_end.
void MirrorSingleCubeRow(const KernelPlan& plan, const float* row, int mirror_p, float* mirror,
                         int q_begin, int q_end) {
  if (plan.kind != PlanarDipole) {
    // 0 + (-v) is 0 - v, and 0 + v is v, since no value here is -0.
    for (int q = q_begin; q < q_end; ++q)
      for (int n = 0; n < 3; ++n) mirror[3 * q + n] = 0.0f + kComponent0Negated[n] * row[3 * q + n];
    return;
  }
  // Four floats at a time, the fourth overwritten by the next entry.
  const int mirrored_end = std::min(q_end, kLastColumn);
  for (int q = q_begin; q < mirrored_end; ++q) {
    Vec4 v;
    LoadVec(row + 3 * (2 * kKernelCentre - q), v);
    const Vec4 negated = Vec4{0.0f, 0.0f, 0.0f, 0.0f} - v;
    v[2] = negated[2];
    StoreVec(mirror + 3 * q, v);
  }
  if (q_end < kKernelSide) return;
  const FieldVector last =
      ContributionAt(plan, plan.rows.plus[mirror_p], plan.rows.minus[mirror_p], kLastColumn);
  mirror[3 * kLastColumn] = last.c0 + 0.0f;
  mirror[3 * kLastColumn + 1] = last.c1 + 0.0f;
  mirror[3 * kLastColumn + 2] = last.c2 + 0.0f;
}

// Evaluates entries [q_begin, q_end) of table row p where they stand. The
// axial and monopole models make the whole row instead: it is mirrored in Y
// as it is made, so it costs half a row's evaluations, never more than a
// window's (every window is at least 640 columns wide).
void EvaluateSingleCubeEntries(const KernelPlan& plan, int p, int q_begin, int q_end,
                               KernelTable& table) {
  float* row = &table[p][0][0];
  if (plan.kind == PlanarDipole) {
    FillContributions(plan, plan.rows.plus[p], plan.rows.minus[p], q_begin, q_end, row);
  } else {
    FillContributionRow(plan, plan.rows.plus[p], plan.rows.minus[p], row);
    q_begin = 0, q_end = kKernelSide;
  }
  for (int x = 3 * q_begin; x < 3 * q_end; ++x) row[x] = row[x] + 0.0f;
}

}  // namespace

void ComputeKernel(int kind, int h, int angle, float z, KernelTable& table,
                   const RunOptions& options) {
  if (h < 0 || (kind != AxialDipole && kind != PlanarDipole && kind != Monopole)) {
    std::memset(table, 0, sizeof(KernelTable));
    return;
  }
  if (h == 0) {
    ComputeSingleCubeWindow(kind, angle, z, KernelWindow(), table, options);
    return;
  }
  const KernelPlan plan = PlanKernel(kind, h, angle, z, options.max_vector_floats);
  RunParallelRows(kKernelSide, options.threads,
                  [&plan, &table](int begin, int end) { ComputeRows(plan, begin, end, table); });
}

void ComputeSingleCubeWindow(int kind, int angle, float z, const KernelWindow& window,
                             KernelTable& table, const RunOptions& options) {
  if (kind != AxialDipole && kind != PlanarDipole && kind != Monopole) {
    std::memset(table, 0, sizeof(KernelTable));
    return;
  }
  const KernelPlan plan = PlanKernel(kind, 0, angle, z, options.max_vector_floats);
  const int q_begin = window.column_begin, q_end = window.column_end;
  // A window row with X < 0 is mirrored from its row 1282 - p when that is a
  // window row too; the others are evaluated. A planar mirror reads its
  // source row at the mirrored columns, which are evaluated with it.
  const int mirrored_from = 2 * kKernelCentre - (window.row_end - 1);
  std::vector<int> rows;
  for (int p = window.row_begin; p < window.row_end; ++p)
    if (p >= kKernelCentre || p < mirrored_from) rows.push_back(p);
  int source_begin = q_begin, source_end = q_end;
  if (kind == PlanarDipole) {
    source_begin = std::min(q_begin, kLastColumn - std::min(q_end, kLastColumn));
    source_end = std::max(q_end, kLastColumn - q_begin);
  }
  const int count = static_cast<int>(rows.size());
  RunParallelRows(count, options.threads, [&](int begin, int end) {
    for (int i = begin; i < end; ++i) {
      const int p = rows[static_cast<std::size_t>(i)];
      const int mirror_p = 2 * kKernelCentre - p;
      if (mirror_p >= kKernelCentre || mirror_p < window.row_begin) {
        EvaluateSingleCubeEntries(plan, p, q_begin, q_end, table);
        continue;
      }
      EvaluateSingleCubeEntries(plan, p, source_begin, source_end, table);
      MirrorSingleCubeRow(plan, &table[p][0][0], mirror_p, &table[mirror_p][0][0], q_begin, q_end);
    }
  });
}
