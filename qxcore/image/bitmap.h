// Bitmaps: pixel buffers described by a small header and a pixel format, and
// the arithmetic of their sizes and mip chains. A buffer holds level 0 row by
// row (top row first, no padding), then each smaller level; palette formats
// start with their palette. Nothing here allocates pixel memory: callers size
// their buffers with hbmp_mem_size.
//
//   unsigned int bytes = hbmp_mem_size(256, 256, hbmp_mip_count(256, 256), HBMP_RGBA);
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

enum hbmp_type_t : unsigned int {
  HBMP_NONE = 0,       // no format
  HBMP_RGB = 1,        // R, G, B
  HBMP_RGBA = 2,       // R, G, B, A
  HBMP_BGR = 3,        // B, G, R (the TGA order)
  HBMP_BGRA = 4,       // B, G, R, A
  HBMP_GRAY8 = 5,      // one intensity byte
  HBMP_FORMAT_6 = 6,   // two bytes, no conversions
  HBMP_FORMAT_7 = 7,   // no pixel size
  HBMP_PAL8_RGB = 8,   // 8-bit indices behind a 768-byte R, G, B palette
  HBMP_PAL8_RGBA = 9,  // 8-bit indices behind a 1024-byte R, G, B, A palette
  HBMP_FORMAT_10 = 10, // two bytes, no conversions
  HBMP_FORMAT_11 = 11, // four bytes, copied only onto itself
  HBMP_FORMAT_12 = 12, // four bytes, copied only onto itself
  HBMP_FORMAT_13 = 13, // two bytes, copied only onto itself
  HBMP_FORMAT_14 = 14, // two bytes, copied only onto itself
  HBMP_S3TC_DXT1 = 15, // 8 bytes per 4x4 block
  HBMP_S3TC_DXT3 = 16, // 16 bytes per block, explicit 4-bit alpha
  HBMP_S3TC_DXT5 = 17, // 16 bytes per block, interpolated alpha
};

struct hbmp_t {
  unsigned short width;
  unsigned short height;
  unsigned short reserved;  // neither read nor written by the image routines
  unsigned short mip_count;
  hbmp_type_t type;
  void* data;  // not owned
};

QX_API unsigned int hbmp_pixel_size(hbmp_type_t type);  // bytes per pixel; 0 for unknown or block formats
QX_API unsigned int hbmp_pixel_count(unsigned int width, unsigned int height, unsigned int mips);
// Pixels times pixel size, plus the palette of the palette formats (even for
// 0 levels); 0 for the block formats, whose buffer size is the caller's.
QX_API unsigned int hbmp_mem_size(unsigned int width, unsigned int height, unsigned int mips, hbmp_type_t type);
QX_API unsigned int hbmp_mip_count(unsigned int size);  // levels of a full chain: bit_size + 1
QX_API unsigned int hbmp_mip_count(unsigned int width, unsigned int height);  // the larger of the two

QX_API void hbmp_flip(hbmp_type_t type, unsigned int width, unsigned int height, void* data);  // level 0, types 1-4
// Box-filters the rest of the chain behind level 0 (types 1-4, power-of-two sizes).
QX_API void hbmp_build_mips(void* data, hbmp_type_t type, unsigned int width, unsigned int height);
// The power-of-two header a non-power-of-two image (or a non-square one, when
// `square`) should be resampled into; false when `in` needs no padding.
QX_API bool hbmp_build_compatible(hbmp_t* out, hbmp_t* in, bool square);
// Nearest-neighbour scaling of level 0, types 1-4, both headers of one type.
QX_API void hbmp_resample(hbmp_t* destination, const hbmp_t* source);

// Converts the smallest `destination_mips` levels of the source into the
// destination type (palette expansion, channel order, S3TC decoding); pairs
// without a conversion leave the destination as it was.
QX_API void hbmp_convert(void* destination, void* source, hbmp_type_t destination_type, hbmp_type_t source_type,
                         unsigned int width, unsigned int height, unsigned int destination_mips,
                         unsigned int source_mips);

// Copies pixels between surfaces described by channel bit masks (2, 3 or 4
// bytes a pixel, little-endian): each channel's top bit lands on the
// destination field's top bit; missing low bits are 0. A 3-byte source
// fills a destination's alpha field with ones.
QX_API void hbmp_copy(void* destination, void* source, unsigned int width, unsigned int height,
                      unsigned int destination_pitch, unsigned int source_pitch, unsigned int destination_red_mask,
                      unsigned int destination_green_mask, unsigned int destination_blue_mask,
                      unsigned int destination_alpha_mask, unsigned int source_red_mask,
                      unsigned int source_green_mask, unsigned int source_blue_mask, unsigned int source_alpha_mask,
                      unsigned int destination_bytes_per_pixel, unsigned int source_bytes_per_pixel);
// Fills a foreign surface from a library image: S3TC bytes are copied as
// they are, types 1-4 go through hbmp_copy with their own masks.
QX_API void hbmp_fill(void* destination, void* source, hbmp_type_t type, unsigned int width, unsigned int height,
                      unsigned int destination_pitch, unsigned int red_mask, unsigned int green_mask,
                      unsigned int blue_mask, unsigned int alpha_mask, unsigned int destination_bits_per_pixel,
                      unsigned int byte_count);

}  // namespace quarn
