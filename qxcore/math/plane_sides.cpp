// Side tests of points and boxes against planes.
#include "qxcore/math/plane_sides.h"

#include <cmath>

#include "qxcore/math/edge_plane.h"

namespace quarn {

using vec3 = vec_t<float, 3>;
using vec4 = vec_t<float, 4>;

namespace {

float s_of(const vec3& p, const vec4& plane) { return dot(xyz(plane), p) + plane.w; }

}  // namespace

bool point_left(const vec4& plane, const vec4& point) { return dot(plane, point) <= 0.0f; }
bool point_left(const vec4& plane, const vec4& point, float eps) {
  return dot(plane, point) - eps <= 0.0f;
}
bool point_right(const vec4& plane, const vec4& point) { return dot(plane, point) >= 0.0f; }
bool point_right(const vec4& plane, const vec4& point, float eps) {
  return dot(plane, point) + eps >= 0.0f;
}

bool point_left(const vec3& p, const vec4& plane) { return s_of(p, plane) <= 0.0f; }
bool point_left(const vec3& p, const vec4& plane, float eps) {
  return s_of(p, plane) - eps <= 0.0f;
}
bool point_right(const vec3& p, const vec4& plane) { return s_of(p, plane) >= 0.0f; }
bool point_right(const vec3& p, const vec4& plane, float eps) {
  return s_of(p, plane) + eps >= 0.0f;
}

bool point_left(const vec3& p, const vec4& plane, const vec3& e) {
  return s_of(p, plane) - box_plane_radius(plane, e) <= 0.0f;
}
bool point_left(const vec3& p, const vec4& plane, const vec3& e, float eps) {
  return s_of(p, plane) - box_plane_radius(plane, e) - eps <= 0.0f;
}
bool point_right(const vec3& p, const vec4& plane, const vec3& e) {
  return s_of(p, plane) - box_plane_radius(plane, e) >= 0.0f;
}
bool point_right(const vec3& p, const vec4& plane, const vec3& e, float eps) {
  return s_of(p, plane) - box_plane_radius(plane, e) + eps >= 0.0f;
}
bool point_left_inv(const vec3& p, const vec4& plane, const vec3& e, float eps) {
  return s_of(p, plane) + box_plane_radius(plane, e) - eps <= 0.0f;
}
bool point_left_inv(const vec3& p, const vec4& plane, float k, float eps) {
  const float reach = k * (std::fabs(plane.x) + std::fabs(plane.y) + std::fabs(plane.z));
  return s_of(p, plane) + reach - eps <= 0.0f;
}
bool point_right_inv(const vec3& p, const vec4& plane, const vec3& e, float eps) {
  return s_of(p, plane) + box_plane_radius(plane, e) + eps >= 0.0f;
}

bool point_on_plane(const vec3& p, const vec4& plane, float eps) {
  return std::fabs(s_of(p, plane)) < eps;
}
bool point_on_plane(const vec3& p, const vec4& plane, const vec3& e, float eps) {
  return point_left(p, plane, e, eps) && point_left(p, -plane, e, eps);
}

int point_side(const vec3& p, const vec4& plane, float eps) {
  const float s = s_of(p, plane);
  if (std::fabs(s) <= eps) return 0;
  return s > 0.0f ? 1 : -1;
}
int point_side(const vec3& p, const vec4& plane) {
  const float s = s_of(p, plane);
  if (s == 0.0f) return 0;
  return s > 0.0f ? 1 : -1;
}
int point_side(const vec3& p, const vec4& plane, const vec3& e, float eps) {
  const float v = s_of(p, plane) - box_plane_radius(plane, e);
  if (std::fabs(v) <= eps) return 0;
  return v >= 0.0f ? 1 : -1;
}
int point_side(const vec3& p, const vec4& plane, const vec3& e) {
  const float v = s_of(p, plane) - box_plane_radius(plane, e);
  if (v == 0.0f) return 0;
  return v > 0.0f ? 1 : -1;
}

}  // namespace quarn
