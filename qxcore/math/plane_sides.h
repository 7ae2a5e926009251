// Which side of a plane a point, or an axis-aligned box, lies on.
//
// s = n·p + d is the point's signed value; the positive side is "right", the
// negative side "left". A box is given by its centre p and half-extents e,
// and r = |e.x·a| + |e.y·b| + |e.z·c| is its radius towards the plane. Every
// comparison counts equality as written, so a point on the plane is both left
// and right.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"

namespace quarn {

// Homogeneous points: dot = the four-component dot product of plane and point.
QX_API bool point_left(const vec_t<float, 4>& plane, const vec_t<float, 4>& point);  // dot ≤ 0
QX_API bool point_left(const vec_t<float, 4>& plane, const vec_t<float, 4>& point,
                       float eps);  // dot − eps ≤ 0
QX_API bool point_right(const vec_t<float, 4>& plane, const vec_t<float, 4>& point);  // dot ≥ 0
QX_API bool point_right(const vec_t<float, 4>& plane, const vec_t<float, 4>& point,
                        float eps);  // dot + eps ≥ 0

// Points.
QX_API bool point_left(const vec_t<float, 3>& p, const vec_t<float, 4>& plane);  // s ≤ 0
QX_API bool point_left(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                       float eps);                                                // s − eps ≤ 0
QX_API bool point_right(const vec_t<float, 3>& p, const vec_t<float, 4>& plane);  // s ≥ 0
QX_API bool point_right(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                        float eps);  // s + eps ≥ 0

// Boxes.
QX_API bool point_left(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                       const vec_t<float, 3>& e);  // s − r ≤ 0: some part is left
QX_API bool point_left(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                       const vec_t<float, 3>& e, float eps);  // s − r − eps ≤ 0
QX_API bool point_right(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                        const vec_t<float, 3>& e);  // s − r ≥ 0: the whole box is right
QX_API bool point_right(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                        const vec_t<float, 3>& e, float eps);  // s − r + eps ≥ 0
QX_API bool point_left_inv(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                           const vec_t<float, 3>& e, float eps);  // s + r − eps ≤ 0: all left
// A cube of half-size k: s + k·(|a| + |b| + |c|) − eps ≤ 0.
QX_API bool point_left_inv(const vec_t<float, 3>& p, const vec_t<float, 4>& plane, float k,
                           float eps);
QX_API bool point_right_inv(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                            const vec_t<float, 3>& e, float eps);  // s + r + eps ≥ 0: some right

QX_API bool point_on_plane(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                           float eps);  // |s| < eps
// point_left(p, plane, e, eps) and point_left(p, −plane, e, eps): the box
// straddles or touches the plane within eps.
QX_API bool point_on_plane(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                           const vec_t<float, 3>& e, float eps);

// −1, 0 or 1.
QX_API int point_side(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                      float eps);  // 0 when |s| ≤ eps
QX_API int point_side(const vec_t<float, 3>& p, const vec_t<float, 4>& plane);  // 0 when s = 0
// With v = s − r: 0 when |v| ≤ eps, 1 when v ≥ 0, −1 otherwise.
QX_API int point_side(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                      const vec_t<float, 3>& e, float eps);
// With v = s − r: 0 when v = 0, 1 when v > 0, −1 otherwise.
QX_API int point_side(const vec_t<float, 3>& p, const vec_t<float, 4>& plane,
                      const vec_t<float, 3>& e);

}  // namespace quarn
