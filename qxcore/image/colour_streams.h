// Arrays of packed colours: reordering and widening or narrowing between 3-
// and 4-byte pixels, multiplying two packed colours channel by channel, and
// the pixel-stream operations, which the processor dispatch binds to a plain
// or an SSE2 version (both give the same bytes).
//
// A packed colour holds four 8-bit channels, byte 0 (lowest) first, in the
// order of the pixels in memory. Pixel arrays are contiguous, without padding.
//
//   quarn::rgb_bgra(bgra_pixels, rgb_pixels, width * height);
//   quarn::rgb_stream_add(lit, albedo, glow, width * height);
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// Conversions of `count` pixels, front to back. Source and destination must
// not overlap, except that rgba_bgra and rgb_bgr work in place.
QX_API void rgb_rgba(unsigned char* destination, const unsigned char* source,
                     unsigned int count);  // alpha 255
QX_API void rgba_rgb(unsigned char* destination, const unsigned char* source,
                     unsigned int count);  // drops alpha
QX_API void rgb_bgra(unsigned char* destination, const unsigned char* source,
                     unsigned int count);  // swaps 0, 2; alpha 255
QX_API void rgba_bgra(unsigned char* destination, const unsigned char* source,
                      unsigned int count);  // swaps 0, 2
QX_API void rgb_bgr(unsigned char* destination, const unsigned char* source,
                    unsigned int count);  // swaps 0, 2

// Per channel floor(a_i * b_i / 255): 255 keeps a channel, 128 * 128 gives 64.
QX_API unsigned int rgb_scale(unsigned int a, unsigned int b);

// Pixel streams over `count` 32-bit pixels. The destination may be one of the
// inputs; other overlaps are not supported.
using rgb_stream_fn = void (*)(unsigned int* destination, const unsigned int* a,
                               const unsigned int* b, unsigned int count);
using rgb_stream_const_fn = void (*)(unsigned int* destination, const unsigned int* a,
                                     unsigned int colour, unsigned int count);
using rgb_stream_scaled_fn = void (*)(unsigned int* destination, const unsigned int* a,
                                      const unsigned int* b, unsigned int factor,
                                      unsigned int count);

QX_API extern rgb_stream_fn rgb_stream_add;                // min(a_i + b_i, 255)
QX_API extern rgb_stream_fn rgb_stream_add_noalpha;        // the same; alpha from a
QX_API extern rgb_stream_fn rgb_stream_scale;              // (a_i * b_i) >> 8
QX_API extern rgb_stream_const_fn rgb_stream_scale_const;  // (a_i * colour_i) >> 8
// min(a_i + ((b_i * factor) >> 8), 255): the factor counts in 1/256, so 256
// adds b unchanged and 128 adds half of it; factors above 65535 act as 65535.
QX_API extern rgb_stream_scaled_fn rgb_stream_scaled_add;
QX_API extern rgb_stream_scaled_fn rgb_stream_scaled_add_noalpha;  // the same; alpha from a

// The plain versions.
QX_API void default_rgb_stream_add(unsigned int* destination, const unsigned int* a,
                                   const unsigned int* b, unsigned int count);
QX_API void default_rgb_stream_add_noalpha(unsigned int* destination, const unsigned int* a,
                                           const unsigned int* b, unsigned int count);
QX_API void default_rgb_stream_scale(unsigned int* destination, const unsigned int* a,
                                     const unsigned int* b, unsigned int count);
QX_API void default_rgb_stream_scale_const(unsigned int* destination, const unsigned int* a,
                                           unsigned int colour, unsigned int count);
QX_API void default_rgb_stream_scaled_add(unsigned int* destination, const unsigned int* a,
                                          const unsigned int* b, unsigned int factor,
                                          unsigned int count);
QX_API void default_rgb_stream_scaled_add_noalpha(unsigned int* destination, const unsigned int* a,
                                                  const unsigned int* b, unsigned int factor,
                                                  unsigned int count);

}  // namespace quarn
