// Bitmap sizes, flips, mip chains, padding decisions, resampling, format
// conversions and copies through channel masks, against values worked out by
// hand, an independent box filter and sampler, and independent field arithmetic.
#include "qxcore/image/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "qxcore/image/s3tc.h"
#include "tests/support/capture_sink.h"

namespace {

using namespace quarn;
using bytes_t = std::vector<unsigned char>;

TEST(Bitmap, SizesAndMipArithmetic) {
  EXPECT_EQ(hbmp_mem_size(4, 4, 3, HBMP_RGBA), (16u + 4 + 1) * 4);
  EXPECT_EQ(hbmp_mem_size(2, 2, 1, HBMP_PAL8_RGBA), 4u + 1024);
  EXPECT_EQ(hbmp_mem_size(8, 8, 0, HBMP_PAL8_RGB), 768u);
  EXPECT_EQ(hbmp_mem_size(64, 64, 7, HBMP_S3TC_DXT1), 0u);
  EXPECT_EQ(hbmp_pixel_count(4, 1, 3), 4u + 2 + 1);
  EXPECT_EQ(hbmp_pixel_count(1, 1, 5), 5u);
  EXPECT_EQ(hbmp_pixel_count(8, 2, 4), 16u + 4 + 2 + 1);
  const unsigned int sizes[] = {0, 3, 4, 3, 4, 1, 2, 0, 1, 1, 2, 4, 4, 2, 2, 0, 0, 0, 0};
  for (unsigned int t = 0; t < std::size(sizes); ++t)
    EXPECT_EQ(hbmp_pixel_size(static_cast<hbmp_type_t>(t)), sizes[t]) << t;
  struct {
    unsigned int size, mips;
  } one[] = {{1, 1}, {2, 2}, {3, 3}, {4, 3}, {5, 4}, {256, 9}, {257, 10}};
  for (const auto& c : one) EXPECT_EQ(hbmp_mip_count(c.size), c.mips) << c.size;
  EXPECT_EQ(hbmp_mip_count(256, 16), 9u);
  EXPECT_EQ(hbmp_mip_count(16, 256), 9u);
}

TEST(Bitmap, FlipSwapsRowsOfLevelZero) {
  for (unsigned int h : {1, 2, 3, 4, 5}) {
    bytes_t rgb(2 * 3 * h), flipped(rgb.size());
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>(i);
    for (unsigned int y = 0; y < h; ++y) std::copy_n(&rgb[(h - 1 - y) * 6], 6, &flipped[y * 6]);
    bytes_t other = rgb;
    hbmp_flip(HBMP_GRAY8, 6, h, other.data());  // not a colour type: untouched
    EXPECT_EQ(other, rgb);
    hbmp_flip(HBMP_BGR, 2, h, rgb.data());
    EXPECT_EQ(rgb, flipped) << h;
  }
}

// Averages the four pixels of every 2x2 cell, wrapping a dimension of 1.
bytes_t reference_mips(bytes_t level, unsigned int w, unsigned int h, unsigned int size) {
  bytes_t all = level;
  while (w > 1 || h > 1) {
    unsigned int nw = std::max(w / 2, 1u), nh = std::max(h / 2, 1u);
    bytes_t next(nw * nh * size);
    for (unsigned int y = 0; y < nh; ++y)
      for (unsigned int x = 0; x < nw; ++x)
        for (unsigned int c = 0; c < size; ++c) {
          unsigned int sum = 0;
          for (unsigned int dy = 0; dy < 2; ++dy)
            for (unsigned int dx = 0; dx < 2; ++dx)
              sum += level[(((2 * y + dy) % h) * w + (2 * x + dx) % w) * size + c];
          next[(y * nw + x) * size + c] = static_cast<unsigned char>(sum / 4);
        }
    all.insert(all.end(), next.begin(), next.end());
    level = next;
    w = nw;
    h = nh;
  }
  return all;
}

TEST(Bitmap, MipChainsAreTruncatingBoxFilters) {
  std::mt19937 rng(3);
  for (auto [w, h] : std::vector<std::pair<unsigned int, unsigned int>>{
           {1, 1}, {1, 8}, {16, 1}, {8, 4}, {32, 32}, {4, 64}}) {
    for (hbmp_type_t type : {HBMP_RGB, HBMP_BGRA}) {
      unsigned int size = hbmp_pixel_size(type);
      bytes_t level(w * h * size);
      for (auto& b : level) b = static_cast<unsigned char>(rng());
      bytes_t buffer(hbmp_mem_size(w, h, hbmp_mip_count(w, h), type));
      std::copy(level.begin(), level.end(), buffer.begin());
      hbmp_build_mips(buffer.data(), type, w, h);
      EXPECT_EQ(buffer, reference_mips(level, w, h, size)) << w << "x" << h;
    }
  }
  bytes_t odd(3 * 2 * 3 * 2, 7), before = odd;
  hbmp_build_mips(odd.data(), HBMP_RGB, 3, 2);  // not powers of two: nothing
  EXPECT_EQ(odd, before);
}

TEST(Bitmap, CompatibleSizes) {
  struct {
    unsigned short w, h;
    bool square, padded;
    unsigned short out_w, out_h;
  } cases[] = {{256, 128, false, false, 0, 0},    {256, 128, true, true, 256, 256},
               {300, 200, false, true, 512, 256}, {300, 200, true, true, 512, 512},
               {64, 64, true, false, 0, 0},       {1, 3, false, true, 1, 4}};
  for (const auto& c : cases) {
    hbmp_t in{c.w, c.h, 0, 5, HBMP_RGB, nullptr};
    hbmp_t out{0, 0, 0, 0, HBMP_NONE, &in};
    EXPECT_EQ(hbmp_build_compatible(&out, &in, c.square), c.padded) << c.w << "x" << c.h;
    // The data pointer is left alone: the caller allocates.
    if (c.padded) {
      EXPECT_EQ(std::tuple(out.width, out.height, out.mip_count, out.type, out.data),
                std::tuple(c.out_w, c.out_h, 1, HBMP_RGB, (void*)&in));
    }
  }
}

// Down, up and across by odd factors: the accumulated 16.16 steps must land
// where one multiplication of the step puts them, along both axes.
TEST(Bitmap, ResamplingPicksNearestSourcePixels) {
  for (auto [sw, sh, dw, dh] : std::vector<std::tuple<int, int, int, int>>{
           {4, 4, 2, 2}, {5, 2, 13, 7}, {13, 7, 5, 3}, {7, 7, 7, 7}, {300, 1, 512, 1}}) {
    bytes_t src(sw * sh * 3), dst(dw * dh * 3);
    for (int i = 0; i < sw * sh; ++i) {
      src[i * 3] = static_cast<unsigned char>(i % sw);
      src[i * 3 + 1] = static_cast<unsigned char>(i / sw);
    }
    hbmp_t from{(unsigned short)sw, (unsigned short)sh, 0, 1, HBMP_RGB, src.data()};
    hbmp_t to{(unsigned short)dw, (unsigned short)dh, 0, 1, HBMP_RGB, dst.data()};
    hbmp_resample(&to, &from);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) {
        const unsigned char* p = &dst[(y * dw + x) * 3];
        EXPECT_EQ(p[0], static_cast<unsigned char>(x * ((sw << 16) / dw) >> 16)) << sw << ">" << dw;
        EXPECT_EQ(p[1], y * ((sh << 16) / dh) >> 16) << sh << ">" << dh;
      }
  }
}

