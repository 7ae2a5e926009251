// TGA decoding against stb_image on files ImageMagick wrote (uncompressed
// and run-length, 24- and 32-bit, colour-mapped), the designed edge cases,
// and our own files read back by stb_image.
#include "qxcore/image/tga.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "qxcore/fs/fs.h"
#include "tests/support/capture_sink.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace quarn;
using bytes_t = std::vector<unsigned char>;

// stb_image's view of a file: R, G, B, A, top row first.
bytes_t stb_rgba(const bytes_t& file, int* w, int* h) {
  int channels;
  unsigned char* p = stbi_load_from_memory(file.data(), int(file.size()), w, h, &channels, 4);
  if (p == nullptr) return {};
  bytes_t out(p, p + *w * *h * 4);
  stbi_image_free(p);
  return out;
}

// Pixels as a file stores them (B, G, R[, A] of `size` bytes, bottom row
// first) in stb_image's order; no alpha reads as opaque.
bytes_t stored_to_rgba(const bytes_t& stored, int w, int h, unsigned int size) {
  bytes_t out;
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = &stored[(y * w + x) * size];
      out.insert(out.end(), {p[2], p[1], p[0], size == 4 ? p[3] : (unsigned char)255});
    }
  return out;
}

bool decode(unsigned char* out, unsigned int out_size, const bytes_t& file) {
  return tga_decompress(out, out_size, file.data(), static_cast<unsigned int>(file.size()));
}

TEST(Tga, ImageMagickFilesDecodeAsStbImageReadsThem) {
  for (std::string name :
       {"rgb24", "rgb24_rle", "rgba32", "rgba32_rle", "palette", "palette_rle"}) {
    bytes_t file = qxtest::temp_dir_t::read_bytes(QXTEST_TGAS "/" + name + ".tga");
    ASSERT_FALSE(file.empty()) << name;
    const hbmp_type_t type = tga_type(file.data());
    EXPECT_EQ(type, name.starts_with("rgba") ? HBMP_BGRA : HBMP_BGR) << name;
    int w, h;
    const unsigned int size = hbmp_pixel_size(type);
    bytes_t expected = stb_rgba(file, &w, &h);
    ASSERT_EQ(tga_x_size(file.data()), unsigned(w));
    ASSERT_EQ(tga_y_size(file.data()), unsigned(h));
    bytes_t pixels(w * h * size), trusted(pixels.size());
    ASSERT_TRUE(decode(pixels.data(), unsigned(pixels.size()), file)) << name;
    EXPECT_EQ(stored_to_rgba(pixels, w, h, size), expected) << name;
    ASSERT_TRUE(tga_decompress(trusted.data(), file.data()));  // the unchecked entry agrees
    EXPECT_EQ(trusted, pixels);
  }
}

bytes_t header(unsigned char type, unsigned int w, unsigned int h, unsigned char depth,
               unsigned int map_length = 0, unsigned char entry_bits = 0) {
  bytes_t b(18, 0);
  b[2] = type, b[7] = entry_bits, b[16] = depth;
  b[5] = map_length & 0xFF, b[6] = map_length >> 8;
  b[12] = w & 0xFF, b[13] = w >> 8, b[14] = h & 0xFF, b[15] = h >> 8;
  return b;
}
bytes_t operator+(bytes_t a, const bytes_t& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Tga, DesignedEdgeCases) {
  const std::tuple<unsigned char, unsigned char, hbmp_type_t> types[] = {
      {24, 0, HBMP_BGR},  {32, 0, HBMP_BGRA}, {8, 24, HBMP_BGR},
      {8, 32, HBMP_BGRA}, {16, 0, HBMP_NONE}, {15, 0, HBMP_NONE}};
  for (auto [depth, entry, type] : types)
    EXPECT_EQ(tga_type(header(2, 1, 1, depth, 0, entry).data()), type) << int(depth);
  unsigned char out[64];
  EXPECT_FALSE(tga_decompress(out, (header(3, 2, 2, 8) + bytes_t(4)).data()));  // grey
  EXPECT_FALSE(tga_decompress(out, (header(2, 1, 1, 16) + bytes_t(2)).data()));

  // Colour-mapped: each index copies its entry's bytes (15 bits take 2 bytes).
  for (unsigned char bits : {8, 15, 16, 24}) {
    const unsigned int e = bits == 15 ? 2 : bits / 8;
    bytes_t mapped = header(1, 2, 1, 8, 2, bits), expected;  // index 1, then index 0
    for (unsigned int i = 0; i < 2 * e; ++i) {
      mapped.push_back(static_cast<unsigned char>(0x10 + i));
      expected.push_back(static_cast<unsigned char>(0x10 + (i + e) % (2 * e)));
    }
    ASSERT_TRUE(decode(out, sizeof out, mapped + bytes_t{1, 0})) << int(bits);
    EXPECT_EQ(bytes_t(out, out + 2 * e), expected) << int(bits);
  }

  // A run past the image is clipped to it; nothing is written behind it.
  std::fill(std::begin(out), std::end(out), 0xAB);
  ASSERT_TRUE(decode(out, 6, header(10, 2, 1, 24) + bytes_t{0xFF, 9, 8, 7}));
  EXPECT_EQ(bytes_t(out, out + 7), (bytes_t{9, 8, 7, 9, 8, 7, 0xAB}));
}

