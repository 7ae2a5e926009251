// Plain block copy and 32-bit word fill/copy, in portable C++.
#include "qxcore/sys/block_copy.h"

#include <cstdint>
#include <cstring>

#include "qxcore/core/messages.h"

namespace quarn::block_copy {

bool refuse_null(const void* dst, const void* src, const char* routine) {
  if (dst != nullptr && src != nullptr) return false;
  error("[sys] %s: null buffer", routine);
  return true;
}

void* mm_memcpy_plain(void* dst, const void* src, unsigned int n) {
  if (n == 0 || refuse_null(dst, src, "mm_memcpy")) return dst;
  auto* d = static_cast<unsigned char*>(dst);
  const auto* s = static_cast<const unsigned char*>(src);
  for (; n >= 4; n -= 4, d += 4, s += 4) {
    std::uint32_t word;
    std::memcpy(&word, s, 4);
    std::memcpy(d, &word, 4);
  }
  while (n-- != 0) *d++ = *s++;
  return dst;
}

void memset32b_plain(void* dst, unsigned int value, unsigned int count) {
  if (count == 0 || refuse_null(dst, &value, "memset32b")) return;
  auto* d = static_cast<unsigned char*>(dst);
  const std::uint32_t word = value;
  for (; count != 0; --count, d += 4) std::memcpy(d, &word, 4);
}

void memcpy32b_plain(void* dst, const void* src, unsigned int count) {
  if (count == 0 || refuse_null(dst, src, "memcpy32b")) return;
  auto* d = static_cast<unsigned char*>(dst);
  const auto* s = static_cast<const unsigned char*>(src);
  for (; count != 0; --count, d += 4, s += 4) {
    std::uint32_t word;
    std::memcpy(&word, s, 4);
    std::memcpy(d, &word, 4);
  }
}

}  // namespace quarn::block_copy
