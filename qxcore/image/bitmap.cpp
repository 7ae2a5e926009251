#include "qxcore/image/bitmap.h"

#include <algorithm>
#include <cstring>

#include "qxcore/math/scalar_helpers.h"

namespace quarn {

namespace {

constexpr unsigned char PIXEL_SIZES[] = {0, 3, 4, 3, 4, 1, 2, 0, 1, 1, 2, 4, 4, 2, 2, 0, 0, 0};

bool plain_colour(hbmp_type_t type) { return type >= HBMP_RGB && type <= HBMP_BGRA; }
bool power_of_two(unsigned int n) { return n != 0 && (n & (n - 1)) == 0; }

}  // namespace

unsigned int hbmp_pixel_size(hbmp_type_t type) {
  return type < sizeof PIXEL_SIZES ? PIXEL_SIZES[type] : 0;
}

unsigned int hbmp_pixel_count(unsigned int width, unsigned int height, unsigned int mips) {
  unsigned int sum = 0;
  for (unsigned int i = 0; i < mips; ++i) {
    sum += width * height;
    if (width > 1) width /= 2;
    if (height > 1) height /= 2;
  }
  return sum;
}

unsigned int hbmp_mem_size(unsigned int width, unsigned int height, unsigned int mips, hbmp_type_t type) {
  unsigned int palette = type == HBMP_PAL8_RGB ? 768 : type == HBMP_PAL8_RGBA ? 1024 : 0;
  return hbmp_pixel_count(width, height, mips) * hbmp_pixel_size(type) + palette;
}

unsigned int hbmp_mip_count(unsigned int size) { return bit_size(size) + 1; }

unsigned int hbmp_mip_count(unsigned int width, unsigned int height) {
  return std::max(hbmp_mip_count(width), hbmp_mip_count(height));
}

void hbmp_flip(hbmp_type_t type, unsigned int width, unsigned int height, void* data) {
  if (!plain_colour(type) || height < 2) return;
  std::size_t row = static_cast<std::size_t>(width) * hbmp_pixel_size(type);
  auto* pixels = static_cast<unsigned char*>(data);
  for (unsigned int i = 0; i < height / 2; ++i)
    std::swap_ranges(pixels + i * row, pixels + (i + 1) * row, pixels + (height - 1 - i) * row);
}

void hbmp_build_mips(void* data, hbmp_type_t type, unsigned int width, unsigned int height) {
  if (!plain_colour(type) || !power_of_two(width) || !power_of_two(height)) return;
  unsigned int size = hbmp_pixel_size(type);
  unsigned int channels = size;  // alpha is averaged too where there is one
  unsigned int levels = hbmp_mip_count(width, height);
  auto* source = static_cast<unsigned char*>(data);
  for (unsigned int level = 1; level < levels; ++level) {
    unsigned char* target = source + static_cast<std::size_t>(width) * height * size;
    unsigned int w = std::max(width / 2, 1u), h = std::max(height / 2, 1u);
    for (unsigned int y = 0; y < h; ++y) {
      // Rows and columns wrap with AND, so a dimension of 1 averages a pixel with itself.
      const unsigned char* r0 = source + static_cast<std::size_t>((2 * y) & (height - 1)) * width * size;
      const unsigned char* r1 = source + static_cast<std::size_t>((2 * y + 1) & (height - 1)) * width * size;
      for (unsigned int x = 0; x < w; ++x) {
        unsigned int c0 = ((2 * x) & (width - 1)) * size, c1 = ((2 * x + 1) & (width - 1)) * size;
        unsigned char* out = target + (static_cast<std::size_t>(y) * w + x) * size;
        for (unsigned int c = 0; c < channels; ++c)
          out[c] = static_cast<unsigned char>((r0[c0 + c] + r0[c1 + c] + r1[c0 + c] + r1[c1 + c]) >> 2);
      }
    }
    source = target;
    width = w;
    height = h;
  }
}

bool hbmp_build_compatible(hbmp_t* out, hbmp_t* in, bool square) {
  bool powers = power_of_two(in->width) && power_of_two(in->height);
  if (powers && (!square || in->width == in->height)) return false;
  // The header holds 16-bit sizes: 32768 is the largest power of two it can.
  auto padded = [](unsigned int n) { return static_cast<unsigned short>(std::min(1u << bit_size(n), 32768u)); };
  if (square) {
    out->width = out->height = padded(std::max<unsigned int>(in->width, in->height));
  } else {
    out->width = padded(in->width);
    out->height = padded(in->height);
  }
  out->mip_count = 1;
  out->type = in->type;
  return true;
}

void hbmp_resample(hbmp_t* destination, const hbmp_t* source) {
  if (!plain_colour(destination->type) || destination->width == 0 || destination->height == 0) return;
  unsigned int size = hbmp_pixel_size(destination->type);
  unsigned int step_x = (static_cast<unsigned int>(source->width) << 16) / destination->width;
  unsigned int step_y = (static_cast<unsigned int>(source->height) << 16) / destination->height;
  auto* out = static_cast<unsigned char*>(destination->data);
  const auto* in = static_cast<const unsigned char*>(source->data);
  unsigned int fy = 0;
  for (unsigned int y = 0; y < destination->height; ++y, fy += step_y) {
    const unsigned char* row = in + static_cast<std::size_t>(fy >> 16) * source->width * size;
    unsigned int fx = 0;
    for (unsigned int x = 0; x < destination->width; ++x, fx += step_x, out += size)
      std::memcpy(out, row + static_cast<std::size_t>(fx >> 16) * size, size);
  }
}

}  // namespace quarn
