// Rotating single vectors by Euler triples or quaternions.
//
// "normal" forms treat the vector as a direction, "point" forms as a point;
// for these rotation-only matrices both give the same numbers. The matrix
// comes from matrix_set_rotate / matrix_set_rotate_inv (Euler) or from
// quat_t::get_matrix / get_imatrix (quaternion).
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/quat.h"
#include "qxcore/math/vec.h"

namespace quarn {

QX_API void normal_rotate(vec_t<float, 3>* out, const vec_t<float, 3>& v,
                          const vec_t<float, 3>& ypr);
QX_API void normal_rotate_inv(vec_t<float, 3>* out, const vec_t<float, 3>& v,
                              const vec_t<float, 3>& ypr);
QX_API void point_rotate(vec_t<float, 3>* out, const vec_t<float, 3>& p,
                         const vec_t<float, 3>& ypr);
QX_API void point_rotate_inv(vec_t<float, 3>* out, const vec_t<float, 3>& p,
                             const vec_t<float, 3>& ypr);

QX_API void normal_rotate(vec_t<float, 3>* out, const vec_t<float, 3>& v, const quat_t& q);
QX_API void normal_rotate_inv(vec_t<float, 3>* out, const vec_t<float, 3>& v, const quat_t& q);
QX_API void point_rotate(vec_t<float, 3>* out, const vec_t<float, 3>& p, const quat_t& q);
QX_API void point_rotate_inv(vec_t<float, 3>* out, const vec_t<float, 3>& p, const quat_t& q);

// Without a matrix: 2·((q_v·v) q_v + (w² − 0.5) v + w (q_v × v)), q_v = (x, y, z).
QX_API vec_t<float, 3> normal_rotate(const vec_t<float, 3>& v, const quat_t& q);
QX_API vec_t<float, 3> normal_rotate_inv(const vec_t<float, 3>& v, const quat_t& q);
QX_API vec_t<float, 3> point_rotate(const vec_t<float, 3>& p, const quat_t& q);
QX_API vec_t<float, 3> point_rotate_inv(const vec_t<float, 3>& p, const quat_t& q);

}  // namespace quarn
