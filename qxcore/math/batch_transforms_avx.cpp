// AVX point and normal transforms of packed arrays: eight points per step,
// as two four-point blocks side by side in the two 128-bit halves (AVX
// shuffles stay within halves, so the SSE block transposition carries over
// unchanged). Bound only when the processor has AVX; compiled for AVX by a
// function attribute. Without fused multiply-add every lane is the plain
// version's sum in its order: the results are bit-identical.
//
// Only packed arrays whose output is the input or does not overlap it take
// this path; the remainder and every other layout go to the SSE versions.
#include "qxcore/math/code_paths.h"

#if defined(QX_MATH_HAS_AVX)

#include <immintrin.h>

#include <cstdint>

namespace quarn::code_paths {

namespace {

#define QX_AVX __attribute__((target("avx")))

QX_AVX inline __m256 load_halves(const float* lo, const float* hi) {
  return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(lo)), _mm_loadu_ps(hi), 1);
}

QX_AVX inline void store_halves(float* lo, float* hi, __m256 v) {
  _mm_storeu_ps(lo, _mm256_castps256_ps128(v));
  _mm_storeu_ps(hi, _mm256_extractf128_ps(v, 1));
}

template <bool Point>
QX_AVX inline __m256 row_of(const float* m, int i, __m256 x, __m256 y, __m256 z) {
  __m256 r = _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(m[4 * i]), x),
                           _mm256_mul_ps(_mm256_set1_ps(m[4 * i + 1]), y));
  r = _mm256_add_ps(r, _mm256_mul_ps(_mm256_set1_ps(m[4 * i + 2]), z));
  if constexpr (Point) r = _mm256_add_ps(r, _mm256_set1_ps(m[4 * i + 3]));
  return r;
}

template <bool Point, bool Divide>
QX_AVX void transform_packed8(float* dst, const float* src, const float* m, unsigned int blocks) {
  for (unsigned int b = 0; b < blocks; ++b, src += 24, dst += 24) {
    // Per half: v0 = x0 y0 z0 x1, v1 = y1 z1 x2 y2, v2 = z2 x3 y3 z3.
    const __m256 v0 = load_halves(src, src + 12);
    const __m256 v1 = load_halves(src + 4, src + 16);
    const __m256 v2 = load_halves(src + 8, src + 20);
    const __m256 x = _mm256_shuffle_ps(v0, _mm256_shuffle_ps(v1, v2, _MM_SHUFFLE(1, 1, 2, 2)),
                                       _MM_SHUFFLE(2, 0, 3, 0));
    const __m256 y = _mm256_shuffle_ps(_mm256_shuffle_ps(v0, v1, _MM_SHUFFLE(0, 0, 1, 1)),
                                       _mm256_shuffle_ps(v1, v2, _MM_SHUFFLE(2, 2, 3, 3)),
                                       _MM_SHUFFLE(2, 0, 2, 0));
    const __m256 z = _mm256_shuffle_ps(_mm256_shuffle_ps(v0, v1, _MM_SHUFFLE(1, 1, 2, 2)),
                                       _mm256_shuffle_ps(v2, v2, _MM_SHUFFLE(3, 3, 0, 0)),
                                       _MM_SHUFFLE(2, 0, 2, 0));
    __m256 rx = row_of<Point>(m, 0, x, y, z);
    __m256 ry = row_of<Point>(m, 1, x, y, z);
    __m256 rz = row_of<Point>(m, 2, x, y, z);
    if constexpr (Divide) {
      const __m256 w = row_of<Point>(m, 3, x, y, z);
      const __m256 keep = _mm256_cmp_ps(w, _mm256_setzero_ps(), _CMP_EQ_OQ);
      rx = _mm256_blendv_ps(_mm256_div_ps(rx, w), rx, keep);
      ry = _mm256_blendv_ps(_mm256_div_ps(ry, w), ry, keep);
      rz = _mm256_blendv_ps(_mm256_div_ps(rz, w), rz, keep);
    }
    const __m256 w0 = _mm256_shuffle_ps(_mm256_unpacklo_ps(rx, ry),
                                        _mm256_shuffle_ps(rz, rx, _MM_SHUFFLE(1, 1, 0, 0)),
                                        _MM_SHUFFLE(2, 0, 1, 0));
    const __m256 w1 = _mm256_shuffle_ps(_mm256_shuffle_ps(ry, rz, _MM_SHUFFLE(1, 1, 1, 1)),
                                        _mm256_unpackhi_ps(rx, ry), _MM_SHUFFLE(1, 0, 2, 0));
    const __m256 w2 = _mm256_shuffle_ps(_mm256_shuffle_ps(rz, rx, _MM_SHUFFLE(3, 3, 2, 2)),
                                        _mm256_shuffle_ps(ry, rz, _MM_SHUFFLE(3, 3, 3, 3)),
                                        _MM_SHUFFLE(2, 0, 2, 0));
    store_halves(dst, dst + 12, w0);
    store_halves(dst + 4, dst + 16, w1);
    store_halves(dst + 8, dst + 20, w2);
  }
}

using sse_fn = void (*)(vec3*, const vec3*, const mat4*, unsigned int, unsigned int, unsigned int);

// The packed bulk here, everything else by the SSE version.
template <bool Point, bool Divide>
void transform3(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                unsigned int out_stride, unsigned int in_stride, sse_fn rest) {
  if (out == nullptr || in == nullptr || m == nullptr || count == 0) return;
  const auto po = reinterpret_cast<std::uintptr_t>(out), pi = reinterpret_cast<std::uintptr_t>(in);
  const std::size_t bytes = std::size_t(count) * 12;
  const bool separate = po == pi || po + bytes <= pi || pi + bytes <= po;
  unsigned int done = 0;
  if (in_stride == 12 && out_stride == 12 && separate && count >= 8) {
    float matrix[16];
    for (int i = 0; i < 16; ++i) matrix[i] = m->m[i];
    done = count / 8 * 8;
    transform_packed8<Point, Divide>(reinterpret_cast<float*>(out),
                                     reinterpret_cast<const float*>(in), matrix, count / 8);
  }
  if (done < count)
    rest(reinterpret_cast<vec3*>(reinterpret_cast<unsigned char*>(out) +
                                 std::size_t(done) * out_stride),
         reinterpret_cast<const vec3*>(reinterpret_cast<const unsigned char*>(in) +
                                       std::size_t(done) * in_stride),
         m, count - done, out_stride, in_stride);
}

}  // namespace

void mult_point_matrix_avx(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                           unsigned int out_stride, unsigned int in_stride) {
  transform3<true, true>(out, in, m, count, out_stride, in_stride, mult_point_matrix_sse);
}

void mult_point_matrix_fast_avx(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                unsigned int out_stride, unsigned int in_stride) {
  transform3<true, false>(out, in, m, count, out_stride, in_stride, mult_point_matrix_fast_sse);
}

void mult_normal_matrix_avx(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                            unsigned int out_stride, unsigned int in_stride) {
  transform3<false, true>(out, in, m, count, out_stride, in_stride, mult_normal_matrix_sse);
}

void mult_normal_matrix_fast_avx(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                 unsigned int out_stride, unsigned int in_stride) {
  transform3<false, false>(out, in, m, count, out_stride, in_stride, mult_normal_matrix_fast_sse);
}

}  // namespace quarn::code_paths

#endif
