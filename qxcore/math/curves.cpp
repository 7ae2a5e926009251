#include "qxcore/math/curves.h"

namespace quarn {

namespace {

using vec3 = vec_t<float, 3>;

// w0·c0 + w1·c1 + w2·c2 + w3·c3, summed in that order.
vec3 weighted(float w0, const vec3& c0, float w1, const vec3& c1, float w2, const vec3& c2,
              float w3, const vec3& c3) {
  return c0 * w0 + c1 * w1 + c2 * w2 + c3 * w3;
}

}  // namespace

void cr_curve(const vec3& p0, const vec3& p1, const vec3& p2, const vec3& p3, float t, vec3* point,
              vec3* tangent) {
  const float t2 = t * t, t3 = t2 * t;
  if (point != nullptr)
    *point = weighted(-t3 + 2 * t2 - t, p0, 3 * t3 - 5 * t2 + 2, p1, -3 * t3 + 4 * t2 + t, p2,
                      t3 - t2, p3) *
             0.5f;
  if (tangent != nullptr) {
    *tangent = normalized(weighted(-3 * t2 + 4 * t - 1, p0, 9 * t2 - 10 * t, p1,
                                   -9 * t2 + 8 * t + 1, p2, 3 * t2 - 2 * t, p3) *
                          0.5f);
  }
}

void smooth_curve(const vec3& a, const vec3& ha, const vec3& b, const vec3& hb, float t,
                  vec3* point, vec3* tangent) {
  const vec3 c1 = a + ha, c2 = b - hb;
  const float s = 1 - t;
  if (point != nullptr)
    *point = weighted(s * s * s, a, 3 * s * s * t, c1, 3 * s * t * t, c2, t * t * t, b);
  if (tangent != nullptr) {
    const float t2 = t * t;
    *tangent = normalized(
        weighted(-3 + 6 * t - 3 * t2, a, 3 - 12 * t + 9 * t2, c1, 6 * t - 9 * t2, c2, 3 * t2, b));
  }
}

}  // namespace quarn
