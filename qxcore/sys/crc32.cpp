// CRC-32: the public entry points over the bound register update.
#include "qxcore/strings/string.h"
#include "qxcore/sys/checksum_paths.h"
#include "qxcore/sys/checksums.h"

namespace quarn {

namespace checksum_paths {
constinit crc32_update_fn crc32_update = crc32_update_tables;
}

void crc32_t::compute(const void* data, unsigned int size) {
  if (data == nullptr || size == 0) return;
  value = ~checksum_paths::crc32_update(~value, static_cast<const unsigned char*>(data), size);
}

void crc32_t::compute(const string& text) { compute(text.c_str(), text.length()); }

unsigned int crc32(const void* data, unsigned int size) {
  crc32_t crc;
  crc.compute(data, size);
  return crc.value;
}

}  // namespace quarn
