// Images side by side with the libraries a host would otherwise use:
// S3TC decoding of a 2048x2048 texture vs libsquish, PNG writing of a
// 2048x2048 RGBA image to memory vs libpng at compression level 0, and TGA
// decoding (uncompressed and run-length) vs stb_image.
#include <benchmark/benchmark.h>
#include <png.h>
#include <squish.h>
#include <stb/stb_image.h>

#include <cstring>
#include <random>
#include <vector>

#include "qxcore/qxcore.h"

namespace {

using bytes_t = std::vector<unsigned char>;
constexpr unsigned int SIDE = 2048;

bytes_t random_bytes(std::size_t n, unsigned int seed) {
  std::mt19937 rng(seed);
  bytes_t out(n);
  for (auto& b : out) b = static_cast<unsigned char>(rng());
  return out;
}

// A picture with smooth areas and edges, so run-length packets form.
bytes_t picture(unsigned int w, unsigned int h, unsigned int channels) {
  bytes_t out(static_cast<std::size_t>(w) * h * channels);
  for (unsigned int y = 0; y < h; ++y)
    for (unsigned int x = 0; x < w; ++x)
      for (unsigned int c = 0; c < channels; ++c)
        out[(static_cast<std::size_t>(y) * w + x) * channels + c] = static_cast<unsigned char>(((x / 16) * 40 + (y / 32) * 7 + c * 50) & 0xF0);
  return out;
}

void BM_S3tcDecode_Qxcore(benchmark::State& state) {
  auto type = static_cast<quarn::hbmp_type_t>(state.range(0));
  bytes_t blocks = random_bytes(quarn::hbmp_s3tc_size(type, SIDE, SIDE, 1), 1);
  bytes_t rgba(SIDE * SIDE * 4);
  for (auto _ : state) quarn::hbmp_decompress_s3tc(rgba.data(), blocks.data(), quarn::HBMP_RGBA, type, SIDE, SIDE, 1, 1);
  state.SetBytesProcessed(state.iterations() * rgba.size());
}

void BM_S3tcDecode_Libsquish(benchmark::State& state) {
  auto type = static_cast<quarn::hbmp_type_t>(state.range(0));
  int flags = type == quarn::HBMP_S3TC_DXT1 ? squish::kDxt1 : squish::kDxt5;
  bytes_t blocks = random_bytes(quarn::hbmp_s3tc_size(type, SIDE, SIDE, 1), 1);
  bytes_t rgba(SIDE * SIDE * 4);
  for (auto _ : state) squish::DecompressImage(rgba.data(), SIDE, SIDE, blocks.data(), flags);
  state.SetBytesProcessed(state.iterations() * rgba.size());
}

BENCHMARK(BM_S3tcDecode_Qxcore)->Arg(quarn::HBMP_S3TC_DXT1)->Arg(quarn::HBMP_S3TC_DXT5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_S3tcDecode_Libsquish)->Arg(quarn::HBMP_S3TC_DXT1)->Arg(quarn::HBMP_S3TC_DXT5)->Unit(benchmark::kMillisecond);

// A file that keeps what is written in memory.
class memory_file_t : public quarn::file_t {
 public:
  memory_file_t() : file_t(nullptr, quarn::string::EMPTY) { bytes.reserve(SIDE * SIDE * 4 + 65536); }
  bool write(const void* buffer, unsigned int size) override {
    bytes.insert(bytes.end(), static_cast<const unsigned char*>(buffer), static_cast<const unsigned char*>(buffer) + size);
    return true;
  }
  bytes_t bytes;
};

void BM_PngSave_Qxcore(benchmark::State& state) {
  bytes_t pixels = random_bytes(SIDE * SIDE * 4, 2);
  quarn::hbmp_t image{SIDE, SIDE, 0, 1, quarn::HBMP_RGBA, pixels.data()};
  memory_file_t file;
  for (auto _ : state) {
    file.bytes.clear();
    quarn::png_simple_save(&file, &image);
  }
  state.SetBytesProcessed(state.iterations() * pixels.size());
}

void BM_PngSave_LibpngLevel0(benchmark::State& state) {
  bytes_t pixels = random_bytes(SIDE * SIDE * 4, 2);
  bytes_t out;
  out.reserve(SIDE * SIDE * 4 + 65536);
  auto write = [](png_structp png, png_bytep data, png_size_t n) {
    auto* target = static_cast<bytes_t*>(png_get_io_ptr(png));
    target->insert(target->end(), data, data + n);
  };
  for (auto _ : state) {
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, write, nullptr);
    png_set_compression_level(png, 0);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_IHDR(png, info, SIDE, SIDE, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (unsigned int y = 0; y < SIDE; ++y) png_write_row(png, pixels.data() + static_cast<std::size_t>(y) * SIDE * 4);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
  }
  state.SetBytesProcessed(state.iterations() * pixels.size());
}

BENCHMARK(BM_PngSave_Qxcore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngSave_LibpngLevel0)->Unit(benchmark::kMillisecond);

// An uncompressed (state.range(0) == 0) or run-length 32-bit TGA of the picture.
bytes_t tga_file(bool rle) {
  const unsigned int w = 1024, h = 1024;
  bytes_t pixels = picture(w, h, 4);
  bytes_t file(18, 0);
  file.reserve(18 + pixels.size() + pixels.size() / 4);
  file[2] = rle ? 10 : 2;
  file[12] = w & 0xFF, file[13] = w >> 8, file[14] = h & 0xFF, file[15] = h >> 8, file[16] = 32;
  if (!rle) {
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
  }
  for (std::size_t i = 0; i < pixels.size() / 4;) {
    std::size_t run = 1;
    while (run < 128 && i + run < pixels.size() / 4 && std::memcmp(&pixels[i * 4], &pixels[(i + run) * 4], 4) == 0) ++run;
    file.push_back(static_cast<unsigned char>(0x80 | (run - 1)));
    file.insert(file.end(), &pixels[i * 4], &pixels[i * 4] + 4);
    i += run;
  }
  return file;
}

void BM_TgaDecode_Qxcore(benchmark::State& state) {
  bytes_t file = tga_file(state.range(0) != 0);
  bytes_t pixels(1024 * 1024 * 4);
  for (auto _ : state)
    quarn::tga_decompress(pixels.data(), static_cast<unsigned int>(pixels.size()), file.data(),
                          static_cast<unsigned int>(file.size()));
  state.SetBytesProcessed(state.iterations() * pixels.size());
}

void BM_TgaDecode_StbImage(benchmark::State& state) {
  bytes_t file = tga_file(state.range(0) != 0);
  for (auto _ : state) {
    int w, h, c;
    unsigned char* p = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &c, 0);
    benchmark::DoNotOptimize(p);
    stbi_image_free(p);
  }
  state.SetBytesProcessed(state.iterations() * 1024 * 1024 * 4);
}

BENCHMARK(BM_TgaDecode_Qxcore)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TgaDecode_StbImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
