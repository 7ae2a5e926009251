// plane_t constructors.
#include "qxcore/math/plane.h"

#include <cmath>

namespace quarn {

plane_t::plane_t(const vec_t<float, 3>& n, const vec_t<float, 3>& point)
    : normal(n), d(-dot(n, point)) {}

plane_t::plane_t(const vec_t<float, 3>& p1, const vec_t<float, 3>& p2, const vec_t<float, 3>& p3) {
  normal = cross(p2 - p1, p3 - p1);
  const float len2 = length_squared(normal);
  if (len2 > 0.00001f) normal = normal / std::sqrt(len2);
  d = -dot(normal, p2);
}

float plane_t::get_distance(const vec_t<float, 3>& x) const {
  return std::fabs(get_signed_distance(x));
}

}  // namespace quarn
