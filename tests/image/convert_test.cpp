// Conversions between the library's formats and copies through channel
// masks, against hand-worked pixels and an independent field arithmetic.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "qxcore/image/bitmap.h"
#include "qxcore/image/s3tc.h"
#include "tests/support/capture_sink.h"

namespace {

using namespace quarn;
using bytes_t = std::vector<unsigned char>;

TEST(Convert, PairsOfFormats) {
  bytes_t bgr = {1, 2, 3, 4, 5, 6}, rgb(6), rgba(8, 0xAA);
  hbmp_convert(rgb.data(), bgr.data(), HBMP_RGB, HBMP_BGR, 2, 1, 1, 1);
  EXPECT_EQ(rgb, (bytes_t{3, 2, 1, 6, 5, 4}));
  hbmp_convert(rgba.data(), rgb.data(), HBMP_RGBA, HBMP_RGB, 2, 1, 1, 1);
  EXPECT_EQ(rgba, (bytes_t{3, 2, 1, 0xAA, 6, 5, 4, 0xAA}));  // alpha left as it was
  hbmp_convert(rgba.data(), bgr.data(), HBMP_RGBA, HBMP_BGR, 2, 1, 1, 1);
  EXPECT_EQ(rgba, (bytes_t{3, 2, 1, 0xAA, 6, 5, 4, 0xAA}));

  bytes_t pal(768 + 2);
  pal[3 * 7] = 70, pal[3 * 7 + 1] = 71, pal[3 * 7 + 2] = 72;
  pal[768] = 7, pal[769] = 0;
  bytes_t out(6);
  hbmp_convert(out.data(), pal.data(), HBMP_RGB, HBMP_PAL8_RGB, 2, 1, 1, 1);
  EXPECT_EQ(out, (bytes_t{70, 71, 72, 0, 0, 0}));
  bytes_t pal4(1024 + 1);
  pal4[4 * 9] = 90, pal4[4 * 9 + 3] = 99, pal4[1024] = 9;
  bytes_t one(4);
  hbmp_convert(one.data(), pal4.data(), HBMP_RGBA, HBMP_PAL8_RGBA, 1, 1, 1, 1);
  EXPECT_EQ(one, (bytes_t{90, 0, 0, 99}));
  hbmp_convert(one.data(), pal4.data(), HBMP_RGB, HBMP_PAL8_RGBA, 1, 1, 1, 1);
  EXPECT_EQ(bytes_t(one.begin(), one.begin() + 3), (bytes_t{90, 0, 0}));
  bytes_t copy(1025);
  hbmp_convert(copy.data(), pal4.data(), HBMP_PAL8_RGBA, HBMP_PAL8_RGBA, 1, 1, 1, 1);
  EXPECT_EQ(copy, pal4);

  bytes_t untouched(8, 0x55);
  hbmp_convert(untouched.data(), rgba.data(), HBMP_RGB, HBMP_BGRA, 2, 1, 1,
               1);  // BGRA is no source
  hbmp_convert(untouched.data(), rgba.data(), HBMP_GRAY8, HBMP_RGBA, 2, 1, 1, 1);
  EXPECT_EQ(untouched, bytes_t(8, 0x55));
}

TEST(Convert, TheDestinationGetsTheSmallestLevels) {
  // A 4x2 RGB chain of three levels: 8, 2 and 1 pixels, each pixel its own value.
  bytes_t chain(hbmp_mem_size(4, 2, 3, HBMP_RGB));
  for (std::size_t i = 0; i < chain.size(); ++i) chain[i] = static_cast<unsigned char>(i);
  bytes_t last_two(hbmp_mem_size(2, 1, 2, HBMP_RGB));
  hbmp_convert(last_two.data(), chain.data(), HBMP_RGB, HBMP_RGB, 4, 2, 2, 3);
  EXPECT_EQ(last_two, bytes_t(chain.begin() + 8 * 3, chain.end()));
  // Palette chains keep their palette in front.
  bytes_t pal(768 + 4 + 1);
  pal[3 * 5] = 55, pal[768 + 4] = 5;
  bytes_t smallest(3);
  hbmp_convert(smallest.data(), pal.data(), HBMP_RGB, HBMP_PAL8_RGB, 2, 2, 1, 2);
  EXPECT_EQ(smallest, (bytes_t{55, 0, 0}));

  qxtest::capture_sink_t sink;
  hbmp_convert(last_two.data(), chain.data(), HBMP_RGB, HBMP_RGB, 4, 2, 4, 3);
  EXPECT_EQ(sink.errors(),
            std::vector<std::string>{"[hbmp] hbmp_convert cannot make 4 levels out of 3"});
}

TEST(Convert, CompressedFormatsGoToTheS3tcRoutines) {
  unsigned char dxt1[8] = {0x00, 0xF8, 0x1F, 0x00, 0xAA, 0xAA, 0xAA, 0xAA};
  bytes_t through_convert(64), direct(64);
  hbmp_convert(through_convert.data(), dxt1, HBMP_RGBA, HBMP_S3TC_DXT1, 4, 4, 1, 1);
  hbmp_decompress_s3tc(direct.data(), dxt1, HBMP_RGBA, HBMP_S3TC_DXT1, 4, 4, 1, 1);
  EXPECT_EQ(through_convert, direct);
  qxtest::capture_sink_t sink;
  hbmp_convert(dxt1, direct.data(), HBMP_S3TC_DXT1, HBMP_RGBA, 4, 4, 1, 1);
  EXPECT_EQ(sink.errors(), std::vector<std::string>{"hbmp_compress_s3tc() is not implemented."});
}

// A channel as a field: its value, widened or narrowed at the top.
unsigned int move_field(unsigned int pixel, unsigned int from, unsigned int to) {
  if (from == 0 || to == 0) return 0;
  unsigned int from_low = __builtin_ctz(from), from_bits = __builtin_popcount(from);
  unsigned int to_low = __builtin_ctz(to), to_bits = __builtin_popcount(to);
  unsigned int v = (pixel & from) >> from_low;
  v = to_bits <= from_bits ? v >> (from_bits - to_bits) : v << (to_bits - from_bits);
  return v << to_low;
}

unsigned int contiguous_mask(std::mt19937& rng, unsigned int bytes) {
  unsigned int bits = 1 + rng() % 8, low = rng() % (bytes * 8 - bits + 1);
  return ((1u << bits) - 1) << low;
}

TEST(MaskCopy, DesignedPixelAndRandomFields) {
  unsigned int pixel = 0xFF8040C0;
  unsigned short out = 0;
  hbmp_copy(&out, &pixel, 1, 1, 2, 4, 0xF800, 0x07E0, 0x001F, 0, 0x000000FF, 0x0000FF00, 0x00FF0000,
            0xFF000000, 2, 4);
  EXPECT_EQ(out, (0xC0 >> 3) << 11 | (0x40 >> 2) << 5 | 0x80 >> 3);

  std::mt19937 rng(29);
  for (int n = 0; n < 3000; ++n) {
    unsigned int from = 2 + rng() % 3, to = 2 + rng() % 3;
    if (from == 2 && to == 2) continue;
    unsigned int s[4], d[4];
    for (int c = 0; c < 4; ++c)
      s[c] = contiguous_mask(rng, from), d[c] = rng() % 5 ? contiguous_mask(rng, to) : 0;
    unsigned char src[2 * 4 * 2], dst[3 * 4 * 2] = {};
    for (auto& b : src) b = static_cast<unsigned char>(rng());
    hbmp_copy(dst, src, 2, 2, 3 * to, 2 * from, d[0], d[1], d[2], d[3], s[0], s[1], s[2], s[3], to,
              from);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) {
        unsigned int p = 0, got = 0;
        std::memcpy(&p, src + y * 2 * from + x * from, from);
        std::memcpy(&got, dst + y * 3 * to + x * to, to);
        unsigned int expected = 0;
        for (int c = 0; c < 4; ++c) expected |= move_field(p, s[c], d[c]);
        if (from == 3 && to != 3 && d[3] != 0) expected |= d[3];  // no source alpha: opaque
        ASSERT_EQ(got, expected & (to == 4 ? ~0u : (1u << (8 * to)) - 1)) << from << "->" << to;
      }
  }
  unsigned char same[4] = {1, 2, 0, 0}, target[4] = {9, 9, 9, 9};
  hbmp_copy(target, same, 1, 1, 2, 2, 0xF800, 0x07E0, 0x1F, 0, 0xF800, 0x07E0, 0x1F, 0, 2,
            2);  // 2 -> 2: not a pair
  EXPECT_EQ(bytes_t(target, target + 4), bytes_t(4, 9));
}

TEST(MaskCopy, FillFromLibraryImages) {
  unsigned char rgba[8] = {10, 20, 30, 40, 50, 60, 70, 80};
  unsigned char bgra[8] = {};
  hbmp_fill(bgra, rgba, HBMP_RGBA, 2, 1, 8, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, 32, 0);
  EXPECT_EQ(bytes_t(bgra, bgra + 8), (bytes_t{30, 20, 10, 40, 70, 60, 50, 80}));
  unsigned char rgb[3] = {0xFF, 0x80, 0x00};
  unsigned int x888 = 0;
  hbmp_fill(&x888, rgb, HBMP_RGB, 1, 1, 4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, 32, 0);
  EXPECT_EQ(x888, 0xFFFF8000u);  // opaque: the source has no alpha
  unsigned char blocks[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9}, copy[16] = {};
  hbmp_fill(copy, blocks, HBMP_S3TC_DXT3, 4, 4, 0, 0, 0, 0, 0, 0, 9);
  EXPECT_EQ(bytes_t(copy, copy + 10), (bytes_t{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));
}

}  // namespace
