// Block copy with SSE2. Short copies move overlapping 16-byte pieces without
// a loop; longer ones align the destination to 16 bytes; mid sizes go to REP
// MOVSB where the processor makes it fast (it moves whole lines internally);
// copies larger than most of the last-level cache use streaming stores, so
// they do not evict everything the caller had cached.
#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "qxcore/sys/block_copy.h"
#include "qxcore/sys/cpu_probe.h"

namespace quarn::block_copy {

namespace {

constinit copy_thresholds_t active = {0, 0};

inline __m128i load(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void store(unsigned char* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
inline void store_aligned(unsigned char* p, __m128i v) {
  _mm_store_si128(reinterpret_cast<__m128i*>(p), v);
}

template <class T>
inline void copy_pair(unsigned char* d, const unsigned char* s, std::size_t n) {
  T first, last;
  std::memcpy(&first, s, sizeof(T));
  std::memcpy(&last, s + n - sizeof(T), sizeof(T));
  std::memcpy(d, &first, sizeof(T));
  std::memcpy(d + n - sizeof(T), &last, sizeof(T));
}

// Fewer than 16 bytes: two overlapping words cover every length.
__attribute__((always_inline)) inline void copy_short(unsigned char* d, const unsigned char* s,
                                                      std::size_t n) {
  if (n >= 8) {
    copy_pair<std::uint64_t>(d, s, n);
  } else if (n >= 4) {
    copy_pair<std::uint32_t>(d, s, n);
  } else if (n != 0) {
    unsigned char first = s[0], middle = s[n / 2], last = s[n - 1];
    d[0] = first;
    d[n / 2] = middle;
    d[n - 1] = last;
  }
}

// More than 64 bytes: an unaligned first piece, aligned 64-byte steps, and
// the last 64 bytes again unaligned (overlapping what the loop wrote).
template <bool STREAMING>
void copy_long(unsigned char* d, const unsigned char* s, std::size_t n) {
  store(d, load(s));
  std::size_t skip = 16 - (reinterpret_cast<std::uintptr_t>(d) & 15);
  unsigned char* p = d + skip;
  const unsigned char* q = s + skip;
  std::size_t left = n - skip;
  for (; left >= 64; left -= 64, p += 64, q += 64) {
    if constexpr (STREAMING) _mm_prefetch(reinterpret_cast<const char*>(q) + 1024, _MM_HINT_NTA);
    __m128i a = load(q), b = load(q + 16), c = load(q + 32), e = load(q + 48);
    if constexpr (STREAMING) {
      _mm_stream_si128(reinterpret_cast<__m128i*>(p), a);
      _mm_stream_si128(reinterpret_cast<__m128i*>(p + 16), b);
      _mm_stream_si128(reinterpret_cast<__m128i*>(p + 32), c);
      _mm_stream_si128(reinterpret_cast<__m128i*>(p + 48), e);
    } else {
      store_aligned(p, a);
      store_aligned(p + 16, b);
      store_aligned(p + 32, c);
      store_aligned(p + 48, e);
    }
  }
  // Streamed lines must be visible before the caller reads the copy.
  if constexpr (STREAMING) _mm_sfence();
  if (left != 0) {
    const unsigned char* tail = s + n - 64;
    __m128i a = load(tail), b = load(tail + 16), c = load(tail + 32), e = load(tail + 48);
    store(d + n - 64, a);
    store(d + n - 48, b);
    store(d + n - 32, c);
    store(d + n - 16, e);
  }
}

// REP MOVSB runs fastest into a line-aligned destination: the first 64 bytes
// go by SSE2, the rest from the next 64-byte boundary.
inline void copy_rep_movsb(unsigned char* d, const unsigned char* s, std::size_t n) {
#if defined(__x86_64__) || defined(__i386__)
  __m128i a = load(s), b = load(s + 16), c = load(s + 32), e = load(s + 48);
  store(d, a);
  store(d + 16, b);
  store(d + 32, c);
  store(d + 48, e);
  std::size_t skip = 64 - (reinterpret_cast<std::uintptr_t>(d) & 63);
  d += skip;
  s += skip;
  n -= skip;
  asm volatile("rep movsb" : "+D"(d), "+S"(s), "+c"(n) : : "memory");
#else
  copy_long<false>(d, s, n);
#endif
}

// Up to 128 bytes without a loop; the tests are ordered so that the common
// lengths meet few of them.
__attribute__((always_inline)) inline void copy_small(unsigned char* d, const unsigned char* s,
                                                      std::size_t n) {
  if (n <= 32) {
    if (n >= 16) {
      __m128i a = load(s), b = load(s + n - 16);
      store(d, a);
      store(d + n - 16, b);
    } else {
      copy_short(d, s, n);
    }
  } else if (n <= 64) {
    __m128i a = load(s), b = load(s + 16), c = load(s + n - 32), e = load(s + n - 16);
    store(d, a);
    store(d + 16, b);
    store(d + n - 32, c);
    store(d + n - 16, e);
  } else {
    __m128i a = load(s), b = load(s + 16), c = load(s + 32), e = load(s + 48);
    __m128i f = load(s + n - 64), g = load(s + n - 48), h = load(s + n - 32), i = load(s + n - 16);
    store(d, a);
    store(d + 16, b);
    store(d + 32, c);
    store(d + 48, e);
    store(d + n - 64, f);
    store(d + n - 48, g);
    store(d + n - 32, h);
    store(d + n - 16, i);
  }
}

void* copy_large(unsigned char* d, const unsigned char* s, std::size_t n,
                 const copy_thresholds_t& thresholds) {
  if (thresholds.streaming_from != 0 && n >= thresholds.streaming_from) {
    copy_long<true>(d, s, n);
  } else if (thresholds.rep_movsb_from != 0 && n >= thresholds.rep_movsb_from) {
    copy_rep_movsb(d, s, n);
  } else {
    copy_long<false>(d, s, n);
  }
  return d;
}

__attribute__((noinline, cold)) void* refuse_copy(void* dst, const void* src, unsigned int n) {
  if (n != 0) refuse_null(dst, src, "mm_memcpy");
  return dst;
}

}  // namespace

void set_copy_thresholds(const copy_thresholds_t& thresholds) { active = thresholds; }

copy_thresholds_t default_copy_thresholds() {
  copy_thresholds_t t;
  // Below 2 KiB the start-up cost of REP MOVSB outweighs its wider moves.
  t.rep_movsb_from = cpu_probe::has_fast_rep_movsb() ? 2048 : 0;
  // Streaming pays off once the copy would push most of the cache out.
  std::size_t cache = cpu_probe::last_level_cache_bytes();
  t.streaming_from = cache != 0 ? cache / 4 * 3 : std::size_t{8} << 20;
  return t;
}

void* copy_sse2(void* dst, const void* src, std::size_t n, const copy_thresholds_t& thresholds) {
  auto* d = static_cast<unsigned char*>(dst);
  const auto* s = static_cast<const unsigned char*>(src);
  if (n > 128) return copy_large(d, s, n, thresholds);
  copy_small(d, s, n);
  return dst;
}

// Short copies are the common case: they pay for nothing but their size test
// (the other paths are tail calls).
void* mm_memcpy_sse2(void* dst, const void* src, unsigned int n) {
  const bool missing = (dst == nullptr) | (src == nullptr);
  if (__builtin_expect(missing, 0)) return refuse_copy(dst, src, n);
  auto* d = static_cast<unsigned char*>(dst);
  const auto* s = static_cast<const unsigned char*>(src);
  if (n > 128) return copy_large(d, s, n, active);
  copy_small(d, s, n);
  return dst;
}

}  // namespace quarn::block_copy
