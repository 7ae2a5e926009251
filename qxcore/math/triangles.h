// Triangles: point-in-triangle in a coordinate plane, box separation,
// triangle–triangle overlap, segments against triangles, and tangents.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"

namespace quarn {

// Solves p − a = v·(b − a) + u·(c − a) on the components i and j (0..2) and
// writes u and v; true when 0 ≤ u ≤ 1, v ≥ 0 and u + v ≤ 1. False for a
// degenerate system or an index out of range (u and v then untouched).
QX_API bool point_inside_triangle(const vec_t<float, 3>& p, const vec_t<float, 3>& a,
                                  const vec_t<float, 3>& b, const vec_t<float, 3>& c, int i, int j,
                                  float* u, float* v);
QX_API bool point_inside_triangle(const vec_t<float, 3>& p, const vec_t<float, 3>& a,
                                  const vec_t<float, 3>& b, const vec_t<float, 3>& c, int i, int j);

// True when the boxes (min1, max1) and (min2, max2) do not overlap; touching
// boxes overlap.
QX_API bool min_max_separated(const vec_t<float, 3>& min1, const vec_t<float, 3>& max1,
                              const vec_t<float, 3>& min2, const vec_t<float, 3>& max2);

// Möller's interval-overlap test (1997): distances of each triangle's corners
// to the other's plane (|d| < 1e-6 counts as 0), the two intervals on the line
// where the planes meet, and for coplanar triangles edge–edge and
// corner-in-triangle tests in the plane of the two largest normal components.
// Touching triangles intersect.
QX_API bool triangle_triangle_intersection(const vec_t<float, 3>& a0, const vec_t<float, 3>& a1,
                                           const vec_t<float, 3>& a2, const vec_t<float, 3>& b0,
                                           const vec_t<float, 3>& b1, const vec_t<float, 3>& b2);

// Where the line through p and q meets the triangle (a, b, c), ahead of or
// behind p: the crossing with the triangle's plane, tested inside the
// triangle projected along its normal's dominant axis.
QX_API bool compute_triangle_intersection(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                          const vec_t<float, 3>& c, const vec_t<float, 3>& p,
                                          const vec_t<float, 3>& q, vec_t<float, 3>* out);
// The segment p → q against the triangle: the crossing must lie on the
// segment and at least 1 away from p. The plane comes from the corners (eps
// 0.01) or is given.
QX_API bool triangle_interval_intersection(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                           const vec_t<float, 3>& c, const vec_t<float, 3>& p,
                                           const vec_t<float, 3>& q, vec_t<float, 3>* out);
QX_API bool triangle_interval_intersection(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                           const vec_t<float, 3>& c, const vec_t<float, 4>& plane,
                                           const vec_t<float, 3>& p, const vec_t<float, 3>& q,
                                           vec_t<float, 3>* out);

// The tangent (xyz, unit, perpendicular to n) of the triangle p0 p1 p2 with
// texture coordinates t0 t1 t2, and w = ±1 for the handedness of
// (n, tangent, bitangent); (1, 0, 0, 1) when the texture mapping is degenerate.
QX_API void compute_tangent(vec_t<float, 4>* out, const vec_t<float, 3>& n,
                            const vec_t<float, 3>& p0, const vec_t<float, 3>& p1,
                            const vec_t<float, 3>& p2, const vec_t<float, 2>& t0,
                            const vec_t<float, 2>& t1, const vec_t<float, 2>& t2);

}  // namespace quarn
