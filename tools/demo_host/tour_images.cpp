// Images: the demo draws a picture, writes it as PNG and TGA, reads the TGA
// back through the file system and decodes it, and builds a mip chain.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

namespace {

using quarn::string_alias_t;

// A sky over a hill with a sun: R, G, B, A, top row first.
std::vector<unsigned char> draw(unsigned int w, unsigned int h) {
  std::vector<unsigned char> pixels(w * h * 4);
  for (unsigned int y = 0; y < h; ++y)
    for (unsigned int x = 0; x < w; ++x) {
      unsigned char* p = &pixels[(y * w + x) * 4];
      int dx = static_cast<int>(x) - static_cast<int>(3 * w / 4), dy = static_cast<int>(y) - static_cast<int>(h / 4);
      bool sun = dx * dx + dy * dy < static_cast<int>(w * w / 64);
      int hill = static_cast<int>(h * 2 / 3) - static_cast<int>((x * (w - x)) * h / (w * w * 2));
      bool ground = static_cast<int>(y) > hill;
      p[0] = sun ? 255 : ground ? 40 : static_cast<unsigned char>(90 + y);
      p[1] = sun ? 220 : ground ? static_cast<unsigned char>(120 + y / 2) : static_cast<unsigned char>(140 + y / 2);
      p[2] = sun ? 0 : ground ? 30 : 230;
      p[3] = 255;
    }
  return pixels;
}

}  // namespace

void tour_images() {
  section("images");
  const unsigned int w = 64, h = 64;
  std::vector<unsigned char> picture = draw(w, h);
  char pattern[] = "/tmp/qxcore_images_XXXXXX";
  std::string dir = ::mkdtemp(pattern);

  quarn::hbmp_t image{w, h, 0, 1, quarn::HBMP_RGBA, picture.data()};
  quarn::file_t* png = quarn::fs_create(string_alias_t((dir + "/picture.png").c_str()), quarn::FS_TYPE_NATIVE);
  bool png_saved = quarn::png_simple_save(png, &image);
  png->flush();
  std::printf("png_simple_save: %s, %u bytes\n", png_saved ? "written" : "failed", png->size());
  delete png;

  std::vector<unsigned char> tga(18 + w * h * 4);
  quarn::tga_compress(tga.data(), picture.data(), w, h, quarn::HBMP_RGBA);
  quarn::file_t* out = quarn::fs_create(string_alias_t((dir + "/picture.tga").c_str()), quarn::FS_TYPE_NATIVE);
  out->write(tga.data(), static_cast<unsigned int>(tga.size()));
  delete out;

  quarn::file_t* in = quarn::fs_open(string_alias_t((dir + "/picture.tga").c_str()), quarn::FS_TYPE_NATIVE);
  std::vector<unsigned char> file(in->size());
  in->read(file.data(), static_cast<unsigned int>(file.size()));
  delete in;
  unsigned int tw = quarn::tga_x_size(file.data()), th = quarn::tga_y_size(file.data());
  std::vector<unsigned char> bgra(tw * th * 4);
  bool decoded = quarn::tga_decompress(bgra.data(), static_cast<unsigned int>(bgra.size()), file.data(),
                                       static_cast<unsigned int>(file.size()));
  // Stored bottom row first, B, G, R, A: compare with the picture that way.
  unsigned int differing = 0;
  for (unsigned int y = 0; y < th; ++y)
    for (unsigned int x = 0; x < tw; ++x) {
      const unsigned char* a = &picture[(y * w + x) * 4];
      const unsigned char* b = &bgra[((th - 1 - y) * tw + x) * 4];
      differing += a[0] != b[2] || a[1] != b[1] || a[2] != b[0] || a[3] != b[3];
    }
  std::printf("TGA read back: %ux%u %s, %s, %u pixel(s) differ from the picture\n", tw, th,
              quarn::tga_type(file.data()) == quarn::HBMP_BGRA ? "BGRA" : "?", decoded ? "decoded" : "failed",
              differing);

  unsigned int levels = quarn::hbmp_mip_count(w, h);
  std::vector<unsigned char> chain(quarn::hbmp_mem_size(w, h, levels, quarn::HBMP_RGBA));
  std::copy(picture.begin(), picture.end(), chain.begin());
  quarn::hbmp_build_mips(chain.data(), quarn::HBMP_RGBA, w, h);
  const unsigned char* smallest = &chain[chain.size() - 4];
  std::printf("mip chain: %u levels in %zu bytes; the 1x1 level is (%u, %u, %u, %u)\n", levels, chain.size(),
              smallest[0], smallest[1], smallest[2], smallest[3]);
  std::filesystem::remove_all(dir);
}

}  // namespace demo
