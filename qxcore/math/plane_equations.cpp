// Plane equations.
#include "qxcore/math/plane_equations.h"

#include <cmath>

#include "qxcore/math/edge_plane.h"
#include "qxcore/math/transform_inline.h"

namespace quarn {

using vec3 = vec_t<float, 3>;
using vec4 = vec_t<float, 4>;

void plane_normalize(vec4* out, const vec4& plane) { *out = plane / length(xyz(plane)); }

bool construct_equation(const vec3& point, const vec3& normal, vec4* out) {
  if (length_squared(normal) == 0.0f) return false;
  *out = xyzw(normal, -dot(normal, point));
  return true;
}

void points_compute_normal(const vec3& p0, const vec3& p1, const vec3& p2, vec4* out) {
  const vec3 n = cross(p0 - p1, p0 - p2);
  *out = xyzw(n, -dot(n, p0));
}

void points_compute_normal(const vec3& p0, const vec3& p1, const vec3& p2, vec3* out) {
  *out = normalized(cross(p0 - p1, p0 - p2));
}

bool compute_equation(const vec3& p, const vec3& u, const vec3& v, vec4* out, float eps) {
  const vec3 n = cross(u, v);
  const float len = length(n);
  if (len < eps) return false;
  const vec3 unit = n / len;
  *out = xyzw(unit, -dot(unit, p));
  return true;
}

bool points_compute_equation(const vec3& p0, const vec3& p1, const vec3& p2, vec4* out, float eps) {
  return compute_equation(p0, p1 - p0, p2 - p0, out, eps);
}

void get_plane_equation(const vec3& a, const vec3& b, const vec3& c, vec4* out) {
  const vec3 n = b - a;
  *out = xyzw(n, -dot(n, c));
}

void translate_plane(vec4* out, const vec4& plane, const vec3& t) {
  *out = plane;
  out->w = plane.w - dot(xyz(plane), t);
}

void translate_plane(vec4* plane, const vec3& t) { translate_plane(plane, *plane, t); }

void transform_plane(vec4* out, const vec4& plane, const mat_sq_t<float, 4>& m) {
  vec3 point;
  plane_point(&point, plane);
  const vec3 p = detail::transform_point(m, point);
  const vec3 n = detail::transform_direction(m, xyz(plane));
  *out = xyzw(n, -dot(n, p));
}

void transform_plane(vec4* plane, const mat_sq_t<float, 4>& m) {
  transform_plane(plane, *plane, m);
}

void plane_point(vec3* out, const vec4& plane) {
  const vec3 n = xyz(plane);
  *out = (-plane.w / length_squared(n)) * n;
}

void swap_planes(vec4* a, vec4* b) {
  const vec4 t = *a;
  *a = *b;
  *b = t;
}

namespace {

int compare_planes(const vec4& a, const vec4& b) {
  for (int i = 0; i < 4; ++i) {
    if (a[i] < b[i]) return -1;
    if (a[i] > b[i]) return 1;
  }
  return 0;
}

float nearest_points_distance_squared(const vec4& p, const vec4& q) {
  vec3 a, b;
  plane_point(&a, p);
  plane_point(&b, q);
  return length_squared(a - b);
}

float det3(const vec3& r0, const vec3& r1, const vec3& r2) { return dot(r0, cross(r1, r2)); }

// Near whole numbers are snapped to two decimals, so that corners of
// axis-aligned geometry come out as the whole numbers they stand for.
float snap(float v) {
  if (std::fabs(std::floor(v + 0.5f) - v) < 0.01f) return std::floor(100.0f * v + 0.5f) / 100.0f;
  return v;
}

}  // namespace

void reorder_equations(vec4* a, vec4* b, vec4* c) {
  if (compare_planes(*a, *b) != 0) swap_planes(a, b);
  if (compare_planes(*b, *c) != 0) swap_planes(b, c);
  if (compare_planes(*a, *b) != 0) swap_planes(a, b);
}

bool planes_identical(const vec4& p, const vec4& q, float eps) {
  const float d4 = dot(p, q);
  return d4 >= 1.0f - eps && nearest_points_distance_squared(p, q) <= eps * eps && d4 > 0.0f;
}

bool planes_reversed_identical(const vec4& p, const vec4& q, float eps) {
  return dot(p, q) + 1.0f < eps && nearest_points_distance_squared(p, q) < eps * eps;
}

bool planes_touch(const vec4& p, const vec4& q, float eps) {
  return std::fabs(dot(p, q)) > 1.0f - eps && nearest_points_distance_squared(p, q) <= eps * eps;
}

bool plane_intersection(const vec4& p, const vec4& q, const vec4& r, vec3* out, float eps) {
  vec4 a = p, b = q, c = r;
  reorder_equations(&a, &b, &c);
  const vec3 na = xyz(a), nb = xyz(b), nc = xyz(c);
  const float det = det3(na, nb, nc);
  if (std::fabs(det) < eps) return false;
  // Cramer: replace column k of the normal matrix by the right-hand side −d.
  const vec3 rhs{-a.w, -b.w, -c.w};
  vec3 result;
  for (int k = 0; k < 3; ++k) {
    vec3 ra = na, rb = nb, rc = nc;
    ra[k] = rhs.x;
    rb[k] = rhs.y;
    rc[k] = rhs.z;
    result[k] = snap(det3(ra, rb, rc) / det);
  }
  *out = result;
  return true;
}

bool get_plane_normal_point(const vec3& p, const vec4& plane, vec3* out, float* dist) {
  vec3 foot;
  if (compute_edge_plane_intersection(p, p + xyz(plane), plane, &foot, 0.01f) == 0) return false;
  *out = foot;
  if (dist != nullptr) *dist = length(foot - p);
  return true;
}

bool get_plane_normal_point(const vec3& p, const vec4& plane, const vec3& e, vec3* out,
                            float* dist) {
  vec3 foot{p};
  const bool ahead = compute_edge_plane_intersection(p, p + xyz(plane), plane, &foot, e, 0.0001f);
  *out = foot;
  if (dist != nullptr) *dist = length(foot - p);
  return ahead;
}

float get_plane_dist(const vec3& p, const vec4& plane) {
  vec3 foot;
  float dist = 0.0f;
  get_plane_normal_point(p, plane, &foot, &dist);
  return dist;
}

}  // namespace quarn
