// Butterfly passes of the radix-2 transform. Stages are taken two at a time
// (stage m and 2m on blocks of 4m values), so each pass over the data does
// the work of two; an odd stage left over runs alone. Two neighbouring
// butterflies share one SSE register; a plain build does the same lane by
// lane.
#include "qxcore/math/fft_passes.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quarn::fft_detail {

namespace {

#if defined(__SSE2__)

// Two consecutive complex values.
struct pair_t {
  __m128 v;
};
inline pair_t load(const cfloat* p) { return {_mm_loadu_ps(&p->re)}; }
inline void store(cfloat* p, pair_t a) { _mm_storeu_ps(&p->re, a.v); }
inline pair_t operator+(pair_t a, pair_t b) { return {_mm_add_ps(a.v, b.v)}; }
inline pair_t operator-(pair_t a, pair_t b) { return {_mm_sub_ps(a.v, b.v)}; }

// Two factors laid out for multiplication: (re, re) and (−im, im) of each.
struct factors_t {
  __m128 re, im;
};
inline factors_t make_factors(const cfloat& w0, const cfloat& w1) {
  const __m128 w = _mm_setr_ps(w0.re, w0.im, w1.re, w1.im);
  const __m128 negate_first = _mm_setr_ps(-0.0f, 0.0f, -0.0f, 0.0f);
  return {_mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 0, 0)),
          _mm_xor_ps(_mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 1, 1)), negate_first)};
}
// x·w value by value: (xr·wr − xi·wi, xi·wr + xr·wi).
inline pair_t operator*(pair_t x, const factors_t& w) {
  const __m128 swapped = _mm_shuffle_ps(x.v, x.v, _MM_SHUFFLE(2, 3, 0, 1));
  return {_mm_add_ps(_mm_mul_ps(x.v, w.re), _mm_mul_ps(swapped, w.im))};
}

// Multiplication by s·i (s = ±1) exchanges the parts and negates one.
struct quarter_turn_t {
  __m128 sign;
};
inline quarter_turn_t make_quarter_turn(bool positive) {
  // +i·(a + bi) = −b + ai; −i·(a + bi) = b − ai.
  return {positive ? _mm_setr_ps(-0.0f, 0.0f, -0.0f, 0.0f) : _mm_setr_ps(0.0f, -0.0f, 0.0f, -0.0f)};
}
inline pair_t operator*(pair_t x, const quarter_turn_t& q) {
  return {_mm_xor_ps(_mm_shuffle_ps(x.v, x.v, _MM_SHUFFLE(2, 3, 0, 1)), q.sign)};
}

// The first two stages on four values p = (x0, x1), q = (x2, x3): no factors
// but 1 and s·i.
inline void first_two_stages(cfloat* x, bool positive) {
  const __m128 p = _mm_loadu_ps(&x[0].re), q = _mm_loadu_ps(&x[2].re);
  const __m128 negate_upper = _mm_setr_ps(0.0f, 0.0f, -0.0f, -0.0f);
  // (x0 + x1, x0 − x1) and (x2 + x3, x2 − x3)
  const __m128 r = _mm_add_ps(_mm_movelh_ps(p, p), _mm_xor_ps(_mm_movehl_ps(p, p), negate_upper));
  __m128 u = _mm_add_ps(_mm_movelh_ps(q, q), _mm_xor_ps(_mm_movehl_ps(q, q), negate_upper));
  // (x2 + x3, s·i·(x2 − x3))
  u = _mm_xor_ps(
      _mm_shuffle_ps(u, u, _MM_SHUFFLE(2, 3, 1, 0)),
      positive ? _mm_setr_ps(0.0f, 0.0f, -0.0f, 0.0f) : _mm_setr_ps(0.0f, 0.0f, 0.0f, -0.0f));
  _mm_storeu_ps(&x[0].re, _mm_add_ps(r, u));
  _mm_storeu_ps(&x[2].re, _mm_sub_ps(r, u));
}

#else  // plain lanes, same arithmetic

struct pair_t {
  cfloat c[2];
};
inline pair_t load(const cfloat* p) { return {{p[0], p[1]}}; }
inline void store(cfloat* p, pair_t a) { p[0] = a.c[0], p[1] = a.c[1]; }
inline pair_t operator+(pair_t a, pair_t b) {
  return {{{a.c[0].re + b.c[0].re, a.c[0].im + b.c[0].im},
           {a.c[1].re + b.c[1].re, a.c[1].im + b.c[1].im}}};
}
inline pair_t operator-(pair_t a, pair_t b) {
  return {{{a.c[0].re - b.c[0].re, a.c[0].im - b.c[0].im},
           {a.c[1].re - b.c[1].re, a.c[1].im - b.c[1].im}}};
}
struct factors_t {
  cfloat w[2];
};
inline factors_t make_factors(const cfloat& w0, const cfloat& w1) { return {{w0, w1}}; }
inline pair_t operator*(pair_t x, const factors_t& f) {
  pair_t r;
  for (int i = 0; i < 2; ++i) {
    const cfloat a = x.c[i], w = f.w[i];
    r.c[i] = {a.re * w.re + -(a.im * w.im), a.im * w.re + a.re * w.im};
  }
  return r;
}
struct quarter_turn_t {
  bool positive;
};
inline quarter_turn_t make_quarter_turn(bool positive) { return {positive}; }
inline pair_t operator*(pair_t x, const quarter_turn_t& q) {
  pair_t r;
  for (int i = 0; i < 2; ++i)
    r.c[i] = q.positive ? cfloat{-x.c[i].im, x.c[i].re} : cfloat{x.c[i].im, -x.c[i].re};
  return r;
}
inline void first_two_stages(cfloat* x, bool positive) {
  const cfloat a = {x[0].re + x[1].re, x[0].im + x[1].im};
  const cfloat b = {x[0].re - x[1].re, x[0].im - x[1].im};
  const cfloat c = {x[2].re + x[3].re, x[2].im + x[3].im};
  const cfloat d0 = {x[2].re - x[3].re, x[2].im - x[3].im};
  const cfloat d = positive ? cfloat{-d0.im, d0.re} : cfloat{d0.im, -d0.re};
  x[0] = {a.re + c.re, a.im + c.im};
  x[1] = {b.re + d.re, b.im + d.im};
  x[2] = {a.re - c.re, a.im - c.im};
  x[3] = {b.re - d.re, b.im - d.im};
}

