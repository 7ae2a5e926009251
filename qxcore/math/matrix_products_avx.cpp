// AVX 4×4 product: two result rows per step. Bound only when the processor
// has AVX (the dispatch table asks it at bind time); compiled for AVX by a
// function attribute, so the rest of the library keeps the SSE2 baseline.
//
// Each 128-bit half computes one row exactly as the SSE version does,
// without fused multiply-add, so the results are bit-identical to the plain
// version. All of a is loaded before anything is stored and rows of b are
// read before the same rows of out are written, so out may be a, b or both.
#include "qxcore/math/code_paths.h"

#if defined(QX_MATH_HAS_AVX)

#include <immintrin.h>

namespace quarn::code_paths {

__attribute__((target("avx"))) void mult_matrix_matrix_avx(mat4* out, const mat4* a,
                                                           const mat4* b) {
  if (out == nullptr || a == nullptr || b == nullptr) return;
  // Each row of a in both halves.
  const __m256 a0 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(a->m));
  const __m256 a1 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(a->m + 4));
  const __m256 a2 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(a->m + 8));
  const __m256 a3 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(a->m + 12));
  for (int h = 0; h < 2; ++h) {
    const __m256 rows = _mm256_loadu_ps(b->m + 8 * h);  // rows 2h and 2h + 1 of b
    __m256 r = _mm256_mul_ps(_mm256_shuffle_ps(rows, rows, 0x00), a0);
    r = _mm256_add_ps(r, _mm256_mul_ps(_mm256_shuffle_ps(rows, rows, 0x55), a1));
    r = _mm256_add_ps(r, _mm256_mul_ps(_mm256_shuffle_ps(rows, rows, 0xAA), a2));
    r = _mm256_add_ps(r, _mm256_mul_ps(_mm256_shuffle_ps(rows, rows, 0xFF), a3));
    _mm256_storeu_ps(out->m + 8 * h, r);
  }
}

}  // namespace quarn::code_paths

#endif
