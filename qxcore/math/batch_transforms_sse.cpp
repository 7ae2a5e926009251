// SSE batch transforms of points and normals.
//
// The matrix is held as its four columns; a vector (x, y, z) becomes
// ((C0·x + C1·y) + C2·z) [+ C3], whose lanes are the three results and the
// projective weight, summed in the plain version's order, so with
// contraction off the results are bit-identical to it. Records move through
// memcpy, so strides need not keep floats aligned, and each record is read
// before its result is written, so out may be in.
#include "qxcore/math/code_paths.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstring>

namespace quarn::code_paths {

namespace {

struct columns_t {
  __m128 c0, c1, c2, c3;
};

columns_t load_columns(const mat4* m) {
  columns_t c{_mm_loadu_ps(m->m), _mm_loadu_ps(m->m + 4), _mm_loadu_ps(m->m + 8),
              _mm_loadu_ps(m->m + 12)};
  _MM_TRANSPOSE4_PS(c.c0, c.c1, c.c2, c.c3);
  return c;
}

// Point = true adds the translation column; Divide = true divides by the
// weight lane when it is not zero.
template <bool Point, bool Divide>
void transform3(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                unsigned int out_stride, unsigned int in_stride) {
  if (out == nullptr || in == nullptr || m == nullptr) return;
  const columns_t c = load_columns(m);
  const unsigned char* src = reinterpret_cast<const unsigned char*>(in);
  unsigned char* dst = reinterpret_cast<unsigned char*>(out);
  for (unsigned int n = 0; n < count; ++n, src += in_stride, dst += out_stride) {
    float p[3];
    std::memcpy(p, src, sizeof p);
    __m128 r = _mm_add_ps(_mm_mul_ps(c.c0, _mm_set1_ps(p[0])), _mm_mul_ps(c.c1, _mm_set1_ps(p[1])));
    r = _mm_add_ps(r, _mm_mul_ps(c.c2, _mm_set1_ps(p[2])));
    if constexpr (Point) r = _mm_add_ps(r, c.c3);
    if constexpr (Divide) {
      const __m128 w = _mm_shuffle_ps(r, r, _MM_SHUFFLE(3, 3, 3, 3));
      if (_mm_cvtss_f32(w) != 0.0f) r = _mm_div_ps(r, w);
    }
    float result[4];
    _mm_storeu_ps(result, r);
    std::memcpy(dst, result, 3 * sizeof(float));
  }
}

}  // namespace

void mult_point_matrix_sse(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                           unsigned int out_stride, unsigned int in_stride) {
  transform3<true, true>(out, in, m, count, out_stride, in_stride);
}

void mult_point_matrix_fast_sse(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                unsigned int out_stride, unsigned int in_stride) {
  transform3<true, false>(out, in, m, count, out_stride, in_stride);
}

void mult_normal_matrix_sse(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                            unsigned int out_stride, unsigned int in_stride) {
  transform3<false, true>(out, in, m, count, out_stride, in_stride);
}

void mult_normal_matrix_fast_sse(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                 unsigned int out_stride, unsigned int in_stride) {
  transform3<false, false>(out, in, m, count, out_stride, in_stride);
}

}  // namespace quarn::code_paths

#endif
