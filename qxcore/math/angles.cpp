// Angles between vectors, and angles from sines and cosines.
#include "qxcore/math/angles.h"

#include <cmath>

#include "qxcore/math/float_ops.h"

namespace quarn {

namespace {

float clamp_unit(float v) { return v > 1.0f ? 1.0f : v < -1.0f ? -1.0f : v; }

float cosine_with(const vec_t<float, 3>& a, const vec_t<float, 3>& b, float (*root)(float)) {
  const float m = root(length_squared(a) * length_squared(b));
  // Too short to have a direction: call them parallel.
  if (std::fabs(m) < 0.001f) return 1.0f;
  const float c = dot(a, b) / m;
  if (std::fabs(c) > 1.0f) return c > 0.0f ? 1.0f : -1.0f;
  return c;
}

}  // namespace

float vec3_cos(const vec_t<float, 3>& a, const vec_t<float, 3>& b) {
  return cosine_with(a, b, sqrt_acc);
}

float vec3_cos_rgh(const vec_t<float, 3>& a, const vec_t<float, 3>& b) {
  return cosine_with(a, b, sqrt_rgh);
}

float vec3_angle(const vec_t<float, 3>& a, const vec_t<float, 3>& b) {
  return std::acos(vec3_cos(a, b));
}

float vec4_angle(const vec_t<float, 3>& a, const vec_t<float, 3>& b) {
  const float m = length(a) * length(b);
  if (m == 0.0f) return 0.0f;
  const float c = dot(a, b) / m;
  if (c > 1.0f) return 0.0f;
  if (c < -1.0f) return 3.1415927f;
  return std::acos(c);
}

// A double argument asks for double precision, so the root is the double one
// rather than the float sqrt_acc entry.
double cos_2_sin(double x) {
  const double v = 1.0 - x * x;
  return v <= 0.0 ? 0.0 : std::sqrt(v);
}

float determine_angle(float s, float c) {
  s = clamp_unit(s);
  c = clamp_unit(c);
  if (s < 0.0f && c < 0.0f) return -std::acos(c) * RAD_TO_DEG;
  if (s >= 0.0f && c < 0.0f) return std::acos(c) * RAD_TO_DEG;
  return std::asin(s) * RAD_TO_DEG;
}

}  // namespace quarn
