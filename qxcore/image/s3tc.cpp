#include "qxcore/image/s3tc.h"

#include <cstdint>
#include <cstring>

#include "qxcore/core/messages.h"

namespace quarn {

namespace {

constexpr unsigned int UNBOUNDED = 0xFFFFFFFFu;
constexpr std::uint32_t MAGENTA = 0xFFFF00FFu;  // bytes 255, 0, 255, 255

bool power_of_two(unsigned int n) { return n != 0 && (n & (n - 1)) == 0; }
unsigned int block_size(hbmp_type_t type) { return type == HBMP_S3TC_DXT1 ? 8 : 16; }
bool is_s3tc(hbmp_type_t type) { return type >= HBMP_S3TC_DXT1 && type <= HBMP_S3TC_DXT5; }

std::uint32_t load32(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// The four colours of a colour block, as little-endian R, G, B, A words with
// alpha 0 (the alpha comes from elsewhere).
void colour_palette(const unsigned char* block, std::uint32_t colours[4]) {
  unsigned int c[2] = {static_cast<unsigned int>(block[0] | block[1] << 8),
                       static_cast<unsigned int>(block[2] | block[3] << 8)};
  unsigned int rgb[2][3];
  for (int i = 0; i < 2; ++i) {
    unsigned int r5 = c[i] >> 11, g6 = c[i] >> 5 & 0x3F, b5 = c[i] & 0x1F;
    rgb[i][0] = r5 << 3 | r5 >> 2;
    rgb[i][1] = g6 << 2 | g6 >> 4;
    rgb[i][2] = b5 << 3 | b5 >> 2;
  }
  for (int k = 0; k < 4; ++k) {
    std::uint32_t word = 0;
    for (int ch = 0; ch < 3; ++ch) {
      unsigned int a = rgb[0][ch], b = rgb[1][ch];
      unsigned int v = k == 0 ? a : k == 1 ? b : k == 2 ? (2 * a + b) / 3 : (a + 2 * b) / 3;
      word |= v << (8 * ch);
    }
    colours[k] = word;
  }
}

// Alpha of the 16 texels of a block, in row order.
void block_alpha(const unsigned char* block, hbmp_type_t type, unsigned char alpha[16]) {
  if (type == HBMP_S3TC_DXT1) {
    std::memset(alpha, 255, 16);
  } else if (type == HBMP_S3TC_DXT3) {
    for (int i = 0; i < 8; ++i) {
      alpha[2 * i] = static_cast<unsigned char>((block[i] & 0x0F) * 17);
      alpha[2 * i + 1] = static_cast<unsigned char>((block[i] >> 4) * 17);
    }
  } else {
    unsigned int a0 = block[0], a1 = block[1];
    unsigned char values[8] = {static_cast<unsigned char>(a0), static_cast<unsigned char>(a1)};
    for (unsigned int k = 1; k < 7; ++k) values[k + 1] = static_cast<unsigned char>(((7 - k) * a0 + k * a1) / 7);
    std::uint64_t codes = 0;
    for (int i = 5; i >= 0; --i) codes = codes << 8 | block[2 + i];
    for (int i = 0; i < 16; ++i) alpha[i] = values[codes >> (3 * i) & 7];
  }
}

void decode_level(unsigned char* out, const unsigned char*& in, hbmp_type_t type, unsigned int w, unsigned int h) {
  unsigned int size = block_size(type);
  for (unsigned int by = 0; by < (h + 3) / 4; ++by) {
    for (unsigned int bx = 0; bx < (w + 3) / 4; ++bx, in += size) {
      unsigned char alpha[16];
      block_alpha(in, type, alpha);
      const unsigned char* colour = type == HBMP_S3TC_DXT1 ? in : in + 8;
      std::uint32_t colours[4];
      colour_palette(colour, colours);
      std::uint32_t indices = load32(colour + 4);
      for (unsigned int y = 0; y < 4; ++y) {
        unsigned int py = by * 4 + y;
        if (py >= h) break;
        auto* row = out + (static_cast<std::size_t>(py) * w + bx * 4) * 4;
        for (unsigned int x = 0; x < 4 && bx * 4 + x < w; ++x) {
          unsigned int i = y * 4 + x;
          std::uint32_t texel = colours[indices >> (2 * i) & 3] | static_cast<std::uint32_t>(alpha[i]) << 24;
          std::memcpy(row + 4 * x, &texel, 4);
        }
      }
    }
  }
}

void fill_magenta(unsigned char* out, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) std::memcpy(out + 4 * i, &MAGENTA, 4);
}

}  // namespace

unsigned int hbmp_s3tc_size(hbmp_type_t type, unsigned int width, unsigned int height, unsigned int mips) {
  if (!is_s3tc(type)) return 0;
  unsigned int total = 0;
  for (unsigned int level = 0; level < mips; ++level) {
    total += ((width + 3) / 4) * ((height + 3) / 4) * block_size(type);
    if (width > 1) width /= 2;
    if (height > 1) height /= 2;
  }
  return total;
}

bool hbmp_decompress_s3tc(void* destination, unsigned int destination_size, const void* source,
                          unsigned int source_size, hbmp_type_t destination_type, hbmp_type_t source_type,
                          unsigned int width, unsigned int height, unsigned int destination_mips,
                          unsigned int source_mips) {
  if (destination_type != HBMP_RGBA) {
    error("hbmp_decompress_s3tc() into non-RGBA is not implemented.");
    return false;
  }
  auto* out = static_cast<unsigned char*>(destination);
  std::size_t out_pixels = hbmp_pixel_count(width, height, destination_mips);
  bool fits = out_pixels <= destination_size / 4;
  if (destination_mips != source_mips || !power_of_two(width) || !power_of_two(height)) {
    error(destination_mips != source_mips ? "hbmp_decompress_s3tc() can not change the number of mipmaps."
                                          : "hbmp_decompress_s3tc() can operate only textures that are power of two.");
    fill_magenta(out, fits ? out_pixels : destination_size / 4);
    return false;
  }
  if (!is_s3tc(source_type)) {
    error("[s3tc] hbmp_decompress_s3tc() of a source that is not S3TC (type %u)", static_cast<unsigned int>(source_type));
    return false;
  }
  std::size_t needed = hbmp_s3tc_size(source_type, width, height, source_mips);
  if (needed > source_size || !fits) {
    error("[s3tc] buffers too small: %u source bytes for %zu, %u destination bytes for %zu", source_size, needed,
          destination_size, out_pixels * 4);
    return false;
  }
  const auto* in = static_cast<const unsigned char*>(source);
  for (unsigned int level = 0; level < source_mips; ++level) {
    decode_level(out, in, source_type, width, height);
    out += static_cast<std::size_t>(width) * height * 4;
    if (width > 1) width /= 2;
    if (height > 1) height /= 2;
  }
  return true;
}

void hbmp_decompress_s3tc(void* destination, const void* source, hbmp_type_t destination_type,
                          hbmp_type_t source_type, unsigned int width, unsigned int height,
                          unsigned int destination_mips, unsigned int source_mips) {
  hbmp_decompress_s3tc(destination, UNBOUNDED, source, UNBOUNDED, destination_type, source_type, width, height,
                       destination_mips, source_mips);
}

void hbmp_compress_s3tc(void*, const void*, hbmp_type_t, hbmp_type_t, unsigned int, unsigned int, unsigned int,
                        unsigned int) {
  error("hbmp_compress_s3tc() is not implemented.");
}

}  // namespace quarn
