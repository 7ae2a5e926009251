// Products of 4×4 matrices, and the small operations that go with them.
//
// mult_matrix_matrix(out, a, b) is the transform a followed by b:
// out[4i+j] = Σk b[4i+k]·a[4k+j] (the matrix product b·a for column vectors).
// The dispatched entries differ only in the aliasing they promise to allow:
// _lo lets out be a, _ro lets out be b, _no allows neither. Every bound
// version tolerates all three, so the promise is a floor, not a trap.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct quat_t;

QX_API extern void (*mult_matrix_matrix_lo)(mat_sq_t<float, 4>* out, const mat_sq_t<float, 4>* a,
                                            const mat_sq_t<float, 4>* b);
QX_API extern void (*mult_matrix_matrix_ro)(mat_sq_t<float, 4>* out, const mat_sq_t<float, 4>* a,
                                            const mat_sq_t<float, 4>* b);
QX_API extern void (*mult_matrix_matrix_no)(mat_sq_t<float, 4>* out, const mat_sq_t<float, 4>* a,
                                            const mat_sq_t<float, 4>* b);
QX_API extern void (*matrix_transpose)(mat_sq_t<float, 4>* m);  // in place
// out = transpose of in; out may even be in.
QX_API extern void (*matrix_transpose2)(mat_sq_t<float, 4>* out, const mat_sq_t<float, 4>* in);

// Through a temporary, so out may be a, b or both.
QX_API void mult_matrix_matrix(mat_sq_t<float, 4>* out, const mat_sq_t<float, 4>& a,
                               const mat_sq_t<float, 4>& b);
QX_API void mult_quat_matrix(mat_sq_t<float, 4>* out, const quat_t& q,
                             const mat_sq_t<float, 4>& m);  // R(q) first, then m
QX_API void mult_matrix_quat(mat_sq_t<float, 4>* out, const mat_sq_t<float, 4>& m,
                             const quat_t& q);  // m first, then R(q)

// m followed by the linear transform of `block`, 9 floats in rows (as if it
// were a 4×4 matrix without translation): out = B·m, so m's translation is
// carried through the block and m's last row is kept. out may be m. A null
// block is reported and leaves out unchanged.
QX_API void mult_matrix_matrix_3x3(mat_sq_t<float, 4>* out, const mat_sq_t<float, 4>& m,
                                   const float* block);

// The image of the origin, (m[3], m[7], m[11]), divided by m[15] unless m[15]
// is exactly 1 or 0.
QX_API void mult_zero_matrix(vec_t<float, 3>* out, const mat_sq_t<float, 4>& m);
// m[i] += f·a[i] for all 16 elements.
QX_API void matrix_scaled_add(mat_sq_t<float, 4>* m, const mat_sq_t<float, 4>& a, float f);

}  // namespace quarn
