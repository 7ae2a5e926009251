// The plain pixel-stream routines, one channel at a time.
#include "qxcore/image/colour_streams.h"

#include "qxcore/core/messages.h"
#include "qxcore/image/colour_stream_paths.h"

namespace quarn {

namespace colour_stream_paths {

bool refuse_null(const void* destination, const void* a, const void* b, unsigned int count,
                 const char* routine) {
  if (count == 0 || (destination != nullptr && a != nullptr && b != nullptr)) return false;
  error("[image] %s: null pixel buffer", routine);
  return true;
}

}  // namespace colour_stream_paths

namespace {

using colour_stream_paths::MAX_FACTOR;
using colour_stream_paths::NO_ALPHA;
using colour_stream_paths::refuse_null;

inline unsigned int channel(unsigned int colour, int shift) { return (colour >> shift) & 0xFF; }
inline unsigned int saturate(unsigned int v) { return v > 255 ? 255 : v; }

inline unsigned int add_pixel(unsigned int a, unsigned int b) {
  unsigned int result = 0;
  for (int shift = 0; shift < 32; shift += 8)
    result |= saturate(channel(a, shift) + channel(b, shift)) << shift;
  return result;
}

inline unsigned int scale_pixel(unsigned int a, unsigned int b) {
  unsigned int result = 0;
  for (int shift = 0; shift < 32; shift += 8)
    result |= ((channel(a, shift) * channel(b, shift)) >> 8) << shift;
  return result;
}

inline unsigned int scaled_add_pixel(unsigned int a, unsigned int b, unsigned int factor) {
  unsigned int result = 0;
  for (int shift = 0; shift < 32; shift += 8)
    result |= saturate(channel(a, shift) + ((channel(b, shift) * factor) >> 8)) << shift;
  return result;
}

inline unsigned int clamp_factor(unsigned int factor) {
  return factor > MAX_FACTOR ? MAX_FACTOR : factor;
}

}  // namespace

void default_rgb_stream_add(unsigned int* destination, const unsigned int* a, const unsigned int* b,
                            unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_add")) return;
  for (unsigned int i = 0; i < count; ++i) destination[i] = add_pixel(a[i], b[i]);
}

void default_rgb_stream_add_noalpha(unsigned int* destination, const unsigned int* a,
                                    const unsigned int* b, unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_add_noalpha")) return;
  for (unsigned int i = 0; i < count; ++i) destination[i] = add_pixel(a[i], b[i] & NO_ALPHA);
}

void default_rgb_stream_scale(unsigned int* destination, const unsigned int* a,
                              const unsigned int* b, unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_scale")) return;
  for (unsigned int i = 0; i < count; ++i) destination[i] = scale_pixel(a[i], b[i]);
}

void default_rgb_stream_scale_const(unsigned int* destination, const unsigned int* a,
                                    unsigned int colour, unsigned int count) {
  if (refuse_null(destination, a, a, count, "rgb_stream_scale_const")) return;
  for (unsigned int i = 0; i < count; ++i) destination[i] = scale_pixel(a[i], colour);
}

void default_rgb_stream_scaled_add(unsigned int* destination, const unsigned int* a,
                                   const unsigned int* b, unsigned int factor, unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_scaled_add")) return;
  factor = clamp_factor(factor);
  for (unsigned int i = 0; i < count; ++i) destination[i] = scaled_add_pixel(a[i], b[i], factor);
}

void default_rgb_stream_scaled_add_noalpha(unsigned int* destination, const unsigned int* a,
                                           const unsigned int* b, unsigned int factor,
                                           unsigned int count) {
  if (refuse_null(destination, a, b, count, "rgb_stream_scaled_add_noalpha")) return;
  factor = clamp_factor(factor);
  for (unsigned int i = 0; i < count; ++i)
    destination[i] = scaled_add_pixel(a[i], b[i] & NO_ALPHA, factor);
}

}  // namespace quarn
