// Checksums against zlib (CRC-32, Adler-32) and against bit-serial CRCs
// written here from the polynomials (the narrow CRCs), on every length up to
// 4 KiB and at every start offset modulo 16.
#include "qxcore/sys/checksums.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "qxcore/strings/string.h"
#include "qxcore/sys/checksum_paths.h"

namespace {

namespace paths = quarn::checksum_paths;

std::vector<unsigned char> random_bytes(std::size_t n, unsigned int seed) {
  std::mt19937 rng(seed);
  std::vector<unsigned char> bytes(n);
  for (auto& b : bytes) b = static_cast<unsigned char>(rng());
  return bytes;
}

unsigned int zlib_crc(const unsigned char* p, std::size_t n) {
  return static_cast<unsigned int>(::crc32(0, p, static_cast<uInt>(n)));
}
unsigned int zlib_adler(const unsigned char* p, std::size_t n) {
  return static_cast<unsigned int>(::adler32(1, p, static_cast<uInt>(n)));
}

// Each implementation from a fresh value, as crc32_t and adler32_t run them.
using checksum_fn = unsigned int (*)(const unsigned char*, std::size_t);
template <paths::crc32_update_fn UPDATE>
unsigned int crc_path(const unsigned char* p, std::size_t n) {
  return ~UPDATE(~0u, p, n);
}
template <paths::adler32_update_fn UPDATE>
unsigned int adler_path(const unsigned char* p, std::size_t n) {
  unsigned int low = 1, high = 0;
  if (n != 0) UPDATE(&low, &high, p, n);
  return high << 16 | low;
}

TEST(Checksums, EveryPathEqualsZlibOnEveryLengthAndOffsetAndLongRuns) {
  struct path_t {
    const char* name;
    checksum_fn sum, zlib;
  };
  // The classes sum in two calls, split at a third: incremental use equals one
  // call. quarn::crc32 is crc32_t in one call.
  std::vector<path_t> paths = {{"crc32_t",
                                [](auto p, auto n) {
                                  quarn::crc32_t sum;
                                  sum.compute(p, static_cast<unsigned int>(n / 3));
                                  sum.compute(p + n / 3, static_cast<unsigned int>(n - n / 3));
                                  return sum.value;
                                },
                                zlib_crc},
                               {"crc tables", crc_path<paths::crc32_update_tables>, zlib_crc},
                               {"adler32_t",
                                [](auto p, auto n) {
                                  quarn::adler32_t sum;
                                  sum.compute(p, static_cast<unsigned int>(n / 3));
                                  sum.compute(p + n / 3, static_cast<unsigned int>(n - n / 3));
                                  return sum.value();
                                },
                                zlib_adler},
                               {"adler plain", adler_path<paths::adler32_update_plain>, zlib_adler},
                               {"adler sse2", adler_path<paths::adler32_update_sse2>, zlib_adler}};
  if (paths::crc32_clmul_supported())
    paths.push_back({"crc clmul", crc_path<paths::crc32_update_clmul>, zlib_crc});
  auto data = random_bytes(4096 + 16, 1);
  // 0xFF everywhere drives the Adler sums to their largest values per run.
  std::vector<unsigned char> ones(3 << 20, 0xFF);
  auto mixed = random_bytes(3 << 20, 3);
  for (const path_t& path : paths) {
    for (std::size_t n = 0; n <= 4096; ++n) {
      const unsigned char* p = data.data() + n % 16;
      ASSERT_EQ(path.sum(p, n), path.zlib(p, n)) << path.name << " length " << n;
    }
    for (const auto* run : {&ones, &mixed})
      EXPECT_EQ(path.sum(run->data(), run->size()), path.zlib(run->data(), run->size()))
          << path.name;
  }
}

TEST(Checksums, TextsAndNullInputs) {
  quarn::crc32_t text;
  text.compute(quarn::string("123456789"));
  EXPECT_EQ(text.value, 0xCBF43926u);  // the catalogue's check value of CRC-32
  EXPECT_EQ(quarn::crc32(nullptr, 5), 0u);
  quarn::adler32_t untouched;
  untouched.compute(nullptr, 5);
  EXPECT_EQ(untouched.value(), 1u);
}

// Bit-serial CRC of the given width: each message bit, most significant
// first, enters at the top of the register. Registers narrower than a byte
// take the low `width` bits of each byte, then 8 - width zero bits.
unsigned int bit_serial_crc(unsigned int width, unsigned int poly, const unsigned char* p,
                            std::size_t n) {
  const unsigned int top = 1u << (width - 1), mask = (1u << width) - 1;
  const int first_bit = width >= 8 ? 7 : static_cast<int>(width) - 1;
  unsigned int reg = 0;
  for (std::size_t i = 0; i < n; ++i)
    for (int bit = first_bit; bit > first_bit - 8; --bit) {
      bool in = bit >= 0 && ((p[i] >> bit) & 1) != 0;
      bool feedback = ((reg & top) != 0) != in;
      reg = (reg << 1) & mask;
      if (feedback) reg ^= poly;
    }
  return reg;
}

TEST(Checksums, NarrowCrcsEqualBitSerialCrcsOfTheirPolynomials) {
  struct narrow_t {
    unsigned int (*crc)(const void*, unsigned int);
    unsigned int width, poly;
  };
  const narrow_t table[] = {{quarn::crc16, 16, 0x1021}, {quarn::crc14, 14, 0x202D},
                            {quarn::crc12, 12, 0x80F},  {quarn::crc10, 10, 0x233},
                            {quarn::crc8, 8, 0x07},     {quarn::crc6, 6, 0x23},
                            {quarn::crc4, 4, 0x3}};
  auto data = random_bytes(600, 6);
  for (const narrow_t& t : table)
    for (std::size_t n = 0; n <= 600; n += 1 + n / 8)
      ASSERT_EQ(t.crc(data.data(), static_cast<unsigned int>(n)),
                bit_serial_crc(t.width, t.poly, data.data(), n))
          << "width " << t.width << " length " << n;
  for (const narrow_t& t : table) EXPECT_EQ(t.crc(nullptr, 5), 0u) << "width " << t.width;
}

}  // namespace
