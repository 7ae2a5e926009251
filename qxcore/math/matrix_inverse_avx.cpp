// AVX 4×4 inverse: the SSE version's cofactor scheme with the two row pairs,
// and two adjugate columns, side by side in the 128-bit halves. Bound only
// when the processor has AVX; compiled for AVX by a function attribute.
//
// Lower halves hold the lower row pair (rows 2, 3: the c minors), upper
// halves the upper pair (rows 0, 1: the s minors). Every product and sum is
// the plain version's in its order, so the results are bit-identical.
#include "qxcore/math/code_paths.h"

#if defined(QX_MATH_HAS_AVX)

#include <immintrin.h>

namespace quarn::code_paths {

namespace {

#define QX_AVX __attribute__((target("avx")))

template <int A, int B, int C, int D>
QX_AVX inline __m256 pick(__m256 v) {
  return _mm256_shuffle_ps(v, v, _MM_SHUFFLE(D, C, B, A));
}

// Two rows of the matrix in the two halves, straight from memory (a
// broadcast and a blend, keeping the shuffle unit free).
QX_AVX inline __m256 row_halves(const float* lo, const float* hi) {
  return _mm256_blend_ps(_mm256_castps128_ps256(_mm_loadu_ps(lo)),
                         _mm256_broadcast_ps(reinterpret_cast<const __m128*>(hi)), 0xF0);
}

// (row 2i | row 2i + 1) of the adjugate from t = (col0[2i], col1[2i], col0[2i+1],
// col1[2i+1] | the same of col2 and col3).
QX_AVX inline __m256 row_pair(__m256 t) {
  const __m256 swapped = _mm256_permute2f128_ps(t, t, 0x01);
  return _mm256_blend_ps(_mm256_shuffle_ps(t, swapped, _MM_SHUFFLE(1, 0, 1, 0)),
                         _mm256_shuffle_ps(swapped, t, _MM_SHUFFLE(3, 2, 3, 2)), 0xF0);
}

// Two adjugate columns: ((r·k1 + r·k2) + r·k3) with the row entries picked
// as the cofactor expansion needs them.
QX_AVX inline __m256 columns(__m256 rows, __m256 k1, __m256 k2, __m256 k3) {
  const __m256 t1 = _mm256_mul_ps(pick<1, 0, 0, 0>(rows), k1);
  const __m256 t2 = _mm256_mul_ps(pick<2, 2, 1, 1>(rows), k2);
  const __m256 t3 = _mm256_mul_ps(pick<3, 3, 3, 2>(rows), k3);
  return _mm256_add_ps(_mm256_add_ps(t1, t2), t3);
}

}  // namespace

QX_AVX bool matrix_get_inverse_avx(mat4* out, const mat4* in) {
  if (out == nullptr || in == nullptr) return false;
  const float* m = in->m;
  const __m256 first = row_halves(m + 8, m), second = row_halves(m + 12, m + 4);

  // (c0..c3 | s0..s3) and (c4, c5, ·, · | s4, s5, ·, ·).
  const __m256 low =
      _mm256_sub_ps(_mm256_mul_ps(pick<0, 0, 0, 1>(first), pick<1, 2, 3, 2>(second)),
                    _mm256_mul_ps(pick<0, 0, 0, 1>(second), pick<1, 2, 3, 2>(first)));
  const __m256 high =
      _mm256_sub_ps(_mm256_mul_ps(pick<1, 2, 1, 2>(first), pick<3, 3, 3, 3>(second)),
                    _mm256_mul_ps(pick<1, 2, 1, 2>(second), pick<3, 3, 3, 3>(first)));

  // (x5, −x5, x4, −x3), (−x4, x2, −x2, x1), (x3, −x1, x0, −x0) per half.
  const __m256 odd = _mm256_castsi256_ps(_mm256_set_epi32(int(0x80000000), 0, int(0x80000000), 0,
                                                          int(0x80000000), 0, int(0x80000000), 0));
  const __m256 even = _mm256_castsi256_ps(_mm256_set_epi32(0, int(0x80000000), 0, int(0x80000000),
                                                           0, int(0x80000000), 0, int(0x80000000)));
  const __m256 u = _mm256_shuffle_ps(high, low, _MM_SHUFFLE(3, 3, 0, 1));  // (x5, x4, x3, x3)
  const __m256 v = _mm256_shuffle_ps(high, low, _MM_SHUFFLE(1, 2, 0, 0));  // (x4, x4, x2, x1)
  const __m256 k1 = _mm256_xor_ps(pick<0, 0, 1, 2>(u), odd);
  const __m256 k2 = _mm256_xor_ps(pick<0, 2, 2, 3>(v), even);
  const __m256 k3 = _mm256_xor_ps(pick<3, 1, 0, 0>(low), odd);

  // Columns (0 | 2) from rows (1 | 3), columns (1 | 3) from rows (−0 | −2).
  const __m256 sign = _mm256_set1_ps(-0.0f);
  const __m256 c02 = columns(row_halves(m + 4, m + 12), k1, k2, k3);
  const __m256 c13 = columns(_mm256_xor_ps(row_halves(m, m + 8), sign), k1, k2, k3);

  // First row of m against the adjugate's first column, summed in order.
  float p[4];
  _mm_storeu_ps(p, _mm_mul_ps(_mm_loadu_ps(m), _mm256_castps256_ps128(c02)));
  const float det = p[0] + p[1] + p[2] + p[3];

  __m256 rows01 = row_pair(_mm256_unpacklo_ps(c02, c13));
  __m256 rows23 = row_pair(_mm256_unpackhi_ps(c02, c13));
  const bool invertible = det != 0.0f;
  if (invertible) {
    const __m256 scale = _mm256_set1_ps(1.0f / det);
    rows01 = _mm256_mul_ps(rows01, scale);
    rows23 = _mm256_mul_ps(rows23, scale);
  }
  _mm256_storeu_ps(out->m, rows01);
  _mm256_storeu_ps(out->m + 8, rows23);
  return invertible;
}

}  // namespace quarn::code_paths

#endif
