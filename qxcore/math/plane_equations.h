// Plane equations: building, normalising, moving and comparing planes, and
// the point where three planes meet.
//
// A plane is a vec_t<float, 4> (a, b, c, d) holding the points p with
// a·x + b·y + c·z + d = 0; its normal need not be of unit length unless a
// function says so. Functions without a guard (plane_normalize of a zero
// normal, ...) divide by zero like the formula does.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

QX_API void plane_normalize(vec_t<float, 4>* out, const vec_t<float, 4>& plane);  // all four / |n|
// (normal, −normal·point), not normalised; false when |normal|² = 0.
QX_API bool construct_equation(const vec_t<float, 3>& point, const vec_t<float, 3>& normal,
                               vec_t<float, 4>* out);
// n = (p0 − p1) × (p0 − p2), d = −n·p0, not normalised.
QX_API void points_compute_normal(const vec_t<float, 3>& p0, const vec_t<float, 3>& p1,
                                  const vec_t<float, 3>& p2, vec_t<float, 4>* out);
// The same n, normalised.
QX_API void points_compute_normal(const vec_t<float, 3>& p0, const vec_t<float, 3>& p1,
                                  const vec_t<float, 3>& p2, vec_t<float, 3>* out);
// Unit normal of u × v through p; false (out untouched) when |u × v| < eps.
QX_API bool compute_equation(const vec_t<float, 3>& p, const vec_t<float, 3>& u,
                             const vec_t<float, 3>& v, vec_t<float, 4>* out, float eps);
// compute_equation(p0, p1 − p0, p2 − p0, out, eps).
QX_API bool points_compute_equation(const vec_t<float, 3>& p0, const vec_t<float, 3>& p1,
                                    const vec_t<float, 3>& p2, vec_t<float, 4>* out, float eps);
// Normal b − a (not normalised) through the point c.
QX_API void get_plane_equation(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                               const vec_t<float, 3>& c, vec_t<float, 4>* out);

// The plane moved by t: d becomes d − n·t.
QX_API void translate_plane(vec_t<float, 4>* out, const vec_t<float, 4>& plane,
                            const vec_t<float, 3>& t);
QX_API void translate_plane(vec_t<float, 4>* plane, const vec_t<float, 3>& t);
// The plane's point nearest the origin transformed as a point, its normal as a
// direction (the 3×3 part, not the inverse transpose); d recomputed from them.
QX_API void transform_plane(vec_t<float, 4>* out, const vec_t<float, 4>& plane,
                            const mat_sq_t<float, 4>& m);
QX_API void transform_plane(vec_t<float, 4>* plane, const mat_sq_t<float, 4>& m);
QX_API void plane_point(vec_t<float, 3>* out, const vec_t<float, 4>& plane);  // −d/|n|²·n

QX_API void swap_planes(vec_t<float, 4>* a, vec_t<float, 4>* b);
// Compares (a, b), (b, c), (a, b) component by component and swaps each pair
// that differs at all, so three different planes come out reversed.
QX_API void reorder_equations(vec_t<float, 4>* a, vec_t<float, 4>* b, vec_t<float, 4>* c);

// dot4 = p·q over all four components; "points" are plane_point of each.
// Identical: dot4 ≥ 1 − eps, points within eps (squared ≤ eps²), dot4 > 0.
QX_API bool planes_identical(const vec_t<float, 4>& p, const vec_t<float, 4>& q, float eps);
// Reversed: dot4 + 1 < eps and points closer than eps.
QX_API bool planes_reversed_identical(const vec_t<float, 4>& p, const vec_t<float, 4>& q,
                                      float eps);
// Touching: |dot4| > 1 − eps and points within eps.
QX_API bool planes_touch(const vec_t<float, 4>& p, const vec_t<float, 4>& q, float eps);

// The common point of three planes (reordered first) by Cramer's rule;
// false when |det| of the normals < eps. Components closer than 0.01 to a
// whole number are snapped to two decimals.
QX_API bool plane_intersection(const vec_t<float, 4>& p, const vec_t<float, 4>& q,
                               const vec_t<float, 4>& r, vec_t<float, 3>* out, float eps);

// The foot of p on the plane, found as the crossing of the line p → p + n
// (compute_edge_plane_intersection, tolerance 0.01); dist (optional) gets
// |p − foot|. False, with out and dist untouched, when the line misses.
QX_API bool get_plane_normal_point(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                                   vec_t<float, 3>* out, float* dist = nullptr);
// The same for the box centred at p with half-extents e (the plane moved by the
// box's radius), tolerance 0.0001. False when the crossing is not ahead of p;
// out and dist still get the crossing (p itself when the line is parallel).
QX_API bool get_plane_normal_point(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                                   const vec_t<float, 3>& e, vec_t<float, 3>* out,
                                   float* dist = nullptr);
// The distance of get_plane_normal_point; 0 when it finds no foot.
QX_API float get_plane_dist(const vec_t<float, 3>& p, const vec_t<float, 4>& plane);

}  // namespace quarn
