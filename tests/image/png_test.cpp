// PNG files we write, read back by libpng pixel for pixel and checked by
// pngcheck, over many widths and heights and a row too wide for one block.
#include "qxcore/image/png.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "qxcore/fs/fs.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace quarn;
using bytes_t = std::vector<unsigned char>;

bool save(const std::string& path, const hbmp_t& image) {
  file_t* f = fs_create(string_alias_t(path.c_str()), FS_TYPE_NATIVE);
  bool saved = png_simple_save(f, &image);
  delete f;
  return saved;
}

// libpng's reading, in the image's own format.
bytes_t libpng_pixels(const bytes_t& file, unsigned int format, unsigned int* w, unsigned int* h) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
  image.format = format;
  bytes_t pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  *w = image.width;
  *h = image.height;
  return pixels;
}

bool pngcheck_accepts(const std::string& path) {
  return std::system(("\"" QXTEST_PNGCHECK "\" -q \"" + path + "\" > /dev/null").c_str()) == 0;
}

TEST(Png, LibpngReadsBackExactlyOurPixels) {
  qxtest::temp_dir_t dir;
  std::mt19937 rng(23);
  struct {
    hbmp_type_t type;
    unsigned int format;
  } kinds[] = {
      {HBMP_RGB, PNG_FORMAT_RGB}, {HBMP_RGBA, PNG_FORMAT_RGBA}, {HBMP_GRAY8, PNG_FORMAT_GRAY}};
  std::vector<std::pair<unsigned int, unsigned int>> sizes;
  for (unsigned int i = 1; i <= 300; ++i) sizes.push_back({i, (i * 37) % 300 + 1});
  sizes.push_back({5000, 3});  // 20 000-byte RGBA rows: split over stored blocks
  sizes.push_back({16379, 2});
  int checked = 0;
  for (const auto& k : kinds) {
    for (auto [w, h] : sizes) {
      unsigned int size = hbmp_pixel_size(k.type);
      bytes_t pixels(static_cast<std::size_t>(w) * h * size);
      for (auto& b : pixels) b = static_cast<unsigned char>(rng());
      hbmp_t image{static_cast<unsigned short>(w),
                   static_cast<unsigned short>(h),
                   0,
                   1,
                   k.type,
                   pixels.data()};
      std::string path = dir / "p.png";
      ASSERT_TRUE(save(path, image)) << w << "x" << h;
      unsigned int rw = 0, rh = 0;
      bytes_t decoded = libpng_pixels(qxtest::temp_dir_t::read_bytes(path), k.format, &rw, &rh);
      ASSERT_EQ(rw, w);
      ASSERT_EQ(rh, h);
      ASSERT_EQ(decoded, pixels) << k.type << " " << w << "x" << h;
      if (w % 50 == 0 || w > 4096) {
        EXPECT_TRUE(pngcheck_accepts(path)) << k.type << " " << w << "x" << h;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 3 * 8);
}

TEST(Png, DesignedLayoutOfATinyImageAndRefusedTypes) {
  qxtest::temp_dir_t dir;
  unsigned char pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  hbmp_t image{2, 1, 0, 1, HBMP_RGBA, pixels};
  ASSERT_TRUE(save(dir / "tiny.png", image));
  bytes_t f = qxtest::temp_dir_t::read_bytes(dir / "tiny.png");
  // Signature, IHDR (12 + 13), the zlib header's IDAT (12 + 2), then the data IDAT.
  std::size_t data = 8 + 25 + 14;
  ASSERT_GT(f.size(), data + 22);
  EXPECT_EQ(bytes_t(f.begin() + data, f.begin() + data + 8),
            (bytes_t{0, 0, 0, 14, 'I', 'D', 'A', 'T'}));
  // Final block, LEN 9, NLEN 0xFFF6, then the filter byte and the row.
  EXPECT_EQ(bytes_t(f.begin() + data + 8, f.begin() + data + 22),
            (bytes_t{1, 9, 0, 0xF6, 0xFF, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
  // The Adler-32 of those 9 bytes, worked out: a = 1 + 36 = 37, b = 1+2+4+7+11+16+22+29+37 = 129.
  std::size_t adler = data + 22 + 4 + 8;
  EXPECT_EQ(bytes_t(f.begin() + adler, f.begin() + adler + 4), (bytes_t{0, 129, 0, 37}));
  EXPECT_TRUE(pngcheck_accepts(dir / "tiny.png"));

  // Other types write the signature and fail.
  image.type = HBMP_BGR;
  EXPECT_FALSE(save(dir / "bgr.png", image));
  EXPECT_EQ(qxtest::temp_dir_t::read_bytes(dir / "bgr.png"),
            (bytes_t{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}));
}

}  // namespace
