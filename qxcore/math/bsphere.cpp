// bsphere_t: growth, merging and overlap.
#include "qxcore/math/bsphere.h"

#include "qxcore/math/sphere.h"
#include "qxcore/math/transform_inline.h"

namespace quarn {

using vec3 = vec_t<float, 3>;

void bsphere_t::set(const vec3& c, float r) {
  center = c;
  radius = r;
  radius2 = r * r;
  trans_center = c;
}

void bsphere_t::expand() {
  radius *= 1.01f;
  radius2 = radius * radius;
}

void bsphere_t::transform(const mat_sq_t<float, 4>& m) {
  trans_center = detail::transform_point(m, center);
}

void bsphere_t::resize(const vec3& p) {
  const vec3 delta = p - center;
  const float d2 = length_squared(delta);
  if (!(d2 > radius2)) return;
  const float d = length(delta);
  const float grown = (d + radius) * 0.5f;
  center += delta * ((grown - radius) / d);
  radius = grown;
  radius2 = radius * radius;
}

void bsphere_t::resize(const vec3& c, float r) {
  sphere_t s{center, radius};
  s.enlarge({c, r});
  center = s.center;
  radius = s.radius;
  radius2 = radius * radius;
}

bool bsphere_t::overlap(const bsphere_t& other) const {
  const float d2 = length_squared(other.trans_center - center);
  return d2 <= radius2 + other.radius2 + 2.0f * radius * other.radius;
}

}  // namespace quarn
