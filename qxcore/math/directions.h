// Direction conversions (Cartesian, Euler, spherical), frames from axes, and
// the classification of a vector by its dominant axes.
//
// Euler triples are (pitch, yaw, roll) in degrees; the unrotated forward
// direction is (0, 0, −1) with Y up.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

// (pitch, heading, 0) in degrees of a direction; (0, 0, 0) for the zero
// vector. The heading is 360 − atan(−x/z) (+180 when z > 0) and may exceed 360.
QX_API void cartes_2_ypr(vec_t<float, 3>* out, const vec_t<float, 3>& dir);
// (0, 0, −1) rotated as a normal by matrix_set_rotate(ypr).
QX_API void ypr_2_cartes(vec_t<float, 3>* out, const vec_t<float, 3>& ypr);
// (acos(x/r), atan(y/x) or ±1.0 when x ≤ 0, r): the polar angle from the X
// axis. Not the inverse of spheric_2_cartes, which measures from Z.
QX_API void cartes_2_spheric(vec_t<float, 3>* out, const vec_t<float, 3>& v);
// (θ, φ, r) ↦ (sin θ cos φ, sin θ sin φ, cos θ), scaled to unit length.
QX_API void spheric_2_cartes(vec_t<float, 3>* out, const vec_t<float, 3>& s);
// Rows 0..2 = the three axes (4th element 0), last row (0, 0, 0, 1).
QX_API void axis_to_matrix(mat_sq_t<float, 4>* m, const vec_t<float, 3>& x_axis,
                           const vec_t<float, 3>& y_axis, const vec_t<float, 3>& z_axis);

// True when one component has magnitude > eps and the other two < eps; out
// (optional) then gets each component as 0 (|c| ≤ eps), −1 or 1.
QX_API bool get_axis_aligned(const vec_t<float, 3>& v, vec_t<float, 3>* out, float eps);
// Indices by decreasing magnitude: i0 the largest (ties go to x, then y), i1
// and i2 the other two, larger first (ties keep the lower index first).
QX_API void axis_importance(const vec_t<float, 3>& v, int* i0, int* i1, int* i2);
QX_API void axis_importance(const vec_t<float, 4>& plane, int* i0, int* i1,
                            int* i2);  // on (a, b, c)

}  // namespace quarn
