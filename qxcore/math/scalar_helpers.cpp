// Small numeric helpers.
#include "qxcore/math/scalar_helpers.h"

#include <cmath>

namespace quarn {

unsigned int bit_size(unsigned int n) {
  const unsigned int below = n - 1;
  return below == 0 ? 0 : 32u - static_cast<unsigned int>(__builtin_clz(below));
}

// Bits summed in pairs, nibbles, then bytes: no call into the compiler's
// runtime on processors without a population-count instruction.
unsigned int bit_count(unsigned int n) {
  n = n - ((n >> 1) & 0x55555555u);
  n = (n & 0x33333333u) + ((n >> 2) & 0x33333333u);
  return (((n + (n >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24;
}

// In double, as a wider intermediate would be: the float product 0.29f·100
// rounds up to exactly 29, while the value really is just below it.
float round(float v, int digits) {
  const double scale = std::pow(10.0, digits);
  return static_cast<float>(std::trunc(static_cast<double>(v) * scale) / scale);
}

float lerp(float a, float b, float t) { return (b - a) * t + a; }

float lerp_smooth(float a, float b, float t) {
  return (b - a) * (3.0f * t * t - 2.0f * t * t * t) + a;
}

void vector_positive(vec_t<float, 3>* v) {
  for (int i = 0; i < 3; ++i)
    if (!((*v)[i] > 0.0f)) (*v)[i] = 0.0f;
}

}  // namespace quarn
