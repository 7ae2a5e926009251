// Quaternion interpolation: slerp, the non-inverting slerp, squad and the
// squad control points.
#include <cmath>

#include "qxcore/math/quat.h"

namespace quarn {

namespace {

float dot4(const quat_t& a, const quat_t& b) {
  return a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
}

quat_t blend(const quat_t& a, float wa, const quat_t& b, float wb) {
  return {wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z};
}

// Spherical weights of the two ends for the angle θ = acos(c). sin θ is
// taken as √((1 − c)(1 + c)), the same value within a float ulp or two
// (1 − c is exact for c near 1), for one libm call less. At t = 0 and t = 1
// the weights are exactly (1, 0) and (0, 1), as sin θ / sin θ gives them, so
// the ends come out exactly.
void spherical_weights(float c, float t, float* wa, float* wb) {
  if (t == 0.0f || t == 1.0f) {
    *wa = 1.0f - t;
    *wb = t;
    return;
  }
  const float theta = std::acos(c);
  const float s = std::sqrt((1.0f - c) * (1.0f + c));
  *wa = std::sin((1.0f - t) * theta) / s;
  *wb = std::sin(t * theta) / s;
}

}  // namespace

void quat_t::slerp(const quat_t& a, const quat_t& b, float t) {
  float c = dot4(a, b);
  quat_t to = b;
  if (c < 0.0f) {  // q and −q are the same rotation: take the shorter arc
    to = {-b.w, -b.x, -b.y, -b.z};
    c = -c;
  }
  float wa = 1.0f - t, wb = t;
  // Nearly parallel ends: sin θ would be too small to divide by.
  if (!(1.0f - c <= 0.0001f)) spherical_weights(c, t, &wa, &wb);
  *this = blend(a, wa, to, wb);
}

void quat_t::slerp_noinv(const quat_t& a, const quat_t& b, float t) {
  const float c = dot4(a, b);
  float wa = 1.0f - t, wb = t;
  if (-0.95f < c && c < 0.95f) spherical_weights(c, t, &wa, &wb);
  *this = blend(a, wa, b, wb);
}

void quat_t::squad(const quat_t& a, const quat_t& b, const quat_t& c, const quat_t& d, float t) {
  quat_t keys, controls;
  keys.slerp_noinv(a, b, t);
  controls.slerp_noinv(c, d, t);
  slerp_noinv(keys, controls, 2.0f * t * (1.0f - t));
}

void quat_t::spline(const quat_t& prev, const quat_t& q, const quat_t& next) {
  const quat_t inv = -q;
  quat_t l1, l2;
  l1.log(prev * inv);
  l2.log(next * inv);
  const quat_t s = {-(l1.w + l2.w) / 4.0f, -(l1.x + l2.x) / 4.0f, -(l1.y + l2.y) / 4.0f,
                    -(l1.z + l2.z) / 4.0f};
  quat_t e;
  e.exp(s);
  *this = e * q;
}

}  // namespace quarn
