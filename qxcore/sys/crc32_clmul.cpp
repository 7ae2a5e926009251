// CRC-32 by carry-less multiplication: 16-byte blocks are folded forward
// with PCLMULQDQ (a block B followed by d bits equals B * x^d mod P, split
// into two 64-bit halves times precomputed remainders), four blocks in flight;
// the last folded block and the tail go through the tables.
#include <cpuid.h>
#include <emmintrin.h>
#include <wmmintrin.h>

#include "qxcore/sys/checksum_paths.h"

namespace quarn::checksum_paths {

namespace {

// x^e mod P for the normal (unreflected) polynomial 0x104C11DB7.
constexpr unsigned int x_power_mod(unsigned int e) {
  unsigned long long r = 1;
  for (unsigned int i = 0; i < e; ++i) {
    r <<= 1;
    if (r & 0x100000000ull) r ^= 0x104C11DB7ull;
  }
  return static_cast<unsigned int>(r);
}

constexpr unsigned int reflect32(unsigned int v) {
  unsigned int r = 0;
  for (int i = 0; i < 32; ++i) r |= ((v >> i) & 1u) << (31 - i);
  return r;
}

// With bytes loaded little-endian, a lane holds its polynomial bit-reversed,
// and the carry-less product of two reversed factors comes out reversed and
// multiplied by x. Folding a 128-bit block d bits ahead therefore multiplies
// its upper-degree lane by x^(d+31) and its lower-degree lane by x^(d-33),
// each remainder stored reversed in the low 32 bits of a lane.
struct fold_constant_t {
  unsigned long long low_lane, high_lane;
};
constexpr fold_constant_t fold_constant(unsigned int distance) {
  return {reflect32(x_power_mod(distance + 31)), reflect32(x_power_mod(distance - 33))};
}

constexpr fold_constant_t FOLD_128 = fold_constant(128);
constexpr fold_constant_t FOLD_512 = fold_constant(512);

__attribute__((target("pclmul,sse2"))) inline __m128i fold(__m128i block, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(block, k, 0x00), _mm_clmulepi64_si128(block, k, 0x11));
}

inline __m128i load(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

bool crc32_clmul_supported() {
  unsigned int eax, ebx, ecx, edx;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
  return (ecx & bit_PCLMUL) != 0 && (edx & bit_SSE2) != 0;
}

__attribute__((target("pclmul,sse2"))) unsigned int crc32_update_clmul(unsigned int reg,
                                                                       const unsigned char* p,
                                                                       std::size_t n) {
  if (n < 64) return crc32_update_tables(reg, p, n);

  const __m128i k512 = _mm_set_epi64x(static_cast<long long>(FOLD_512.high_lane),
                                      static_cast<long long>(FOLD_512.low_lane));
  const __m128i k128 = _mm_set_epi64x(static_cast<long long>(FOLD_128.high_lane),
                                      static_cast<long long>(FOLD_128.low_lane));
  // The running register joins the message as an XOR over its first 32 bits.
  __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
  __m128i x1 = load(p + 16), x2 = load(p + 32), x3 = load(p + 48);
  p += 64;
  n -= 64;
  for (; n >= 64; n -= 64, p += 64) {
    x0 = _mm_xor_si128(fold(x0, k512), load(p));
    x1 = _mm_xor_si128(fold(x1, k512), load(p + 16));
    x2 = _mm_xor_si128(fold(x2, k512), load(p + 32));
    x3 = _mm_xor_si128(fold(x3, k512), load(p + 48));
  }
  __m128i x = _mm_xor_si128(fold(x0, k128), x1);
  x = _mm_xor_si128(fold(x, k128), x2);
  x = _mm_xor_si128(fold(x, k128), x3);
  for (; n >= 16; n -= 16, p += 16) x = _mm_xor_si128(fold(x, k128), load(p));

  // The remaining block is a message of its own whose register starts at 0.
  alignas(16) unsigned char last[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(last), x);
  return crc32_update_tables(crc32_update_tables(0, last, 16), p, n);
}

}  // namespace quarn::checksum_paths
