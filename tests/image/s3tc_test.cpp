// S3TC decoding against libsquish on random blocks wherever both decode the
// same mode, the always-four-colour and always-eight-alpha rules elsewhere,
// and the reports.
#include "qxcore/image/s3tc.h"

#include <gtest/gtest.h>
#include <squish.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/capture_sink.h"

namespace {

using namespace quarn;
using bytes_t = std::vector<unsigned char>;

unsigned int endpoint(const unsigned char* p) { return p[0] | p[1] << 8; }

TEST(S3tc, RandomBlocksAgreeWithLibsquishInTheSharedModes) {
  std::mt19937 rng(17);
  struct {
    hbmp_type_t type;
    int flags;
    unsigned int size, colour_at;
  } kinds[] = {{HBMP_S3TC_DXT1, squish::kDxt1, 8, 0},
               {HBMP_S3TC_DXT3, squish::kDxt3, 16, 8},
               {HBMP_S3TC_DXT5, squish::kDxt5, 16, 8}};
  for (const auto& k : kinds) {
    int compared = 0;
    for (int n = 0; n < 4000; ++n) {
      unsigned char block[16];
      for (auto& b : block) b = static_cast<unsigned char>(rng());
      unsigned char ours[4 * 4 * 4];
      hbmp_decompress_s3tc(ours, block, HBMP_RGBA, k.type, 4, 4, 1, 1);
      unsigned char theirs[4 * 4 * 4];
      squish::Decompress(theirs, block, k.flags);
      bool colour_modes_agree = endpoint(block + k.colour_at) > endpoint(block + k.colour_at + 2);
      bool alpha_modes_agree = k.type != HBMP_S3TC_DXT5 || block[0] > block[1];
      for (int i = 0; i < 16; ++i) {
        if (colour_modes_agree) {
          for (int c = 0; c < 3; ++c)
            ASSERT_EQ(ours[i * 4 + c], theirs[i * 4 + c]) << k.type << " texel " << i;
        }
        if (alpha_modes_agree && (k.type != HBMP_S3TC_DXT1 || colour_modes_agree)) {
          ASSERT_EQ(ours[i * 4 + 3], theirs[i * 4 + 3]) << k.type << " texel " << i;
        }
      }
      compared += colour_modes_agree;
    }
    EXPECT_GT(compared, 1500) << k.type;
  }
}

TEST(S3tc, OtherModesStillUseFourColoursAndEightAlphas) {
  // c0 <= c1: the third colour is still (2c0 + c1) / 3, and no texel turns transparent.
  unsigned char dxt1[8] = {0x00, 0x00, 0xFF, 0xFF,
                           0xFF, 0xFF, 0xFF, 0xFF};  // c0 black, c1 white, index 3
  unsigned char out[64];
  hbmp_decompress_s3tc(out, dxt1, HBMP_RGBA, HBMP_S3TC_DXT1, 4, 4, 1, 1);
  EXPECT_EQ(bytes_t(out, out + 4), (bytes_t{170, 170, 170, 255}));  // (0 + 2 * 255) / 3
  // a0 <= a1: codes 6 and 7 are interpolated too, never 0 and 255.
  unsigned char dxt5[16] = {10,   80,   0xB6, 0x6D,
                            0xDB, 0xB6, 0x6D, 0xDB};  // every code 6 (110) or 7 (111)
  hbmp_decompress_s3tc(out, dxt5, HBMP_RGBA, HBMP_S3TC_DXT5, 4, 4, 1, 1);
  for (int i = 0; i < 16; ++i) {
    unsigned int a = out[i * 4 + 3];
    EXPECT_TRUE(a == (2 * 10 + 5 * 80) / 7 || a == (10 + 6 * 80) / 7) << i << ": " << a;
  }
}

// Levels 2x2 and 1x1 of a chain: each a block of its own, texels outside skipped.
TEST(S3tc, SmallLevelsAndSizes) {
  bytes_t chain(3 * 8, 0);
  chain[8] = 0xFF, chain[9] = 0xFF;  // level 1: white
  bytes_t pixels(hbmp_pixel_count(4, 4, 3) * 4, 0xCD);
  ASSERT_TRUE(hbmp_decompress_s3tc(pixels.data(), unsigned(pixels.size()), chain.data(),
                                   unsigned(chain.size()), HBMP_RGBA, HBMP_S3TC_DXT1, 4, 4, 3, 3));
  EXPECT_EQ(bytes_t(pixels.begin() + 64, pixels.begin() + 68), (bytes_t{255, 255, 255, 255}));
  EXPECT_EQ(bytes_t(pixels.begin() + 80, pixels.end()), (bytes_t{0, 0, 0, 255}));
  EXPECT_EQ(hbmp_s3tc_size(HBMP_S3TC_DXT5, 8, 4, 4), (2u + 1 + 1 + 1) * 16);
}

TEST(S3tc, ReportsAndTheMagentaFill) {
  qxtest::capture_sink_t sink;
  bytes_t source(16 * 6, 0);
  bytes_t out(6 * 4 * 4, 0x11);
  hbmp_decompress_s3tc(out.data(), source.data(), HBMP_BGRA, HBMP_S3TC_DXT1, 4, 4, 1, 1);
  EXPECT_EQ(out, bytes_t(out.size(), 0x11));  // untouched
  hbmp_decompress_s3tc(out.data(), source.data(), HBMP_RGBA, HBMP_S3TC_DXT5, 6, 4, 1, 1);
  for (std::size_t i = 0; i < out.size(); i += 4)
    ASSERT_EQ(bytes_t(&out[i], &out[i] + 4), (bytes_t{255, 0, 255, 255}));
  bytes_t levels(hbmp_pixel_count(4, 4, 2) * 4, 0);
  hbmp_decompress_s3tc(levels.data(), source.data(), HBMP_RGBA, HBMP_S3TC_DXT1, 4, 4, 2, 3);
  EXPECT_EQ(levels[4 * 16], 255);  // the fill covers both destination levels
  hbmp_compress_s3tc(out.data(), source.data(), HBMP_S3TC_DXT1, HBMP_RGBA, 4, 4, 1, 1);
  EXPECT_FALSE(hbmp_decompress_s3tc(out.data(), 64, source.data(), 7, HBMP_RGBA, HBMP_S3TC_DXT1, 4,
                                    4, 1, 1));
  EXPECT_FALSE(hbmp_decompress_s3tc(out.data(), 63, source.data(), 8, HBMP_RGBA, HBMP_S3TC_DXT1, 4,
                                    4, 1, 1));
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{
                "hbmp_decompress_s3tc() into non-RGBA is not implemented.",
                "hbmp_decompress_s3tc() can operate only textures that are power of two.",
                "hbmp_decompress_s3tc() can not change the number of mipmaps.",
                "hbmp_compress_s3tc() is not implemented.",
                "[s3tc] buffers too small: 7 source bytes for 8, 64 destination bytes for 64",
                "[s3tc] buffers too small: 8 source bytes for 8, 63 destination bytes for 64"}));
}

}  // namespace