TEST(Convert, PairsOfFormats) {
  // Two pixels into eight bytes of 0xAA: what is not written stays 0xAA.
  const bytes_t bgr = {1, 2, 3, 4, 5, 6}, rgba = {1, 2, 3, 4, 5, 6, 7, 8}, none(8, 0xAA);
  const std::tuple<hbmp_type_t, hbmp_type_t, bytes_t, bytes_t> pairs[] = {
      {HBMP_RGB, HBMP_BGR, bgr, {3, 2, 1, 6, 5, 4, 0xAA, 0xAA}},
      {HBMP_RGBA, HBMP_RGB, bgr, {1, 2, 3, 0xAA, 4, 5, 6, 0xAA}},  // alpha left as it was
      {HBMP_RGBA, HBMP_BGR, bgr, {3, 2, 1, 0xAA, 6, 5, 4, 0xAA}},
      {HBMP_RGB, HBMP_BGRA, rgba, none},  // BGRA is no source
      {HBMP_GRAY8, HBMP_RGBA, rgba, none}};
  for (const auto& [to, from, in, expected] : pairs) {
    bytes_t out(8, 0xAA), source = in;
    hbmp_convert(out.data(), source.data(), to, from, 2, 1, 1, 1);
    EXPECT_EQ(out, expected) << to << " " << from;
  }

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

TEST(MaskCopy, RandomFields) {
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
