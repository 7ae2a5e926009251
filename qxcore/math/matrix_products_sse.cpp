// SSE 4×4 product, bound to the three mult_matrix_matrix_* entries.
//
// Row i of the result is b[4i]·A0 + b[4i+1]·A1 + b[4i+2]·A2 + b[4i+3]·A3 with
// the rows A of a, summed in the same order as the plain version, so with
// contraction off the results are bit-identical to it. All of a is held in
// registers and row i of b is read before row i of out is written, so out may
// be a, b or both.
#include "qxcore/math/code_paths.h"

#if defined(__SSE2__)

#include <emmintrin.h>

namespace quarn::code_paths {

void mult_matrix_matrix_sse(mat4* out, const mat4* a, const mat4* b) {
  if (out == nullptr || a == nullptr || b == nullptr) return;
  const __m128 a0 = _mm_loadu_ps(a->m);
  const __m128 a1 = _mm_loadu_ps(a->m + 4);
  const __m128 a2 = _mm_loadu_ps(a->m + 8);
  const __m128 a3 = _mm_loadu_ps(a->m + 12);
  for (int i = 0; i < 4; ++i) {
    const __m128 row = _mm_loadu_ps(b->m + 4 * i);
    __m128 r = _mm_mul_ps(_mm_shuffle_ps(row, row, _MM_SHUFFLE(0, 0, 0, 0)), a0);
    r = _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(row, row, _MM_SHUFFLE(1, 1, 1, 1)), a1));
    r = _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(row, row, _MM_SHUFFLE(2, 2, 2, 2)), a2));
    r = _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(row, row, _MM_SHUFFLE(3, 3, 3, 3)), a3));
    _mm_storeu_ps(out->m + 4 * i, r);
  }
}

}  // namespace quarn::code_paths

#endif
