// Pixel layout conversions and the channel-wise product of two colours.
#include "qxcore/core/messages.h"
#include "qxcore/image/colour_streams.h"

namespace quarn {

namespace {

bool refuse_null(const void* destination, const void* source, unsigned int count,
                 const char* routine) {
  if (count == 0 || (destination != nullptr && source != nullptr)) return false;
  error("[image] %s: null pixel buffer", routine);
  return true;
}

}  // namespace

void rgb_rgba(unsigned char* destination, const unsigned char* source, unsigned int count) {
  if (refuse_null(destination, source, count, "rgb_rgba")) return;
  for (; count != 0; --count, destination += 4, source += 3) {
    destination[0] = source[0];
    destination[1] = source[1];
    destination[2] = source[2];
    destination[3] = 255;
  }
}

void rgba_rgb(unsigned char* destination, const unsigned char* source, unsigned int count) {
  if (refuse_null(destination, source, count, "rgba_rgb")) return;
  for (; count != 0; --count, destination += 3, source += 4) {
    destination[0] = source[0];
    destination[1] = source[1];
    destination[2] = source[2];
  }
}

void rgb_bgra(unsigned char* destination, const unsigned char* source, unsigned int count) {
  if (refuse_null(destination, source, count, "rgb_bgra")) return;
  for (; count != 0; --count, destination += 4, source += 3) {
    destination[0] = source[2];
    destination[1] = source[1];
    destination[2] = source[0];
    destination[3] = 255;
  }
}

// Each pixel is read whole before it is written, so these work in place.
void rgba_bgra(unsigned char* destination, const unsigned char* source, unsigned int count) {
  if (refuse_null(destination, source, count, "rgba_bgra")) return;
  for (; count != 0; --count, destination += 4, source += 4) {
    unsigned char first = source[0], second = source[1], third = source[2], fourth = source[3];
    destination[0] = third;
    destination[1] = second;
    destination[2] = first;
    destination[3] = fourth;
  }
}

void rgb_bgr(unsigned char* destination, const unsigned char* source, unsigned int count) {
  if (refuse_null(destination, source, count, "rgb_bgr")) return;
  for (; count != 0; --count, destination += 3, source += 3) {
    unsigned char first = source[0], second = source[1], third = source[2];
    destination[0] = third;
    destination[1] = second;
    destination[2] = first;
  }
}

unsigned int rgb_scale(unsigned int a, unsigned int b) {
  unsigned int result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    unsigned int product = ((a >> shift) & 0xFF) * ((b >> shift) & 0xFF);
    result |= (product / 255) << shift;
  }
  return result;
}

}  // namespace quarn
