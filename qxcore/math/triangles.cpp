// Triangle tests.
#include "qxcore/math/triangles.h"

#include <cmath>

#include "qxcore/math/directions.h"
#include "qxcore/math/edge_plane.h"
#include "qxcore/math/plane_equations.h"

namespace quarn {

using vec2 = vec_t<float, 2>;
using vec3 = vec_t<float, 3>;
using vec4 = vec_t<float, 4>;

bool point_inside_triangle(const vec3& p, const vec3& a, const vec3& b, const vec3& c, int i, int j,
                           float* u_out, float* v_out) {
  if (i < 0 || i > 2 || j < 0 || j > 2) return false;
  const float pi = p[i] - a[i], pj = p[j] - a[j];
  const float bi = b[i] - a[i], bj = b[j] - a[j];
  const float ci = c[i] - a[i], cj = c[j] - a[j];
  float u, v;
  if (bi != 0.0f) {
    // v = (pi − u·ci)/bi, substituted into the j equation.
    const float den = cj * bi - ci * bj;
    if (den == 0.0f) return false;
    u = (pj * bi - pi * bj) / den;
    v = (pi - u * ci) / bi;
  } else {
    if (ci == 0.0f || bj == 0.0f) return false;
    u = pi / ci;
    v = (pj - u * cj) / bj;
  }
  *u_out = u;
  *v_out = v;
  return u >= 0.0f && u <= 1.0f && v >= 0.0f && u + v <= 1.0f;
}

bool point_inside_triangle(const vec3& p, const vec3& a, const vec3& b, const vec3& c, int i,
                           int j) {
  float u, v;
  return point_inside_triangle(p, a, b, c, i, j, &u, &v);
}

bool min_max_separated(const vec3& min1, const vec3& max1, const vec3& min2, const vec3& max2) {
  for (int k = 0; k < 3; ++k)
    if (!(min1[k] <= max2[k] && min2[k] <= max1[k])) return true;
  return false;
}

namespace {

// Möller's test, in its own pieces.

constexpr float PLANE_EPSILON = 1e-6f;

struct tri_t {
  vec3 p[3];
};

// Signed distances of t's corners to the plane (n, d); tiny ones are 0 so that
// touching and nearly coplanar configurations are decided consistently.
void plane_distances(const vec3& n, float d, const tri_t& t, float out[3]) {
  for (int k = 0; k < 3; ++k) {
    const float s = dot(n, t.p[k]) + d;
    out[k] = std::fabs(s) < PLANE_EPSILON ? 0.0f : s;
  }
}

// The two indices of the coordinate plane onto which a triangle with normal
// n projects with the largest area (the largest normal component dropped).
void projection_axes(const vec3& n, int* i0, int* i1) {
  const float a0 = std::fabs(n.x), a1 = std::fabs(n.y), a2 = std::fabs(n.z);
  if (a0 > a1) {
    if (a0 > a2) {
      *i0 = 1, *i1 = 2;
    } else {
      *i0 = 0, *i1 = 1;
    }
  } else if (a2 > a1) {
    *i0 = 0, *i1 = 1;
  } else {
    *i0 = 0, *i1 = 2;
  }
}

// 2-D segment test of the edge (v0, v1) against the edge (u0, u1), closed
// (touching counts), from the signs of the two parameters' numerators.
bool edges_cross(const vec3& v0, const vec3& v1, const vec3& u0, const vec3& u1, int i0, int i1) {
  const float ax = v1[i0] - v0[i0], ay = v1[i1] - v0[i1];
  const float bx = u0[i0] - u1[i0], by = u0[i1] - u1[i1];
  const float cx = v0[i0] - u0[i0], cy = v0[i1] - u0[i1];
  const float f = ay * bx - ax * by;
  const float d = by * cx - bx * cy;
  if ((f > 0.0f && d >= 0.0f && d <= f) || (f < 0.0f && d <= 0.0f && d >= f)) {
    const float e = ax * cy - ay * cx;
    if (f > 0.0f) return e >= 0.0f && e <= f;
    return e <= 0.0f && e >= f;
  }
  return false;
}

bool edge_crosses_triangle(const vec3& v0, const vec3& v1, const tri_t& u, int i0, int i1) {
  return edges_cross(v0, v1, u.p[0], u.p[1], i0, i1) ||
         edges_cross(v0, v1, u.p[1], u.p[2], i0, i1) || edges_cross(v0, v1, u.p[2], u.p[0], i0, i1);
}

// Strictly inside: the point is on the same side of all three edge lines.
bool point_in_triangle_2d(const vec3& p, const tri_t& u, int i0, int i1) {
  float side[3];
  for (int k = 0; k < 3; ++k) {
    const vec3& s = u.p[k];
    const vec3& e = u.p[(k + 1) % 3];
    const float a = e[i1] - s[i1];
    const float b = -(e[i0] - s[i0]);
    const float c = -a * s[i0] - b * s[i1];
    side[k] = a * p[i0] + b * p[i1] + c;
  }
  return side[0] * side[1] > 0.0f && side[0] * side[2] > 0.0f;
}

bool coplanar_overlap(const vec3& n, const tri_t& v, const tri_t& u) {
  int i0, i1;
  projection_axes(n, &i0, &i1);
  for (int k = 0; k < 3; ++k)
    if (edge_crosses_triangle(v.p[k], v.p[(k + 1) % 3], u, i0, i1)) return true;
  return point_in_triangle_2d(v.p[0], u, i0, i1) || point_in_triangle_2d(u.p[0], v, i0, i1);
}

// The interval where triangle t meets the other plane, as positions along
// the projection axis: `p` are the corners' projections, `d` their plane
// distances. False when all three distances are 0 (coplanar).
bool plane_interval(const float p[3], const float d[3], float out[2]) {
  // k is the corner alone on its side; the other two are a and b.
  int k;
  if (d[0] * d[1] > 0.0f)
    k = 2;
  else if (d[0] * d[2] > 0.0f)
    k = 1;
  else if (d[1] * d[2] > 0.0f || d[0] != 0.0f)
    k = 0;
  else if (d[1] != 0.0f)
    k = 1;
  else if (d[2] != 0.0f)
    k = 2;
  else
    return false;
  const int a = k == 0 ? 1 : 0, b = k == 2 ? 1 : 2;
  out[0] = p[k] + (p[a] - p[k]) * d[k] / (d[k] - d[a]);
  out[1] = p[k] + (p[b] - p[k]) * d[k] / (d[k] - d[b]);
  if (out[0] > out[1]) {
    const float t = out[0];
    out[0] = out[1];
    out[1] = t;
  }
  return true;
}

}  // namespace

bool triangle_triangle_intersection(const vec3& a0, const vec3& a1, const vec3& a2, const vec3& b0,
                                    const vec3& b1, const vec3& b2) {
  const tri_t v{{a0, a1, a2}}, u{{b0, b1, b2}};

  const vec3 n1 = cross(a1 - a0, a2 - a0);
  const float d1 = -dot(n1, a0);
  float du[3];
  plane_distances(n1, d1, u, du);
  if (du[0] * du[1] > 0.0f && du[0] * du[2] > 0.0f) return false;  // u wholly on one side

  const vec3 n2 = cross(b1 - b0, b2 - b0);
  const float d2 = -dot(n2, b0);
  float dv[3];
  plane_distances(n2, d2, v, dv);
  if (dv[0] * dv[1] > 0.0f && dv[0] * dv[2] > 0.0f) return false;

  // Project onto the largest component of the line direction n1 × n2.
  const vec3 dir = cross(n1, n2);
  int axis = 0;
  float biggest = std::fabs(dir.x);
  if (std::fabs(dir.y) > biggest) biggest = std::fabs(dir.y), axis = 1;
  if (std::fabs(dir.z) > biggest) axis = 2;
  const float vp[3] = {a0[axis], a1[axis], a2[axis]};
  const float up[3] = {b0[axis], b1[axis], b2[axis]};

  float iv[2], iu[2];
  if (!plane_interval(vp, dv, iv)) return coplanar_overlap(n1, v, u);
  if (!plane_interval(up, du, iu)) return coplanar_overlap(n1, v, u);
  return !(iv[1] < iu[0] || iu[1] < iv[0]);
}

namespace {

bool inside_along_dominant_axis(const vec3& point, const vec3& a, const vec3& b, const vec3& c,
                                const vec4& plane) {
  int i0, i1, i2;
  axis_importance(plane, &i0, &i1, &i2);
  const int lo = i1 < i2 ? i1 : i2, hi = i1 < i2 ? i2 : i1;
  return point_inside_triangle(point, a, b, c, lo, hi);
}

}  // namespace

bool compute_triangle_intersection(const vec3& a, const vec3& b, const vec3& c, const vec3& p,
                                   const vec3& q, vec3* out) {
  vec4 plane;
  if (!points_compute_equation(a, b, c, &plane, 1e-5f)) return false;
  vec3 hit;
  if (compute_edge_plane_intersection(p, q, plane, &hit, 1e-6f) == 0) return false;
  *out = hit;
  return inside_along_dominant_axis(hit, a, b, c, plane);
}

bool triangle_interval_intersection(const vec3& a, const vec3& b, const vec3& c, const vec3& p,
                                    const vec3& q, vec3* out) {
  vec4 plane;
  if (!points_compute_equation(a, b, c, &plane, 0.01f)) return false;
  return triangle_interval_intersection(a, b, c, plane, p, q, out);
}

bool triangle_interval_intersection(const vec3& a, const vec3& b, const vec3& c, const vec4& plane,
                                    const vec3& p, const vec3& q, vec3* out) {
  vec3 hit;
  if (!compute_limited_plane_intersection(p, q, plane, &hit, 0.0f)) return false;
  if (length(hit - p) < 1.0f) return false;
  *out = hit;
  return inside_along_dominant_axis(hit, a, b, c, plane);
}

void compute_tangent(vec4* out, const vec3& n, const vec3& p0, const vec3& p1, const vec3& p2,
                     const vec2& t0, const vec2& t1, const vec2& t2) {
  const vec3 e1 = p1 - p0, e2 = p2 - p0;
  const float s1 = t1.x - t0.x, s2 = t2.x - t0.x;
  const float v1 = t1.y - t0.y, v2 = t2.y - t0.y;
  const float det = s1 * v2 - s2 * v1;
  if (det == 0.0f || std::isnan(det)) {
    *out = {1.0f, 0.0f, 0.0f, 1.0f};
    return;
  }
  // e1 = s1·T + v1·B and e2 = s2·T + v2·B, solved for T and B.
  const float r = 1.0f / det;
  vec3 tangent = (v2 * e1 - v1 * e2) * r;
  vec3 bitangent = (s1 * e2 - s2 * e1) * r;
  tangent -= dot(n, tangent) * n;
  bitangent -= dot(n, bitangent) * n;
  tangent = normalized(tangent);
  const float w = dot(cross(n, tangent), bitangent) >= 0.0f ? 1.0f : -1.0f;
  *out = xyzw(tangent, w);
}

}  // namespace quarn
