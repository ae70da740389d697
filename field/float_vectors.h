#pragma once
// The vectors of floats the hot loops use: the compiler's vector extension,
// whose lane-by-lane additions round exactly as one addition at a time. The
// 128-bit vector is portable (any target; the compiler splits it where the
// processor has no such registers); the 256- and 512-bit ones are for
// x86-64 functions compiled with target("avx") or target("avx512f") and
// chosen at run time. 32-bit x86 has none of the wider ones, since its
// compilers may spill them to a stack they do not align.
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

#ifdef FLUXART_WIDE_VECTORS
// Whether this processor runs the 256- and 512-bit instructions.
inline bool CpuHasAvx() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx");
}
inline bool CpuHasAvx512f() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f");
}
#endif
