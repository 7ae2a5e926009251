// Edges (segments a → b) against planes: where they cross, and whether the
// crossing lies on the segment.
//
// s(p) = n·p + d is the signed value of a point for the plane (n, d). The box
// forms take the half-extents e of an axis-aligned box moving along the edge;
// its radius towards the plane is r = |e.x·a| + |e.y·b| + |e.z·c|, and they
// use the plane moved by it, (n, d + r): the plane that the box's leading
// face touches.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"

namespace quarn {

// The crossing of the line a → b: 1 when ahead of a (t ≥ 0), −1 when behind
// (t < 0; out is still written), 0 when parallel (|(b − a)·n| ≤ eps, out
// untouched). An edge shorter than 1e-4 gives out = a and 1.
QX_API int compute_edge_plane_intersection(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                           const vec_t<float, 4>& plane, vec_t<float, 3>* out,
                                           float eps);
// The same against the plane moved by the box radius; true when the crossing
// is ahead (the int form gives 1).
QX_API bool compute_edge_plane_intersection(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                            const vec_t<float, 4>& plane, vec_t<float, 3>* out,
                                            const vec_t<float, 3>& e, float eps);
// t of the crossing a + t(b − a), or 0 when |(b − a)·n| ≤ 1e-6 (eps is not used).
QX_API float compute_edge_intersection_coef(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                            const vec_t<float, 4>& plane, float eps);

// The crossing, true when it lies on the segment within eps:
// −eps ≤ t·|b − a| ≤ |b − a| + eps. A segment with |b − a|² < 1e-6 or
// |(b − a)·n| ≤ 0.0001 gives out = b and false.
QX_API bool compute_limited_plane_intersection(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                               const vec_t<float, 4>& plane, vec_t<float, 3>* out,
                                               float eps);
// The same against the plane moved by the box radius, with the same limit;
// false with out untouched when |(b − a)·n| ≤ 1e-6.
QX_API bool compute_limited_plane_intersection(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                               const vec_t<float, 4>& plane, vec_t<float, 3>* out,
                                               const vec_t<float, 3>& e, float eps);
// The crossing with the moved plane whatever t is; false with out untouched
// when |(b − a)·n| ≤ 1e-6.
QX_API bool compute_limited_plane_intersection_c(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                                 const vec_t<float, 4>& plane, vec_t<float, 3>* out,
                                                 const vec_t<float, 3>& e, float eps);

// r = |e.x·a| + |e.y·b| + |e.z·c|: how far the box reaches towards the plane.
QX_API float box_plane_radius(const vec_t<float, 4>& plane, const vec_t<float, 3>& e);

}  // namespace quarn
