// Lines, segments, points and planar measures.
#include "qxcore/math/lines.h"

#include <cmath>

#include "qxcore/math/float_ops.h"

namespace quarn {

using vec3 = vec_t<float, 3>;

float xz_length(const vec3& v) { return std::sqrt(xz_length_squared(v)); }
float xz_length_squared(const vec3& v) { return v.x * v.x + v.z * v.z; }
float xz_distance(const vec3& a, const vec3& b) { return xz_length(a - b); }
float xz_distance_squared(const vec3& a, const vec3& b) { return xz_length_squared(a - b); }

float get_2d_dist(const vec3& a, const vec3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y;
  return sqrt_acc(dx * dx + dy * dy);
}

float project_point_on_line(const vec3& a, const vec3& b, const vec3& p, vec3* out) {
  const vec3 d = b - a;
  const float t = dot(p - a, d) / length_squared(d);
  *out = a + t * d;
  return t;
}

// |(p − a) × (b − a)|² / |b − a|²: no foot is needed, and no cancellation
// between |p − a|² and the projection.
float get_edge_squaredist(const vec3& a, const vec3& b, const vec3& p) {
  const vec3 d = b - a;
  return length_squared(cross(p - a, d)) / length_squared(d);
}

float get_edge_dist(const vec3& a, const vec3& b, const vec3& p) {
  return sqrt_acc(get_edge_squaredist(a, b, p));
}

void get_edge_point(const vec3& a, const vec3& b, const vec3& p, vec3* out) {
  const vec3 u = normalized(b - a);
  *out = a + dot(p - a, u) * u;
}

float get_line_point_squaredist(const vec3& a, const vec3& b, const vec3& p, vec3* out) {
  get_edge_point(a, b, p, out);
  return length_squared(*out - p);
}

float point_line_distance_squared(const vec3& a, const vec3& b, const vec3& p) {
  vec3 foot;
  return point_line_distance_squared(a, b, p, &foot);
}

float point_line_distance_squared(const vec3& a, const vec3& b, const vec3& p, vec3* out) {
  project_point_on_line(a, b, p, out);
  return length_squared(p - *out);
}

float point_line_distance(const vec3& a, const vec3& b, const vec3& p) {
  return sqrt_acc(point_line_distance_squared(a, b, p));
}

float point_line_distance(const vec3& a, const vec3& b, const vec3& p, vec3* out) {
  return sqrt_acc(point_line_distance_squared(a, b, p, out));
}

float point_segment_distance_squared(const vec3& a, const vec3& b, const vec3& p) {
  vec3 nearest;
  return point_segment_distance_squared(a, b, p, &nearest);
}

float point_segment_distance_squared(const vec3& a, const vec3& b, const vec3& p, vec3* out) {
  const float t = project_point_on_line(a, b, p, out);
  if (t < 0.0f) *out = a;
  if (t > 1.0f) *out = b;
  return length_squared(p - *out);
}

float point_segment_distance(const vec3& a, const vec3& b, const vec3& p) {
  return sqrt_acc(point_segment_distance_squared(a, b, p));
}

float point_segment_distance(const vec3& a, const vec3& b, const vec3& p, vec3* out) {
  return sqrt_acc(point_segment_distance_squared(a, b, p, out));
}

void project_vector2vector(const vec3& v, const vec3& onto, vec3* out) {
  const vec3 u = normalized(v);
  *out = dot(onto, u) * u;
}

void project_vector(const vec3& n, const vec3& v, vec3* out) {
  if (length_squared(v) == 0.0f) {
    *out = v;
    return;
  }
  const vec3 c = cross(n, v);
  if (c.x == 0.0f && c.y == 0.0f && c.z == 0.0f) {
    *out = {0.0f, 0.0f, 0.0f};
    return;
  }
  // (n × v) × n lies in the plane of n and v, perpendicular to n.
  const vec3 w = normalized(cross(c, n));
  *out = dot(w, v) * w;
}

bool compare_vpoint(const vec3& a, const vec3& b) { return compare_vpoint(a, b, 0.01f); }

bool compare_vpoint(const vec3& a, const vec3& b, float eps) {
  return std::fabs(a.x - b.x) < eps && std::fabs(a.y - b.y) < eps && std::fabs(a.z - b.z) < eps;
}

bool valid_point(const vec3& p, float limit) {
  return std::fabs(p.x) <= limit && std::fabs(p.y) <= limit && std::fabs(p.z) <= limit;
}

bool points_in_line(const vec3& a, const vec3& b, const vec3& c) {
  const vec3 u = a - b, w = c - b;
  return std::fabs(u.y * w.x - u.x * w.y) < 0.05f && std::fabs(u.z * w.x - u.x * w.z) < 0.05f &&
         std::fabs(u.y * w.z - u.z * w.y) < 0.05f;
}

namespace {

bool strictly_between(float v, float a, float b) { return (a < v && v < b) || (b < v && v < a); }

}  // namespace

int point_on_line_2d(float x0, float y0, float x1, float y1, float x2, float y2) {
  const float cross2 = (x2 - x0) * (y1 - y0) - (y2 - y0) * (x1 - x0);
  const float reach = std::fmax(std::fabs(x1 - x0), std::fabs(y1 - y0));
  if (std::fabs(cross2) >= reach) return 0;
  if (strictly_between(x0, x1, x2) || strictly_between(y0, y1, y2)) return 1;
  if (!strictly_between(x1, x0, x2) && !strictly_between(y1, y0, y2)) return 2;
  return 3;
}

int point_on_line_xz(const vec3& p0, const vec3& p1, const vec3& p2) {
  return point_on_line_2d(p0.x, p0.z, p1.x, p1.z, p2.x, p2.z);
}
int point_on_line_xy(const vec3& p0, const vec3& p1, const vec3& p2) {
  return point_on_line_2d(p0.x, p0.y, p1.x, p1.y, p2.x, p2.y);
}
int point_on_line_zy(const vec3& p0, const vec3& p1, const vec3& p2) {
  return point_on_line_2d(p0.y, p0.z, p1.y, p1.z, p2.y, p2.z);
}

bool solve_formulas(const vec3& a, const vec3& b, const vec3& c, const vec3& r, float* x, float* y,
                    float* z) {
  // Columns a, b, c; determinant and numerators by the scalar triple product.
  const float det = dot(a, cross(b, c));
  if (det == 0.0f) {
    *x = 0.0f;
    *y = 0.0f;
    if (z != nullptr) *z = 0.0f;
    return false;
  }
  auto quotient = [det](float num) { return num == 0.0f ? 0.0f : num / det; };
  *x = quotient(dot(r, cross(b, c)));
  *y = quotient(dot(a, cross(r, c)));
  if (z != nullptr) *z = quotient(dot(a, cross(b, r)));
  return true;
}

}  // namespace quarn
