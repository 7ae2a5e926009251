// Checksums against zlib (CRC-32, Adler-32) and against bit-serial CRCs
// written here from the polynomials (the narrow CRCs), on every length up to
// 4 KiB, at every start offset modulo 16, and split at random points.
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

// Each CRC-32 implementation, from a fresh value, as crc32_t::compute runs it.
using crc_path_fn = unsigned int (*)(const unsigned char*, std::size_t);
unsigned int crc_public(const unsigned char* p, std::size_t n) {
  return quarn::crc32(p, static_cast<unsigned int>(n));
}
unsigned int crc_tables(const unsigned char* p, std::size_t n) {
  return ~paths::crc32_update_tables(~0u, p, n);
}
unsigned int crc_clmul(const unsigned char* p, std::size_t n) {
  return ~paths::crc32_update_clmul(~0u, p, n);
}

using adler_path_fn = unsigned int (*)(const unsigned char*, std::size_t);
unsigned int adler_public(const unsigned char* p, std::size_t n) {
  quarn::adler32_t sum;
  sum.compute(p, static_cast<unsigned int>(n));
  return sum.value();
}
template <paths::adler32_update_fn UPDATE>
unsigned int adler_path(const unsigned char* p, std::size_t n) {
  unsigned int low = 1, high = 0;
  if (n != 0) UPDATE(&low, &high, p, n);
  return high << 16 | low;
}

TEST(Checksums, Crc32EqualsZlibOnEveryLengthAndOffset) {
  auto data = random_bytes(4096 + 16, 1);
  std::vector<std::pair<const char*, crc_path_fn>> crc_paths = {{"public", crc_public},
                                                                {"tables", crc_tables}};
  if (paths::crc32_clmul_supported()) crc_paths.push_back({"clmul", crc_clmul});
  for (auto [name, crc] : crc_paths)
    for (std::size_t n = 0; n <= 4096; ++n) {
      const unsigned char* p = data.data() + n % 16;
      ASSERT_EQ(crc(p, n), zlib_crc(p, n)) << name << " length " << n;
    }
}

TEST(Checksums, Adler32EqualsZlibOnEveryLengthAndOffset) {
  auto data = random_bytes(4096 + 16, 2);
  std::pair<const char*, adler_path_fn> adler_paths[] = {
      {"public", adler_public},
      {"plain", adler_path<paths::adler32_update_plain>},
      {"sse2", adler_path<paths::adler32_update_sse2>}};
  for (auto [name, adler] : adler_paths)
    for (std::size_t n = 0; n <= 4096; ++n) {
      const unsigned char* p = data.data() + n % 16;
      ASSERT_EQ(adler(p, n), zlib_adler(p, n)) << name << " length " << n;
    }
}

TEST(Checksums, LongRunsOfMaximalBytesDoNotOverflowTheSums) {
  // 0xFF everywhere drives both sums to their largest values per run.
  std::vector<unsigned char> ones(3 << 20, 0xFF);
  auto mixed = random_bytes(3 << 20, 3);
  for (const auto* data : {&ones, &mixed}) {
    EXPECT_EQ(adler_public(data->data(), data->size()), zlib_adler(data->data(), data->size()));
    EXPECT_EQ(adler_path<paths::adler32_update_plain>(data->data(), data->size()),
              zlib_adler(data->data(), data->size()));
    EXPECT_EQ(crc_public(data->data(), data->size()), zlib_crc(data->data(), data->size()));
  }
}

TEST(Checksums, IncrementalUseAtRandomSplitPointsEqualsOneCall) {
  auto data = random_bytes(20000, 4);
  std::mt19937 rng(5);
  for (int trial = 0; trial < 300; ++trial) {
    std::size_t n = rng() % data.size();
    std::size_t split1 = n == 0 ? 0 : rng() % n,
                split2 = split1 + (n == split1 ? 0 : rng() % (n - split1));
    quarn::crc32_t crc;
    quarn::adler32_t adler;
    for (auto [from, to] : {std::pair{std::size_t{0}, split1}, {split1, split2}, {split2, n}}) {
      crc.compute(data.data() + from, static_cast<unsigned int>(to - from));
      adler.compute(data.data() + from, static_cast<unsigned int>(to - from));
    }
    ASSERT_EQ(crc.value, zlib_crc(data.data(), n)) << n << " split " << split1 << ", " << split2;
    ASSERT_EQ(adler.value(), zlib_adler(data.data(), n)) << n;
  }
}

TEST(Checksums, CatalogueValuesAndEmptyInputs) {
  const char* check = "123456789";
  EXPECT_EQ(quarn::crc32(check, 9), 0xCBF43926u);
  EXPECT_EQ(quarn::crc16(check, 9), 0x31C3u);  // CRC-16/XMODEM
  EXPECT_EQ(quarn::crc8(check, 9), 0xF4u);     // CRC-8 (SMBus)
  quarn::crc32_t text;
  text.compute(quarn::string("123456789"));
  EXPECT_EQ(text.value, 0xCBF43926u);

  quarn::adler32_t abc;
  abc.compute("abc", 3);
  EXPECT_EQ(abc.low_sum, 0x127u);   // 1 + 97 + 98 + 99
  EXPECT_EQ(abc.high_sum, 0x24Du);  // 98 + 196 + 295

  unsigned int (*narrow[])(const void*, unsigned int) = {quarn::crc16, quarn::crc14, quarn::crc12,
                                                         quarn::crc10, quarn::crc8,  quarn::crc6,
                                                         quarn::crc4};
  for (auto crc : narrow) {
    EXPECT_EQ(crc(check, 0), 0u);
    EXPECT_EQ(crc(nullptr, 5), 0u);
  }
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
}

}  // namespace
