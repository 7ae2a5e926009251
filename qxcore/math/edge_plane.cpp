// Edges against planes.
#include "qxcore/math/edge_plane.h"

#include <cmath>

namespace quarn {

using vec3 = vec_t<float, 3>;
using vec4 = vec_t<float, 4>;

namespace {

float signed_value(const vec4& plane, const vec3& p) { return dot(xyz(plane), p) + plane.w; }

vec4 moved_by_box(const vec4& plane, const vec3& e) {
  return {plane.x, plane.y, plane.z, plane.w + box_plane_radius(plane, e)};
}

// Shared by the plain and box limited forms once the plane is fixed.
bool limited_crossing(const vec3& a, const vec3& b, const vec4& plane, float den, vec3* out,
                      float eps) {
  const vec3 e = b - a;
  const float t = -signed_value(plane, a) / den;
  *out = a + t * e;
  const float len = length(e);
  const float along = t * len;
  return -eps <= along && along <= len + eps;
}

}  // namespace

float box_plane_radius(const vec4& plane, const vec3& e) {
  return std::fabs(e.x * plane.x) + std::fabs(e.y * plane.y) + std::fabs(e.z * plane.z);
}

int compute_edge_plane_intersection(const vec3& a, const vec3& b, const vec4& plane, vec3* out,
                                    float eps) {
  const vec3 e = b - a;
  if (length_squared(e) < 1e-8f) {
    *out = a;
    return 1;
  }
  const float den = dot(e, xyz(plane));
  if (std::fabs(den) <= eps) return 0;
  const float t = -signed_value(plane, a) / den;
  *out = a + t * e;
  return t < 0.0f ? -1 : 1;
}

bool compute_edge_plane_intersection(const vec3& a, const vec3& b, const vec4& plane, vec3* out,
                                     const vec3& e, float eps) {
  return compute_edge_plane_intersection(a, b, moved_by_box(plane, e), out, eps) > 0;
}

float compute_edge_intersection_coef(const vec3& a, const vec3& b, const vec4& plane, float) {
  const float den = dot(b - a, xyz(plane));
  if (!(std::fabs(den) > 1e-6f)) return 0.0f;
  return -signed_value(plane, a) / den;
}

bool compute_limited_plane_intersection(const vec3& a, const vec3& b, const vec4& plane, vec3* out,
                                        float eps) {
  const vec3 e = b - a;
  const float den = dot(e, xyz(plane));
  if (length_squared(e) < 1e-6f || std::fabs(den) <= 0.0001f) {
    *out = b;
    return false;
  }
  return limited_crossing(a, b, plane, den, out, eps);
}

bool compute_limited_plane_intersection(const vec3& a, const vec3& b, const vec4& plane, vec3* out,
                                        const vec3& e, float eps) {
  const float den = dot(b - a, xyz(plane));
  if (std::fabs(den) <= 1e-6f) return false;
  return limited_crossing(a, b, moved_by_box(plane, e), den, out, eps);
}

bool compute_limited_plane_intersection_c(const vec3& a, const vec3& b, const vec4& plane,
                                          vec3* out, const vec3& e, float) {
  const float den = dot(b - a, xyz(plane));
  if (!(std::fabs(den) > 1e-6f)) return false;
  const float t = -(signed_value(plane, a) + box_plane_radius(plane, e)) / den;
  *out = a + t * (b - a);
  return true;
}

}  // namespace quarn
