// Adler-32 with SSE2: per 16-byte chunk, PSADBW adds the bytes for the low
// sum and PMADDWD weighs them 16..1 for the high sum; the running low sum's
// share of the high sum is collected as a sum of prefix sums. Each block is
// reduced in 64-bit arithmetic, so the result is the scalar one exactly.
#include <emmintrin.h>

#include "qxcore/sys/checksum_paths.h"

namespace quarn::checksum_paths {

namespace {

constexpr unsigned int ADLER_MOD = 65521;
// 32-bit lanes: the prefix sums stay below 347 * 5552 * 255 < 2^32.
constexpr std::size_t BLOCK = 5552 / 16 * 16;

inline unsigned long long lane_sum(__m128i v) {
  alignas(16) unsigned int lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
  return static_cast<unsigned long long>(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
}

}  // namespace

void adler32_update_sse2(unsigned int* low, unsigned int* high, const unsigned char* p,
                         std::size_t n) {
  unsigned long long a = *low, b = *high;
  const __m128i zero = _mm_setzero_si128();
  const __m128i weights_low = _mm_set_epi16(9, 10, 11, 12, 13, 14, 15, 16);
  const __m128i weights_high = _mm_set_epi16(1, 2, 3, 4, 5, 6, 7, 8);
  while (n >= 16) {
    std::size_t block = n < BLOCK ? n / 16 * 16 : BLOCK;
    n -= block;
    __m128i sums = zero, prefix_sums = zero, weighted = zero;
    for (std::size_t left = block; left != 0; left -= 16, p += 16) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      prefix_sums = _mm_add_epi32(prefix_sums, sums);
      sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
      weighted =
          _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), weights_low));
      weighted =
          _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), weights_high));
    }
    b += a * block + 16 * lane_sum(prefix_sums) + lane_sum(weighted);
    a += lane_sum(sums);
    a %= ADLER_MOD;
    b %= ADLER_MOD;
  }
  for (; n != 0; --n) {
    a += *p++;
    b += a;
  }
  *low = static_cast<unsigned int>(a % ADLER_MOD);
  *high = static_cast<unsigned int>(b % ADLER_MOD);
}

}  // namespace quarn::checksum_paths
