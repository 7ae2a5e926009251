// SSE 4×4 inverse by cofactors.
//
// The twelve 2×2 minors come from three vector products: s0..s3 of rows 0
// and 1, c0..c3 of rows 2 and 3, and (s4, s5, c4, c5) together. Each column
// of the adjugate is then three products of a shuffled row with signed
// minors: column 0 from row 1 and the c minors, column 1 from row 0 negated,
// column 2 from row 3 and the s minors, column 3 from row 2 negated. Every
// product and sum is the plain version's in the same order (x − y is
// x + (−y), and the row is negated before multiplying, not the sum after, so
// that even the signs of zero agree): the results are bit-identical.
#include "qxcore/math/code_paths.h"

#if defined(__SSE2__)

#include <emmintrin.h>

namespace quarn::code_paths {

namespace {

template <int A, int B, int C, int D>
__m128 pick(__m128 v) {
  return _mm_shuffle_ps(v, v, _MM_SHUFFLE(D, C, B, A));
}

struct coefficients_t {
  __m128 k1, k2, k3;  // (x5, −x5, x4, −x3), (−x4, x2, −x2, x1), (x3, −x1, x0, −x0)
};

// x0..x3 in `low`; x4 and x5 in lanes (0, 1) of `high` when Lane4 = 0, (2, 3) when 2.
template <int Lane4>
coefficients_t coefficients(__m128 low, __m128 high) {
  const __m128 odd = _mm_castsi128_ps(_mm_set_epi32(int(0x80000000), 0, int(0x80000000), 0));
  const __m128 even = _mm_castsi128_ps(_mm_set_epi32(0, int(0x80000000), 0, int(0x80000000)));
  // (x5, x4, x3, x3) and (x4, x4, x2, x1)
  const __m128 u = _mm_shuffle_ps(high, low, _MM_SHUFFLE(3, 3, Lane4, Lane4 + 1));
  const __m128 v = _mm_shuffle_ps(high, low, _MM_SHUFFLE(1, 2, Lane4, Lane4));
  return {_mm_xor_ps(pick<0, 0, 1, 2>(u), odd), _mm_xor_ps(pick<0, 2, 2, 3>(v), even),
          _mm_xor_ps(pick<3, 1, 0, 0>(low), odd)};
}

// One adjugate column from a row: ((r1·k1 + r2·k2) + r3·k3) with the row's
// entries picked as the cofactor expansion needs them.
__m128 column(__m128 row, const coefficients_t& k) {
  const __m128 t1 = _mm_mul_ps(pick<1, 0, 0, 0>(row), k.k1);
  const __m128 t2 = _mm_mul_ps(pick<2, 2, 1, 1>(row), k.k2);
  const __m128 t3 = _mm_mul_ps(pick<3, 3, 3, 2>(row), k.k3);
  return _mm_add_ps(_mm_add_ps(t1, t2), t3);
}

__m128 negate(__m128 v) { return _mm_xor_ps(v, _mm_set1_ps(-0.0f)); }

}  // namespace

bool matrix_get_inverse_sse(mat4* out, const mat4* in) {
  if (out == nullptr || in == nullptr) return false;
  const __m128 r0 = _mm_loadu_ps(in->m), r1 = _mm_loadu_ps(in->m + 4);
  const __m128 r2 = _mm_loadu_ps(in->m + 8), r3 = _mm_loadu_ps(in->m + 12);

  // Minors of column pairs (0,1), (0,2), (0,3), (1,2): r[j]·r'[k] − r'[j]·r[k].
  const __m128 s03 = _mm_sub_ps(_mm_mul_ps(pick<0, 0, 0, 1>(r0), pick<1, 2, 3, 2>(r1)),
                                _mm_mul_ps(pick<0, 0, 0, 1>(r1), pick<1, 2, 3, 2>(r0)));
  const __m128 c03 = _mm_sub_ps(_mm_mul_ps(pick<0, 0, 0, 1>(r2), pick<1, 2, 3, 2>(r3)),
                                _mm_mul_ps(pick<0, 0, 0, 1>(r3), pick<1, 2, 3, 2>(r2)));
  // Pairs (1,3), (2,3) of both row pairs: (s4, s5, c4, c5).
  const __m128 sc45 = _mm_sub_ps(_mm_mul_ps(_mm_shuffle_ps(r0, r2, _MM_SHUFFLE(2, 1, 2, 1)),
                                            _mm_shuffle_ps(r1, r3, _MM_SHUFFLE(3, 3, 3, 3))),
                                 _mm_mul_ps(_mm_shuffle_ps(r1, r3, _MM_SHUFFLE(2, 1, 2, 1)),
                                            _mm_shuffle_ps(r0, r2, _MM_SHUFFLE(3, 3, 3, 3))));

  const coefficients_t kc = coefficients<2>(c03, sc45);
  const coefficients_t ks = coefficients<0>(s03, sc45);
  __m128 col0 = column(r1, kc);
  __m128 col1 = column(negate(r0), kc);
  __m128 col2 = column(r3, ks);
  __m128 col3 = column(negate(r2), ks);

  // First row of m against the adjugate's first column, summed in order.
  const __m128 p = _mm_mul_ps(r0, col0);
  __m128 sum = _mm_add_ss(p, pick<1, 1, 1, 1>(p));
  sum = _mm_add_ss(sum, pick<2, 2, 2, 2>(p));
  const float det = _mm_cvtss_f32(_mm_add_ss(sum, pick<3, 3, 3, 3>(p)));

  _MM_TRANSPOSE4_PS(col0, col1, col2, col3);
  if (det == 0.0f) {
    _mm_storeu_ps(out->m, col0);
    _mm_storeu_ps(out->m + 4, col1);
    _mm_storeu_ps(out->m + 8, col2);
    _mm_storeu_ps(out->m + 12, col3);
    return false;
  }
  const __m128 scale = _mm_set1_ps(1.0f / det);
  _mm_storeu_ps(out->m, _mm_mul_ps(col0, scale));
  _mm_storeu_ps(out->m + 4, _mm_mul_ps(col1, scale));
  _mm_storeu_ps(out->m + 8, _mm_mul_ps(col2, scale));
  _mm_storeu_ps(out->m + 12, _mm_mul_ps(col3, scale));
  return true;
}

}  // namespace quarn::code_paths

#endif
