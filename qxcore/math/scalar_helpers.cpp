// Small numeric helpers.
#include "qxcore/math/scalar_helpers.h"

#include <cmath>

namespace quarn {

unsigned int bit_size(unsigned int n) {
  const unsigned int below = n - 1;
  return below == 0 ? 0 : 32u - static_cast<unsigned int>(__builtin_clz(below));
}

unsigned int bit_count(unsigned int n) { return static_cast<unsigned int>(__builtin_popcount(n)); }

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
