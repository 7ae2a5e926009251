// TGA decoding against stb_image on files ImageMagick wrote (uncompressed
// and run-length, 24- and 32-bit, colour-mapped), the designed edge cases,
// and our own files read back by stb_image.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <string>
#include <vector>

#include "qxcore/fs/fs.h"
#include "qxcore/image/tga.h"
#include "tests/support/temp_dir.h"
#include "tests/support/capture_sink.h"

namespace {

using namespace quarn;
using bytes_t = std::vector<unsigned char>;

// stb_image's view of a file: R, G, B, A, top row first.
bytes_t stb_rgba(const bytes_t& file, int* w, int* h) {
  int channels;
  unsigned char* p = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), w, h, &channels, 4);
  if (p == nullptr) return {};
  bytes_t out(p, p + *w * *h * 4);
  stbi_image_free(p);
  return out;
}

TEST(Tga, ImageMagickFilesDecodeAsStbImageReadsThem) {
  for (const char* name : {"rgb24", "rgb24_rle", "rgba32", "rgba32_rle", "palette", "palette_rle"}) {
    bytes_t file = qxtest::temp_dir_t::read_bytes(std::string(QXTEST_TGAS) + "/" + name + ".tga");
    ASSERT_FALSE(file.empty()) << name;
    int w, h;
    bytes_t expected = stb_rgba(file, &w, &h);
    ASSERT_EQ(tga_x_size(file.data()), static_cast<unsigned int>(w));
    ASSERT_EQ(tga_y_size(file.data()), static_cast<unsigned int>(h));
    hbmp_type_t type = tga_type(file.data());
    unsigned int size = hbmp_pixel_size(type);
    bool has_alpha = std::string(name).find("rgba") == 0;
    EXPECT_EQ(type, has_alpha ? HBMP_BGRA : HBMP_BGR) << name;
    bytes_t pixels(w * h * size);
    ASSERT_TRUE(tga_decompress(pixels.data(), static_cast<unsigned int>(pixels.size()), file.data(),
                               static_cast<unsigned int>(file.size())))
        << name;
    // Ours: B, G, R[, A] bottom row first, as stored.
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const unsigned char* ours = &pixels[((h - 1 - y) * w + x) * size];
        const unsigned char* theirs = &expected[(y * w + x) * 4];
        ASSERT_EQ(ours[0], theirs[2]) << name << " " << x << "," << y;
        ASSERT_EQ(ours[1], theirs[1]) << name << " " << x << "," << y;
        ASSERT_EQ(ours[2], theirs[0]) << name << " " << x << "," << y;
        if (size == 4) {
          ASSERT_EQ(ours[3], theirs[3]) << name << " " << x << "," << y;
        }
      }
    bytes_t trusted(pixels.size());
    ASSERT_TRUE(tga_decompress(trusted.data(), file.data()));  // the designed entry agrees
    EXPECT_EQ(trusted, pixels);
  }
}

bytes_t header(unsigned char type, unsigned int w, unsigned int h, unsigned char depth, unsigned int map_length = 0,
               unsigned char entry_bits = 0) {
  bytes_t b(18, 0);
  b[2] = type;
  b[5] = map_length & 0xFF, b[6] = map_length >> 8;
  b[7] = entry_bits;
  b[12] = w & 0xFF, b[13] = w >> 8, b[14] = h & 0xFF, b[15] = h >> 8;
  b[16] = depth;
  return b;
}

TEST(Tga, DesignedEdgeCases) {
  struct {
    unsigned char depth, entry;
    hbmp_type_t type;
  } types[] = {{24, 0, HBMP_BGR}, {32, 0, HBMP_BGRA}, {8, 24, HBMP_BGR}, {8, 32, HBMP_BGRA}, {16, 0, HBMP_NONE}, {15, 0, HBMP_NONE}};
  for (const auto& t : types) EXPECT_EQ(tga_type(header(2, 1, 1, t.depth, 0, t.entry).data()), t.type) << int(t.depth);

  bytes_t grey = header(3, 2, 2, 8);
  grey.resize(grey.size() + 4, 0);
  unsigned char out[64];
  EXPECT_FALSE(tga_decompress(out, grey.data()));
  bytes_t sixteen = header(2, 1, 1, 16);
  sixteen.resize(20, 0);
  EXPECT_FALSE(tga_decompress(out, sixteen.data()));

  // Colour-mapped: each index copies its entry's bytes (15 bits take 2 bytes).
  for (unsigned char bits : {8, 15, 16, 24}) {
    const unsigned int e = bits == 15 ? 2 : bits / 8;
    bytes_t mapped = header(1, 2, 1, 8, 2, bits);
    bytes_t expected;  // index 1, then index 0
    for (unsigned int i = 0; i < 2 * e; ++i) {
      mapped.push_back(static_cast<unsigned char>(0x10 + i));
      expected.push_back(static_cast<unsigned char>(0x10 + (i + e) % (2 * e)));
    }
    mapped.insert(mapped.end(), {1, 0});
    ASSERT_TRUE(tga_decompress(out, sizeof out, mapped.data(),
                               static_cast<unsigned int>(mapped.size())))
        << int(bits);
    EXPECT_EQ(bytes_t(out, out + 2 * e), expected) << int(bits);
  }

  // 0x83: a run of four copies of the one pixel that follows.
  bytes_t rle = header(10, 4, 1, 24);
  rle.insert(rle.end(), {0x83, 1, 2, 3});
  ASSERT_TRUE(tga_decompress(out, sizeof out, rle.data(), static_cast<unsigned int>(rle.size())));
  EXPECT_EQ(bytes_t(out, out + 12), (bytes_t{1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3}));

  // A run past the image is clipped to it; nothing is written behind it.
  bytes_t over = header(10, 2, 1, 24);
  over.insert(over.end(), {0xFF, 9, 8, 7});
  std::fill(std::begin(out), std::end(out), 0xAB);
  ASSERT_TRUE(tga_decompress(out, 6, over.data(), static_cast<unsigned int>(over.size())));
  EXPECT_EQ(bytes_t(out, out + 7), (bytes_t{9, 8, 7, 9, 8, 7, 0xAB}));
}