#endif

// Factors are prepared for this many butterflies at a time; a pass walks
// the blocks once per chunk, so the chunk's data stays in cache.
constexpr std::size_t CHUNK = 128;

// One stage m (m ≥ 2) on its own: blocks of 2m values.
void radix2_pass(cfloat* x, std::size_t n, std::size_t m, const cfloat* table, std::size_t stride) {
  factors_t w[CHUNK / 2];
  for (std::size_t k0 = 0; k0 < m; k0 += CHUNK) {
    const std::size_t k1 = m - k0 < CHUNK ? m : k0 + CHUNK;
    for (std::size_t k = k0; k < k1; k += 2)
      w[(k - k0) / 2] = make_factors(table[k * stride], table[(k + 1) * stride]);
    for (std::size_t block = 0; block < n; block += 2 * m) {
      cfloat* a = x + block;
      cfloat* b = a + m;
      for (std::size_t k = k0; k < k1; k += 2) {
        const pair_t p = load(a + k), u = load(b + k) * w[(k - k0) / 2];
        store(a + k, p + u);
        store(b + k, p - u);
      }
    }
  }
}

// Stages m and 2m together (m ≥ 2) on blocks of 4m values: the quarter
// blocks a, b, c, d first pair as (a, b) and (c, d) with the factors of
// stage m, then as (a, c) and (b, d) with those of stage 2m, where b's
// factor is c's turned by s·i.
void radix4_pass(cfloat* x, std::size_t n, std::size_t m, const cfloat* table, std::size_t stride,
                 bool positive) {
  struct two_stages_t {
    factors_t inner, outer;
  };
  two_stages_t w[CHUNK / 2];
  const quarter_turn_t turn = make_quarter_turn(positive);
  for (std::size_t k0 = 0; k0 < m; k0 += CHUNK) {
    const std::size_t k1 = m - k0 < CHUNK ? m : k0 + CHUNK;
    for (std::size_t k = k0; k < k1; k += 2)
      w[(k - k0) / 2] = {make_factors(table[2 * k * stride], table[2 * (k + 1) * stride]),
                         make_factors(table[k * stride], table[(k + 1) * stride])};
    for (std::size_t block = 0; block < n; block += 4 * m) {
      cfloat* a = x + block;
      cfloat* b = a + m;
      cfloat* c = b + m;
      cfloat* d = c + m;
      for (std::size_t k = k0; k < k1; k += 2) {
        const two_stages_t& f = w[(k - k0) / 2];
        const pair_t pa = load(a + k), pc = load(c + k);
        const pair_t u = load(b + k) * f.inner, v = load(d + k) * f.inner;
        const pair_t a1 = pa + u, b1 = pa - u, c1 = pc + v, d1 = pc - v;
        const pair_t t = c1 * f.outer, s = (d1 * f.outer) * turn;
        store(a + k, a1 + t);
        store(c + k, a1 - t);
        store(b + k, b1 + s);
        store(d + k, b1 - s);
      }
    }
  }
}

}  // namespace

void butterflies(cfloat* x, unsigned int log2, const cfloat* table, std::size_t table_n,
                 bool positive) {
  const std::size_t n = std::size_t{1} << log2;
  if (log2 == 0) return;
  if (log2 == 1) {
    const cfloat a = x[0], b = x[1];
    x[0] = {a.re + b.re, a.im + b.im};
    x[1] = {a.re - b.re, a.im - b.im};
    return;
  }
  for (std::size_t i = 0; i < n; i += 4) first_two_stages(x + i, positive);
  std::size_t m = 4;
  // Stage m reads entry k·table_n/(2m) for its factor k; the radix-4 pass
  // is given the stride of its outer stage 2m.
  if ((log2 - 2) % 2 == 1) {
    radix2_pass(x, n, m, table, table_n / (2 * m));
    m *= 2;
  }
  for (; m < n; m *= 4) radix4_pass(x, n, m, table, table_n / (4 * m), positive);
}

void butterflies_unbuffered(cfloat* x, unsigned int log2, bool positive) {
  const std::size_t n = std::size_t{1} << log2;
  const float sign = positive ? 1.0f : -1.0f;
  for (std::size_t m = 1; m < n; m *= 2) {
    for (std::size_t k = 0; k < m; ++k) {
      const float theta = 6.2831855f * static_cast<float>(k) / static_cast<float>(2 * m);
      const cfloat w = {std::cos(theta), sign * std::sin(theta)};
      for (std::size_t j = k; j < n; j += 2 * m) {
        const cfloat a = x[j], b = x[j + m];
        const cfloat u = {w.re * b.re - w.im * b.im, w.re * b.im + w.im * b.re};
        x[j + m] = {a.re - u.re, a.im - u.im};
        x[j] = {a.re + u.re, a.im + u.im};
      }
    }
  }
}

}  // namespace quarn::fft_detail
