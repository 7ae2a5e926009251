// The CRC-32 tables and the table-driven register update. Eight tables let
// the loop take eight bytes per step ("slicing") and give the same value as
// the one-table byte loop; all eight are computed at compile time.
#include <cstdint>
#include <cstring>

#include "qxcore/sys/checksum_paths.h"

namespace quarn::checksum_paths {

namespace {

constexpr unsigned int REFLECTED_POLY = 0xEDB88320u;

struct crc32_tables_t {
  unsigned int t[8][256];
};

// Table 0 is the standard byte table; table k advances table k-1 by one
// more zero byte, so T_k[b] is the register change of b followed by k zeros.
constexpr crc32_tables_t make_tables() {
  crc32_tables_t tables{};
  for (unsigned int i = 0; i < 256; ++i) {
    unsigned int c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ REFLECTED_POLY : c >> 1;
    tables.t[0][i] = c;
  }
  for (int k = 1; k < 8; ++k)
    for (unsigned int i = 0; i < 256; ++i) {
      unsigned int previous = tables.t[k - 1][i];
      tables.t[k][i] = (previous >> 8) ^ tables.t[0][previous & 0xFF];
    }
  return tables;
}

constexpr crc32_tables_t TABLES = make_tables();
static_assert(TABLES.t[0][1] == 0x77073096u && TABLES.t[0][2] == 0xEE0E612Cu &&
                  TABLES.t[0][3] == 0x990951BAu,
              "the standard reflected CRC-32 table");

inline std::uint32_t load_le32(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  return v;
}

}  // namespace

unsigned int crc32_update_tables(unsigned int c, const unsigned char* p, std::size_t n) {
  const auto& t = TABLES.t;
  for (; n >= 8; n -= 8, p += 8) {
    std::uint32_t low = load_le32(p) ^ c;
    std::uint32_t high = load_le32(p + 4);
    c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
        t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
  }
  for (; n != 0; --n) c = (c >> 8) ^ t[0][(*p++ ^ c) & 0xFF];
  return c;
}

}  // namespace quarn::checksum_paths
