// SSE batch transforms of points and normals.
//
// Every lane computes ((m[4i]·x + m[4i+1]·y) + m[4i+2]·z) [+ m[4i+3]] in the
// plain version's order, so with contraction off the results are
// bit-identical to it.
//
// Packed arrays (12-byte records) go four points at a time: three 16-byte
// loads are shuffled into x, y and z vectors, transformed, and shuffled back.
// That path runs only when the output is the input or does not overlap it;
// any other layout goes point by point, each point read before it is
// written. A point is loaded with one 16-byte read when the 4 bytes after it
// are known to lie inside the caller's array (every point but the last, for
// strides of at least 4), and stored with an 8-byte and a 4-byte write, so
// nothing outside the given records is read past the array or written.
#include "qxcore/math/code_paths.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstdint>

namespace quarn::code_paths {

namespace {

struct columns_t {
  __m128 c0, c1, c2, c3;  // the matrix's columns: lane i holds row i
};

columns_t load_columns(const mat4* m) {
  columns_t c{_mm_loadu_ps(m->m), _mm_loadu_ps(m->m + 4), _mm_loadu_ps(m->m + 8),
              _mm_loadu_ps(m->m + 12)};
  _MM_TRANSPOSE4_PS(c.c0, c.c1, c.c2, c.c3);
  return c;
}

// x, y, z of the point at p; lane 3 is whatever follows (unused).
__m128 load_point_wide(const unsigned char* p) {
  return _mm_loadu_ps(reinterpret_cast<const float*>(p));
}
__m128 load_point_exact(const unsigned char* p) {
  const __m128 xy = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(p));
  return _mm_movelh_ps(xy, _mm_load_ss(reinterpret_cast<const float*>(p + 8)));
}
void store_point(unsigned char* p, __m128 v) {
  _mm_storel_pi(reinterpret_cast<__m64*>(p), v);
  _mm_store_ss(reinterpret_cast<float*>(p + 8), _mm_movehl_ps(v, v));
}

template <int Lane>
__m128 splat(__m128 v) {
  return _mm_shuffle_ps(v, v, _MM_SHUFFLE(Lane, Lane, Lane, Lane));
}

// One point: lanes x', y', z' and the weight.
template <bool Point, bool Divide>
__m128 transform_one(const columns_t& c, __m128 p) {
  __m128 r = _mm_add_ps(_mm_mul_ps(c.c0, splat<0>(p)), _mm_mul_ps(c.c1, splat<1>(p)));
  r = _mm_add_ps(r, _mm_mul_ps(c.c2, splat<2>(p)));
  if constexpr (Point) r = _mm_add_ps(r, c.c3);
  if constexpr (Divide) {
    const __m128 w = splat<3>(r);
    if (_mm_cvtss_f32(w) != 0.0f) r = _mm_div_ps(r, w);
  }
  return r;
}

// The matrix as 16 broadcast entries, for the four-point path.
struct splats_t {
  __m128 e[16];
};

splats_t load_splats(const mat4* m) {
  splats_t s;
  for (int i = 0; i < 16; ++i) s.e[i] = _mm_set1_ps(m->m[i]);
  return s;
}

template <bool Point>
__m128 row_of(const splats_t& s, int i, __m128 x, __m128 y, __m128 z) {
  __m128 r = _mm_add_ps(_mm_mul_ps(s.e[4 * i], x), _mm_mul_ps(s.e[4 * i + 1], y));
  r = _mm_add_ps(r, _mm_mul_ps(s.e[4 * i + 2], z));
  if constexpr (Point) r = _mm_add_ps(r, s.e[4 * i + 3]);
  return r;
}

// Four packed points (48 bytes) at a time.
template <bool Point, bool Divide>
void transform_packed4(unsigned char* dst, const unsigned char* src, const mat4* m,
                       unsigned int blocks) {
  const splats_t s = load_splats(m);
  for (unsigned int b = 0; b < blocks; ++b, src += 48, dst += 48) {
    const float* f = reinterpret_cast<const float*>(src);
    const __m128 v0 = _mm_loadu_ps(f), v1 = _mm_loadu_ps(f + 4), v2 = _mm_loadu_ps(f + 8);
    // v0 = x0 y0 z0 x1, v1 = y1 z1 x2 y2, v2 = z2 x3 y3 z3.
    const __m128 x = _mm_shuffle_ps(v0, _mm_shuffle_ps(v1, v2, _MM_SHUFFLE(1, 1, 2, 2)),
                                    _MM_SHUFFLE(2, 0, 3, 0));
    const __m128 y =
        _mm_shuffle_ps(_mm_shuffle_ps(v0, v1, _MM_SHUFFLE(0, 0, 1, 1)),
                       _mm_shuffle_ps(v1, v2, _MM_SHUFFLE(2, 2, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 z =
        _mm_shuffle_ps(_mm_shuffle_ps(v0, v1, _MM_SHUFFLE(1, 1, 2, 2)),
                       _mm_shuffle_ps(v2, v2, _MM_SHUFFLE(3, 3, 0, 0)), _MM_SHUFFLE(2, 0, 2, 0));
    __m128 rx = row_of<Point>(s, 0, x, y, z);
    __m128 ry = row_of<Point>(s, 1, x, y, z);
    __m128 rz = row_of<Point>(s, 2, x, y, z);
    if constexpr (Divide) {
      const __m128 w = row_of<Point>(s, 3, x, y, z);
      // Lanes whose weight is 0 keep the undivided value.
      const __m128 keep = _mm_cmpeq_ps(w, _mm_setzero_ps());
      auto divided = [&](__m128 v) {
        return _mm_or_ps(_mm_and_ps(keep, v), _mm_andnot_ps(keep, _mm_div_ps(v, w)));
      };
      rx = divided(rx), ry = divided(ry), rz = divided(rz);
    }
    // Back to x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3.
    const __m128 w0 =
        _mm_shuffle_ps(_mm_unpacklo_ps(rx, ry), _mm_shuffle_ps(rz, rx, _MM_SHUFFLE(1, 1, 0, 0)),
                       _MM_SHUFFLE(2, 0, 1, 0));
    const __m128 w1 = _mm_shuffle_ps(_mm_shuffle_ps(ry, rz, _MM_SHUFFLE(1, 1, 1, 1)),
                                     _mm_unpackhi_ps(rx, ry), _MM_SHUFFLE(1, 0, 2, 0));
    const __m128 w2 =
        _mm_shuffle_ps(_mm_shuffle_ps(rz, rx, _MM_SHUFFLE(3, 3, 2, 2)),
                       _mm_shuffle_ps(ry, rz, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0));
    float* o = reinterpret_cast<float*>(dst);
    _mm_storeu_ps(o, w0);
    _mm_storeu_ps(o + 4, w1);
    _mm_storeu_ps(o + 8, w2);
  }
}

bool disjoint_or_same(const void* a, const void* b, std::size_t bytes) {
  const auto pa = reinterpret_cast<std::uintptr_t>(a), pb = reinterpret_cast<std::uintptr_t>(b);
  return pa == pb || pa + bytes <= pb || pb + bytes <= pa;
}

template <bool Point, bool Divide>
void transform3(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                unsigned int out_stride, unsigned int in_stride) {
  if (out == nullptr || in == nullptr || m == nullptr || count == 0) return;
  const unsigned char* src = reinterpret_cast<const unsigned char*>(in);
  unsigned char* dst = reinterpret_cast<unsigned char*>(out);
  unsigned int done = 0;
  if (in_stride == 12 && out_stride == 12 && disjoint_or_same(out, in, std::size_t(count) * 12)) {
    done = count / 4 * 4;
    transform_packed4<Point, Divide>(dst, src, m, count / 4);
    src += std::size_t(done) * 12;
    dst += std::size_t(done) * 12;
  }
  const columns_t c = load_columns(m);
  const bool wide = in_stride >= 4;
  for (unsigned int n = done; n < count; ++n, src += in_stride, dst += out_stride) {
    const __m128 p = wide && n + 1 < count ? load_point_wide(src) : load_point_exact(src);
    store_point(dst, transform_one<Point, Divide>(c, p));
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