TEST(Tga, ShortBuffersAreReportedNeverOverrun) {
  qxtest::capture_sink_t sink;
  bytes_t raw = header(2, 4, 4, 32) + bytes_t(4 * 4 * 4, 5);
  unsigned char out[64];
  EXPECT_FALSE(decode(out, sizeof out, bytes_t(raw.begin(), raw.end() - 1)));
  EXPECT_FALSE(decode(out, 63, raw));
  EXPECT_FALSE(decode(out, sizeof out, bytes_t(raw.begin(), raw.begin() + 10)));
  // A raw packet cut short.
  EXPECT_FALSE(decode(out, sizeof out, header(10, 4, 4, 24) + bytes_t{0x85, 1, 2, 3, 0x02, 4}));
  EXPECT_FALSE(decode(out, sizeof out, header(1, 1, 1, 8, 2, 40) + bytes_t(11)));
  EXPECT_EQ(sink.errors(), (std::vector<std::string>{
                               "[tga] truncated file: 64 bytes needed at offset 18, 81 available",
                               "[tga] the pixel buffer holds 63 bytes, the image needs 64",
                               "[tga] truncated file: 18 bytes needed at offset 0, 10 available",
                               "[tga] truncated file: 9 bytes needed at offset 23, 24 available",
                               "[tga] colour maps of 40-bit entries are not supported"}));
}

TEST(Tga, OurFilesReadBackInStbImage) {
  qxtest::temp_dir_t dir;
  const unsigned int w = 5, h = 3;
  bytes_t rgba(w * h * 4);
  for (unsigned int i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<unsigned char>(i * 13 + 1);
  for (hbmp_type_t type : {HBMP_RGB, HBMP_RGBA}) {
    const unsigned int size = hbmp_pixel_size(type);
    bytes_t file(18 + w * h * size), packed, opaque = rgba;
    ASSERT_TRUE(tga_compress(file.data(), rgba.data(), w, h, type));
    for (unsigned int i = 0; i < w * h; ++i) {
      packed.insert(packed.end(), &rgba[i * 4], &rgba[i * 4] + size);
      if (size == 3) opaque[i * 4 + 3] = 255;
    }
    int sw, sh;
    EXPECT_EQ(stb_rgba(file, &sw, &sh), opaque) << size;
    ASSERT_EQ(sw * sh, int(w * h));

    // tga_write takes packed 3- or 4-byte pixels and leaves them as they were.
    // Rows go out in buffer order under a bottom-left header: stb sees them flipped.
    const bytes_t before = packed;
    std::string path = dir / "written.tga";
    {
      std::unique_ptr<file_t> f(fs_create(string_alias_t(path.c_str()), FS_TYPE_NATIVE));
      ASSERT_TRUE(tga_write(*f, packed.data(), w, h, type));
    }
    EXPECT_EQ(packed, before);
    bytes_t flipped = stb_rgba(qxtest::temp_dir_t::read_bytes(path), &sw, &sh);
    ASSERT_EQ(flipped.size(), opaque.size());
    for (unsigned int y = 0; y < h; ++y)
      EXPECT_TRUE(
          std::equal(&flipped[(h - 1 - y) * w * 4], &flipped[(h - y) * w * 4], &opaque[y * w * 4]))
          << size << " row " << y;
  }
  bytes_t small(18 + 4 * 4);
  EXPECT_FALSE(tga_compress(small.data(), rgba.data(), 2, 2, HBMP_BGR));  // only RGB(A) sources
}

}  // namespace
