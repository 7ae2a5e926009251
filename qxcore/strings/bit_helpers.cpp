#include "qxcore/strings/bit_helpers.h"

#include <cstring>

namespace quarn {

unsigned int v_bit_scan_forward_impl(unsigned int x) {
  return x == 0 ? 0xFFFFFFFFu : static_cast<unsigned int>(__builtin_ctz(x));
}

unsigned int v_bit_scan_reverse_impl(unsigned int x) {
  return x == 0 ? 0xFFFFFFFFu : 31u - static_cast<unsigned int>(__builtin_clz(x));
}

void v_memset32(void* dst, unsigned int value, unsigned int count) {
  // Byte copies, so `dst` needs no particular alignment.
  unsigned char* out = static_cast<unsigned char*>(dst);
  for (unsigned int i = 0; i < count; ++i) std::memcpy(out + 4 * static_cast<std::size_t>(i), &value, 4);
}

}  // namespace quarn
