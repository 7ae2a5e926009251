#include <cstring>

#include "qxcore/image/bitmap.h"
#include "qxcore/sys/cpu_dispatch.h"

namespace quarn {

namespace {

unsigned int msb(unsigned int mask) { return 31u - static_cast<unsigned int>(__builtin_clz(mask)); }

// One channel's move: masked out of the source, its top bit shifted onto the
// destination field's top bit.
struct channel_t {
  unsigned int source_mask, left, right, destination_mask;
  channel_t(unsigned int from, unsigned int to)
      : source_mask(to != 0 ? from : 0),
        left(from != 0 ? 31 - msb(from) : 0),
        right(to != 0 ? 31 - msb(to) : 0),
        destination_mask(to) {}
  unsigned int move(unsigned int pixel) const {
    return (((pixel & source_mask) << left) >> right) & destination_mask;
  }
};

unsigned int load(const unsigned char* p, unsigned int bytes) {
  unsigned int v = 0;
  std::memcpy(&v, p, bytes);  // little-endian: the low bytes
  return v;
}

bool handled(unsigned int to, unsigned int from) {
  return from >= 2 && from <= 4 && to >= 2 && to <= 4 && !(from == 2 && to == 2);
}

}  // namespace

void hbmp_copy(void* destination, void* source, unsigned int width, unsigned int height,
               unsigned int destination_pitch, unsigned int source_pitch, unsigned int destination_red_mask,
               unsigned int destination_green_mask, unsigned int destination_blue_mask,
               unsigned int destination_alpha_mask, unsigned int source_red_mask, unsigned int source_green_mask,
               unsigned int source_blue_mask, unsigned int source_alpha_mask,
               unsigned int destination_bytes_per_pixel, unsigned int source_bytes_per_pixel) {
  unsigned int to = destination_bytes_per_pixel, from = source_bytes_per_pixel;
  if (!handled(to, from)) return;
  const channel_t channels[4] = {{source_red_mask, destination_red_mask},
                                 {source_green_mask, destination_green_mask},
                                 {source_blue_mask, destination_blue_mask},
                                 {source_alpha_mask, destination_alpha_mask}};
  // A 24-bit source has no alpha: the destination's alpha field becomes opaque.
  unsigned int opaque = 0;
  if (from == 3 && to != 3 && destination_alpha_mask != 0)
    opaque = (0xFF000000u >> (31 - msb(destination_alpha_mask))) & destination_alpha_mask;
  auto* out_row = static_cast<unsigned char*>(destination);
  const auto* in_row = static_cast<const unsigned char*>(source);
  for (unsigned int y = 0; y < height; ++y, out_row += destination_pitch, in_row += source_pitch) {
    unsigned char* out = out_row;
    const unsigned char* in = in_row;
    for (unsigned int x = 0; x < width; ++x, out += to, in += from) {
      unsigned int pixel = load(in, from);
      unsigned int value = opaque;
      for (const channel_t& c : channels) value |= c.move(pixel);
      std::memcpy(out, &value, to);
    }
  }
}

void hbmp_fill(void* destination, void* source, hbmp_type_t type, unsigned int width, unsigned int height,
               unsigned int destination_pitch, unsigned int red_mask, unsigned int green_mask,
               unsigned int blue_mask, unsigned int alpha_mask, unsigned int destination_bits_per_pixel,
               unsigned int byte_count) {
  if (type >= HBMP_S3TC_DXT1 && type <= HBMP_S3TC_DXT5) {
    mm_memcpy(destination, source, byte_count);
    return;
  }
  // The channel masks of the library's own colour formats, little-endian.
  static const unsigned int MASKS[5][4] = {{0, 0, 0, 0},
                                           {0x000000FF, 0x0000FF00, 0x00FF0000, 0},
                                           {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000},
                                           {0x00FF0000, 0x0000FF00, 0x000000FF, 0},
                                           {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}};
  if (type < HBMP_RGB || type > HBMP_BGRA) return;
  unsigned int size = hbmp_pixel_size(type);
  const unsigned int* m = MASKS[type];
  hbmp_copy(destination, source, width, height, destination_pitch, width * size, red_mask, green_mask, blue_mask,
            alpha_mask, m[0], m[1], m[2], m[3], destination_bits_per_pixel / 8, size);
}

}  // namespace quarn
