#pragma once
// The vectors of floats the hot loops use, and the choice among them.
//
// The vectors are the compiler's vector extension, whose lane-by-lane
// additions round exactly as one addition at a time, so every width gives
// the same bits. The 128-bit vector is portable: SSE2 on x86 (the 32-bit
// build asks for it), SIMD128 in the browser build, and whatever the
// compiler splits it into elsewhere. The 256- and 512-bit ones are for
// x86-64 functions compiled with target("avx") or target("avx512f") and
// chosen at run time; 32-bit x86 has none of them, since its compilers may
// spill them to a stack they do not align.
#include <cstdlib>
#include <cstring>

#if defined(__GNUC__)
#define FLUXART_INLINE inline __attribute__((always_inline))
#else
#define FLUXART_INLINE inline
#endif

typedef float Vec4 __attribute__((vector_size(16)));
#if defined(__GNUC__) && defined(__x86_64__)
#define FLUXART_WIDE_VECTORS 1
typedef float Vec8 __attribute__((vector_size(32)));
typedef float Vec16 __attribute__((vector_size(64)));
#endif

template <typename Vec>
constexpr int kLanesOf = static_cast<int>(sizeof(Vec) / sizeof(float));

// The widest vectors, in floats (16, 8, 4, or 1 for plain loops), that this
// processor runs and both cap_floats and the environment variable
// FLUXART_MAX_VECTOR_BITS (512, 256, 128 or 0; unset or anything else caps
// nothing) allow. Every hot loop takes its width from here.
inline int VectorFloats(int cap_floats) {
  static const int available = [] {
    int floats = 4;
#ifdef FLUXART_WIDE_VECTORS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx")) floats = 8;
    if (__builtin_cpu_supports("avx512f")) floats = 16;
#endif
    const char* bits = std::getenv("FLUXART_MAX_VECTOR_BITS");
    if (!bits) return floats;
    if (std::strcmp(bits, "0") == 0) return 1;
    if (std::strcmp(bits, "128") == 0) return 4;
    if (std::strcmp(bits, "256") == 0 && floats > 8) return 8;
    return floats;
  }();
  int floats = available;
  while (floats > 1 && floats > cap_floats) floats = floats == 4 ? 1 : floats / 2;
  return floats;
}

// v := the vector at source, which need not be aligned. (Vectors travel by
// reference, so that no function outside a target("avx") one passes a wide
// vector by value.)
template <typename Vec>
FLUXART_INLINE void LoadVec(const float* source, Vec& v) {
  std::memcpy(&v, source, sizeof(Vec));
}

// Stores v at target, which need not be aligned.
template <typename Vec>
FLUXART_INLINE void StoreVec(float* target, const Vec& v) {
  std::memcpy(target, &v, sizeof(Vec));
}

// How many vectors of each of two rows the paired adders hold at once: eight
// of the 32 registers of 512 bits; six of the 16 of the narrower kinds, which
// leaves a register for the kernel's vector and whole stretches in a row.
template <typename Vec>
constexpr int kPairVectors = sizeof(Vec) == 64 ? 8 : 6;

// kCount vectors of a row's stretch, held in registers while terms are added
// to them (the loops over them are unrolled, so that the compiler keeps each
// vector in a register of its own).
template <typename Vec, int kCount = 8>
struct Stretch {
  static constexpr int kFloats = kCount * kLanesOf<Vec>;
  Vec v[kCount];
};

template <typename Vec, int kCount>
FLUXART_INLINE void LoadStretch(const float* f, Stretch<Vec, kCount>& s) {
#pragma GCC unroll 16
  for (int n = 0; n < kCount; ++n) LoadVec(f + n * kLanesOf<Vec>, s.v[n]);
}

template <typename Vec, int kCount>
FLUXART_INLINE void StoreStretch(const Stretch<Vec, kCount>& s, float* f) {
#pragma GCC unroll 16
  for (int n = 0; n < kCount; ++n) StoreVec(f + n * kLanesOf<Vec>, s.v[n]);
}

template <typename Vec, int kCount>
FLUXART_INLINE void ClearStretch(Stretch<Vec, kCount>& s) {
#pragma GCC unroll 16
  for (int n = 0; n < kCount; ++n) s.v[n] = Vec{};
}

// The stretch := the stretch + (or -) the kCount vectors at k, lane by lane.
// (x + y and y + x round alike, so the order of the operands is free.)
template <bool kSubtract, typename Vec, int kCount>
FLUXART_INLINE void AddTerm(Stretch<Vec, kCount>& s, const float* k) {
#pragma GCC unroll 16
  for (int n = 0; n < kCount; ++n) {
    Vec t;
    LoadVec(k + n * kLanesOf<Vec>, t);
    s.v[n] = kSubtract ? s.v[n] - t : s.v[n] + t;
  }
}

// The stretches a and b := themselves + (or -) the vectors at k, each vector
// loaded once for both.
template <bool kSubtract, typename Vec, int kCount>
FLUXART_INLINE void AddTermTwice(Stretch<Vec, kCount>& a, Stretch<Vec, kCount>& b, const float* k) {
#pragma GCC unroll 16
  for (int n = 0; n < kCount; ++n) {
    Vec t;
    LoadVec(k + n * kLanesOf<Vec>, t);
    a.v[n] = kSubtract ? a.v[n] - t : a.v[n] + t;
    b.v[n] = kSubtract ? b.v[n] - t : b.v[n] + t;
  }
}
