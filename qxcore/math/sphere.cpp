// sphere_t tests and merging.
#include "qxcore/math/sphere.h"

#include <cmath>

namespace quarn {

using vec3 = vec_t<float, 3>;

bool sphere_t::contains(const vec3& p) const {
  return length_squared(p - center) < radius * radius;
}

bool sphere_t::intersects(const sphere_t& other) const {
  const float reach = radius + other.radius;
  return length_squared(other.center - center) < reach * reach;
}

bool sphere_t::intersects(const vec3& a, const vec3& b) const {
  const vec3 ca = center - a;
  const float ca2 = length_squared(ca);
  const float r2 = radius * radius;
  if (ca2 <= r2) return true;
  const vec3 e = b - a;
  const float t = dot(ca, e);
  if (t < 0.0f) return false;  // the segment points away from the centre
  const float e2 = length_squared(e);
  const float along2 = t * t / e2;  // squared distance from a to the foot
  if (along2 < e2) return ca2 - along2 <= r2;
  return length_squared(center - b) < r2;
}

void sphere_t::enlarge(const sphere_t& other) {
  const vec3 delta = other.center - center;
  const float dist = length(delta);
  if (dist + other.radius <= radius) return;
  if (dist + radius < other.radius) {
    *this = other;
    return;
  }
  const vec3 u = delta / dist;
  const vec3 near_end = center - radius * u;
  const vec3 far_end = other.center + other.radius * u;
  center = (near_end + far_end) * 0.5f;
  radius = (radius + other.radius + dist) * 0.5f;
}

}  // namespace quarn
