// Builders and modifiers of 4×4 transform matrices.
//
// The matrix_set_* entries are function pointers (bound by the math dispatch
// table, math_dispatch.h); each writes the whole matrix. Euler triples are
// (pitch, yaw, roll) in degrees, applied roll first, then pitch, then yaw.
// The pair builders write a matrix and its inverse together; the modifiers
// apply an elementary transform before ("left") or after ("right") the
// matrix's own.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct quat_t;

// Dispatched builders.
QX_API extern void (*matrix_set_identity)(mat_sq_t<float, 4>* m);
QX_API extern void (*matrix_set_translate)(mat_sq_t<float, 4>* m, const vec_t<float, 3>& v);
QX_API extern void (*matrix_set_translate_inv)(mat_sq_t<float, 4>* m, const vec_t<float, 3>& v);
QX_API extern void (*matrix_set_scale)(mat_sq_t<float, 4>* m, const vec_t<float, 3>& s);
QX_API extern void (*matrix_set_const_scale)(mat_sq_t<float, 4>* m, float f);
// Rotation of quat_t::set_ypr(ypr); a factor whose angle is exactly 0 is left out.
QX_API extern void (*matrix_set_rotate)(mat_sq_t<float, 4>* m, const vec_t<float, 3>& ypr);
QX_API extern void (*matrix_set_rotate_inv)(mat_sq_t<float, 4>* m, const vec_t<float, 3>& ypr);
QX_API extern void (*matrix_set_quat)(mat_sq_t<float, 4>* m, const quat_t& q);  // q.get_matrix
// Reflection through the plane (a, b, c, d), whose normal must be of unit length.
QX_API extern void (*matrix_set_mirror)(mat_sq_t<float, 4>* m, const vec_t<float, 4>& plane);

// A matrix and its inverse. A null pointer skips that matrix.
QX_API void matrix_pair_set_translate(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv,
                                      const vec_t<float, 3>& v);
QX_API void matrix_pair_set_scale(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv,
                                  const vec_t<float, 3>& s);  // inverse holds 1/s
QX_API void matrix_pair_set_const_scale(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv, float f);
QX_API void matrix_pair_set_rotate(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv,
                                   const vec_t<float, 3>& ypr);  // inverse = transpose
QX_API void matrix_pair_set_quat(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv, const quat_t& q);

// m = X applied first, then m (left), or m first, then X (right).
QX_API void matrix_translate_left(mat_sq_t<float, 4>* m, const vec_t<float, 3>& v);
QX_API void matrix_translate_right(mat_sq_t<float, 4>* m, const vec_t<float, 3>& v);
QX_API void matrix_rotate_left(mat_sq_t<float, 4>* m, const vec_t<float, 3>& ypr);
QX_API void matrix_rotate_right(mat_sq_t<float, 4>* m, const vec_t<float, 3>& ypr);
QX_API void matrix_scale_left(mat_sq_t<float, 4>* m, const vec_t<float, 3>& s);
QX_API void matrix_scale_right(mat_sq_t<float, 4>* m, const vec_t<float, 3>& s);

}  // namespace quarn