TEST(Tga, ShortBuffersAreReportedNeverOverrun) {
  qxtest::capture_sink_t sink;
  bytes_t raw = header(2, 4, 4, 32);
  raw.resize(raw.size() + 4 * 4 * 4, 5);
  unsigned char out[64];
  bytes_t cut(raw.begin(), raw.end() - 1);
  EXPECT_FALSE(tga_decompress(out, sizeof out, cut.data(), static_cast<unsigned int>(cut.size())));
  EXPECT_FALSE(tga_decompress(out, 63, raw.data(), static_cast<unsigned int>(raw.size())));
  EXPECT_FALSE(tga_decompress(out, sizeof out, raw.data(), 10));
  bytes_t runs = header(10, 4, 4, 24);
  runs.insert(runs.end(), {0x85, 1, 2, 3, 0x02, 4});  // a raw packet cut short
  EXPECT_FALSE(tga_decompress(out, sizeof out, runs.data(), static_cast<unsigned int>(runs.size())));
  bytes_t odd_map = header(1, 1, 1, 8, 2, 40);
  odd_map.insert(odd_map.end(), 11, 0);
  EXPECT_FALSE(tga_decompress(out, sizeof out, odd_map.data(), static_cast<unsigned int>(odd_map.size())));
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{"[tga] truncated file: 64 bytes needed at offset 18, 81 available",
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
    unsigned int size = hbmp_pixel_size(type);
    bytes_t file(18 + w * h * size);
    ASSERT_TRUE(tga_compress(file.data(), rgba.data(), w, h, type));
    int sw, sh;
    bytes_t decoded = stb_rgba(file, &sw, &sh);
    ASSERT_EQ(sw * sh, static_cast<int>(w * h));
    for (unsigned int i = 0; i < w * h; ++i)
      for (unsigned int c = 0; c < 4; ++c)
        ASSERT_EQ(decoded[i * 4 + c], c < size ? rgba[i * 4 + c] : 255) << i << "," << c;

    // tga_write takes packed 3- or 4-byte pixels and leaves them as they were.
    bytes_t packed;
    for (unsigned int i = 0; i < w * h; ++i) packed.insert(packed.end(), &rgba[i * 4], &rgba[i * 4] + size);
    bytes_t before = packed;
    std::string path = dir / "written.tga";
    {
      file_t* f = fs_create(string_alias_t(path.c_str()), FS_TYPE_NATIVE);
      ASSERT_TRUE(tga_write(*f, packed.data(), w, h, type));
      delete f;
    }
    EXPECT_EQ(packed, before);
    decoded = stb_rgba(qxtest::temp_dir_t::read_bytes(path), &sw, &sh);
    // Rows go out in buffer order under a bottom-left header: stb sees them flipped.
    for (unsigned int y = 0; y < h; ++y)
      for (unsigned int x = 0; x < w * 3; ++x)
        ASSERT_EQ(decoded[((h - 1 - y) * w) * 4 + x / 3 * 4 + x % 3], rgba[(y * w) * 4 + x / 3 * 4 + x % 3]);
  }
  bytes_t small(18 + 4 * 4);
  EXPECT_FALSE(tga_compress(small.data(), rgba.data(), 2, 2, HBMP_BGR));
}

TEST(Tga, CompressWritesTheBottomRowFirst) {
  const unsigned char top_then_bottom[] = {1, 2, 3, 4, 5, 6, 7, 8};  // A above B
  unsigned char file[18 + 6];
  ASSERT_TRUE(tga_compress(file, top_then_bottom, 1, 2, HBMP_RGB));
  EXPECT_EQ(bytes_t(file + 18, file + 24), (bytes_t{7, 6, 5, 3, 2, 1}));  // B, then A, as B, G, R
}

}  // namespace
