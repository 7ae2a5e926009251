// Bitmap sizes, flips, mip chains, padding decisions and resampling, against
// values worked out by hand and an independent box filter and sampler.
#include "qxcore/image/bitmap.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using namespace quarn;

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
  std::vector<unsigned char> rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  hbmp_flip(HBMP_BGR, 2, 3, rgb.data());
  EXPECT_EQ(rgb, (std::vector<unsigned char>{13, 14, 15, 16, 17, 18, 7, 8, 9, 10, 11, 12, 1, 2, 3,
                                             4, 5, 6}));
  std::vector<unsigned char> other = rgb;
  hbmp_flip(HBMP_GRAY8, 6, 3, other.data());  // not a colour type: untouched
  hbmp_flip(HBMP_RGB, 6, 1, other.data());    // one row: untouched
  EXPECT_EQ(other, rgb);
}

// Averages the four pixels of every 2x2 cell, wrapping a dimension of 1.
std::vector<unsigned char> reference_mips(std::vector<unsigned char> level, unsigned int w,
                                          unsigned int h, unsigned int size) {
  std::vector<unsigned char> all = level;
  while (w > 1 || h > 1) {
    unsigned int nw = std::max(w / 2, 1u), nh = std::max(h / 2, 1u);
    std::vector<unsigned char> next(nw * nh * size);
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
  std::vector<unsigned char> two = {0, 0, 0,  0,  4,  4,  4,    4,    8,    8,
                                    8, 8, 13, 13, 13, 13, 0xEE, 0xEE, 0xEE, 0xEE};
  hbmp_build_mips(two.data(), HBMP_RGBA, 2, 2);
  EXPECT_EQ(std::vector<unsigned char>(two.begin() + 16, two.end()),
            (std::vector<unsigned char>{6, 6, 6, 6}));

  std::mt19937 rng(3);
  for (auto [w, h] : std::vector<std::pair<unsigned int, unsigned int>>{
           {1, 1}, {1, 8}, {16, 1}, {8, 4}, {32, 32}, {4, 64}}) {
    for (hbmp_type_t type : {HBMP_RGB, HBMP_BGRA}) {
      unsigned int size = hbmp_pixel_size(type);
      std::vector<unsigned char> level(w * h * size);
      for (auto& b : level) b = static_cast<unsigned char>(rng());
      std::vector<unsigned char> buffer(hbmp_mem_size(w, h, hbmp_mip_count(w, h), type));
      std::copy(level.begin(), level.end(), buffer.begin());
      hbmp_build_mips(buffer.data(), type, w, h);
      EXPECT_EQ(buffer, reference_mips(level, w, h, size)) << w << "x" << h;
    }
  }
  std::vector<unsigned char> odd(3 * 2 * 3 * 2, 7), before = odd;
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
    if (!c.padded) continue;
    EXPECT_EQ(out.width, c.out_w);
    EXPECT_EQ(out.height, c.out_h);
    EXPECT_EQ(out.mip_count, 1);
    EXPECT_EQ(out.type, HBMP_RGB);
    EXPECT_EQ(out.data, &in);  // untouched: the caller allocates
  }
}

TEST(Bitmap, ResamplingPicksNearestSourcePixels) {
  std::vector<unsigned char> src(4 * 4 * 3);
  for (unsigned int i = 0; i < 16; ++i) src[i * 3] = static_cast<unsigned char>(i);  // red = index
  std::vector<unsigned char> dst(2 * 2 * 3);
  hbmp_t from{4, 4, 0, 1, HBMP_RGB, src.data()}, to{2, 2, 0, 1, HBMP_RGB, dst.data()};
  hbmp_resample(&to, &from);
  EXPECT_EQ(dst[0], 0);   // (0,0)
  EXPECT_EQ(dst[3], 2);   // (2,0)
  EXPECT_EQ(dst[6], 8);   // (0,2)
  EXPECT_EQ(dst[9], 10);  // (2,2)

  // Up and down by odd factors: the accumulated 16.16 steps must land where
  // one multiplication of the step puts them.
  for (auto [sw, dw] : std::vector<std::pair<unsigned short, unsigned short>>{
           {5, 13}, {13, 5}, {7, 7}, {300, 512}}) {
    std::vector<unsigned char> line(sw * 4);
    for (unsigned int x = 0; x < sw; ++x) line[x * 4] = static_cast<unsigned char>(x);
    std::vector<unsigned char> out(dw * 4);
    hbmp_t a{sw, 1, 0, 1, HBMP_RGBA, line.data()}, b{dw, 1, 0, 1, HBMP_RGBA, out.data()};
    hbmp_resample(&b, &a);
    for (unsigned int x = 0; x < dw; ++x)
      EXPECT_EQ(out[x * 4], static_cast<unsigned char>(x * ((sw << 16) / dw) >> 16))
          << sw << "->" << dw << " x " << x;
  }
}

}  // namespace
