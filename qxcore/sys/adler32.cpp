// Adler-32: the public entry point over the bound update.
#include "qxcore/sys/checksum_paths.h"
#include "qxcore/sys/checksums.h"

namespace quarn {

namespace checksum_paths {
constinit adler32_update_fn adler32_update = adler32_update_plain;
}

void adler32_t::compute(const void* data, unsigned int size) {
  if (data == nullptr || size == 0) return;
  // Sums a caller set by hand may exceed the modulus; reduced, every code
  // path gives the same result and none can overflow.
  low_sum %= 65521;
  high_sum %= 65521;
  checksum_paths::adler32_update(&low_sum, &high_sum, static_cast<const unsigned char*>(data),
                                 size);
}

}  // namespace quarn
