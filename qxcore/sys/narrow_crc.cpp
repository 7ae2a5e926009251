// The narrow CRCs (16 down to 4 bits): MSB-first, start 0, no final XOR. Their
// tables are process-wide and filled by the checksum service at qxcore_init.
#include "qxcore/core/service_initializers.h"
#include "qxcore/sys/checksums.h"

namespace quarn {

namespace {

struct narrow_crc_t {
  unsigned int width;
  unsigned int poly;
};

// Index into `tables` and `WIDTHS`.
enum narrow_crc_id_t { CRC16, CRC14, CRC12, CRC10, CRC8, CRC6, CRC4, NARROW_CRC_COUNT };

constexpr narrow_crc_t WIDTHS[NARROW_CRC_COUNT] = {
    {16, 0x1021}, {14, 0x202D}, {12, 0x80F}, {10, 0x233}, {8, 0x07}, {6, 0x23}, {4, 0x3}};

// Empty until qxcore_init: the narrow CRCs then give wrong values, as
// documented, rather than reading uninitialised memory.
constinit unsigned short tables[NARROW_CRC_COUNT][256] = {};

void fill_table(narrow_crc_id_t id) {
  const unsigned int width = WIDTHS[id].width;
  const unsigned int top = 1u << (width - 1);
  const unsigned int mask = (1u << width) - 1;
  // Widths of 8 and more put the index byte at the top of the register; the
  // 6- and 4-bit registers take the byte as it is, so only its low bits count.
  const unsigned int shift = width >= 8 ? width - 8 : 0;
  for (unsigned int i = 0; i < 256; ++i) {
    unsigned int v = i << shift;
    for (int step = 0; step < 8; ++step) v = (v & top) ? (v << 1) ^ WIDTHS[id].poly : v << 1;
    tables[id][i] = static_cast<unsigned short>(v & mask);
  }
}

// Registers of 8 bits and more: the byte enters at the top.
unsigned int wide_crc(narrow_crc_id_t id, const void* data, unsigned int size) {
  if (data == nullptr) return 0;
  const unsigned int width = WIDTHS[id].width;
  const unsigned int mask = (1u << width) - 1;
  const unsigned short* t = tables[id];
  const auto* p = static_cast<const unsigned char*>(data);
  unsigned int c = 0;
  for (unsigned int i = 0; i < size; ++i)
    c = ((c << 8) ^ t[((c >> (width - 8)) ^ p[i]) & 0xFF]) & mask;
  return c;
}

// Registers below 8 bits: the byte is combined with the register directly.
unsigned int short_crc(narrow_crc_id_t id, const void* data, unsigned int size) {
  if (data == nullptr) return 0;
  const unsigned int mask = (1u << WIDTHS[id].width) - 1;
  const unsigned short* t = tables[id];
  const auto* p = static_cast<const unsigned char*>(data);
  unsigned int c = 0;
  for (unsigned int i = 0; i < size; ++i) c = t[(p[i] ^ c) & 0xFF];
  return c & mask;
}

}  // namespace

unsigned int crc16(const void* data, unsigned int size) { return wide_crc(CRC16, data, size); }
unsigned int crc14(const void* data, unsigned int size) { return wide_crc(CRC14, data, size); }
unsigned int crc12(const void* data, unsigned int size) { return wide_crc(CRC12, data, size); }
unsigned int crc10(const void* data, unsigned int size) { return wide_crc(CRC10, data, size); }
unsigned int crc8(const void* data, unsigned int size) { return wide_crc(CRC8, data, size); }
unsigned int crc6(const void* data, unsigned int size) { return short_crc(CRC6, data, size); }
unsigned int crc4(const void* data, unsigned int size) { return short_crc(CRC4, data, size); }

crc_initializer_t::crc_initializer_t() {
  for (int id = 0; id < NARROW_CRC_COUNT; ++id) fill_table(static_cast<narrow_crc_id_t>(id));
}

// The tables stay filled: nothing to give back.
crc_initializer_t::~crc_initializer_t() {}

}  // namespace quarn
