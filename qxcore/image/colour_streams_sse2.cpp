// The pixel-stream routines with SSE2, four pixels per step; the last one to
// three pixels go through the same vector code via a small scratch block, so
// every pixel is computed the same way.
#include <emmintrin.h>

#include <cstring>

#include "qxcore/image/colour_stream_paths.h"

namespace quarn::colour_stream_paths {

namespace {

inline __m128i load(const unsigned int* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void store(unsigned int* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

template <class Op>
inline void run(unsigned int* destination, const unsigned int* a, const unsigned int* b,
                unsigned int count, Op op) {
  unsigned int i = 0;
  for (; i + 4 <= count; i += 4) store(destination + i, op(load(a + i), load(b + i)));
  if (i == count) return;
  const std::size_t bytes = (count - i) * sizeof(unsigned int);
  alignas(16) unsigned int last_a[4] = {}, last_b[4] = {}, last_result[4];
  std::memcpy(last_a, a + i, bytes);
  std::memcpy(last_b, b + i, bytes);
  store(last_result, op(load(last_a), load(last_b)));
  std::memcpy(destination + i, last_result, bytes);
}

// (x_i * y_i) >> 8 per byte: the 16-bit products are exact (at most 65025).
inline __m128i scale(__m128i x, __m128i y) {
  const __m128i zero = _mm_setzero_si128();
  __m128i low =
      _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(x, zero), _mm_unpacklo_epi8(y, zero)), 8);
  __m128i high =
      _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(x, zero), _mm_unpackhi_epi8(y, zero)), 8);
  return _mm_packus_epi16(low, high);
}

// x_i + min((y_i * factor) >> 8, 255) for eight 16-bit lanes. The product has
// up to 24 bits: its middle 16 come from the high and low halves of the
// multiply, and a saturating subtraction caps them at 255 before the add.
inline __m128i scaled_add_half(__m128i x16, __m128i y16, __m128i factor) {
  __m128i product_low = _mm_mullo_epi16(y16, factor);
  __m128i product_high = _mm_mulhi_epu16(y16, factor);
  __m128i shifted = _mm_or_si128(_mm_slli_epi16(product_high, 8), _mm_srli_epi16(product_low, 8));
  __m128i capped = _mm_sub_epi16(shifted, _mm_subs_epu16(shifted, _mm_set1_epi16(255)));
  return _mm_add_epi16(x16, capped);
}

inline __m128i scaled_add(__m128i x, __m128i y, __m128i factor) {
  const __m128i zero = _mm_setzero_si128();
  __m128i low = scaled_add_half(_mm_unpacklo_epi8(x, zero), _mm_unpacklo_epi8(y, zero), factor);
  __m128i high = scaled_add_half(_mm_unpackhi_epi8(x, zero), _mm_unpackhi_epi8(y, zero), factor);
  return _mm_packus_epi16(low, high);  // sums up to 510 saturate to 255
}

inline __m128i factor_vector(unsigned int factor) {
  return _mm_set1_epi16(static_cast<short>(factor > MAX_FACTOR ? MAX_FACTOR : factor));
}

}  // namespace

void rgb_stream_add_sse2(unsigned int* destination, const unsigned int* a, const unsigned int* b,
                         unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_add")) return;
  run(destination, a, b, count, [](__m128i x, __m128i y) { return _mm_adds_epu8(x, y); });
}

void rgb_stream_add_noalpha_sse2(unsigned int* destination, const unsigned int* a,
                                 const unsigned int* b, unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_add_noalpha")) return;
  const __m128i mask = _mm_set1_epi32(static_cast<int>(NO_ALPHA));
  run(destination, a, b, count,
      [mask](__m128i x, __m128i y) { return _mm_adds_epu8(x, _mm_and_si128(y, mask)); });
}

void rgb_stream_scale_sse2(unsigned int* destination, const unsigned int* a, const unsigned int* b,
                           unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_scale")) return;
  run(destination, a, b, count, [](__m128i x, __m128i y) { return scale(x, y); });
}

void rgb_stream_scale_const_sse2(unsigned int* destination, const unsigned int* a,
                                 unsigned int colour, unsigned int count) {
  if (refuse_null(destination, a, a, count, "rgb_stream_scale_const")) return;
  const __m128i c = _mm_set1_epi32(static_cast<int>(colour));
  run(destination, a, a, count, [c](__m128i x, __m128i) { return scale(x, c); });
}

void rgb_stream_scaled_add_sse2(unsigned int* destination, const unsigned int* a,
                                const unsigned int* b, unsigned int factor, unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_scaled_add")) return;
  const __m128i f = factor_vector(factor);
  run(destination, a, b, count, [f](__m128i x, __m128i y) { return scaled_add(x, y, f); });
}

void rgb_stream_scaled_add_noalpha_sse2(unsigned int* destination, const unsigned int* a,
                                        const unsigned int* b, unsigned int factor,
                                        unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_scaled_add_noalpha")) return;
  const __m128i f = factor_vector(factor);
  const __m128i mask = _mm_set1_epi32(static_cast<int>(NO_ALPHA));
  run(destination, a, b, count,
      [f, mask](__m128i x, __m128i y) { return scaled_add(x, _mm_and_si128(y, mask), f); });
}

}  // namespace quarn::colour_stream_paths
