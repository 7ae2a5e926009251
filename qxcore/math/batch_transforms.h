// Transforms of whole vector arrays by one 4×4 matrix, dispatched entries.
//
// Every entry takes (out, in, m, count, out_stride, in_stride); strides are in
// bytes, so vectors may sit inside larger vertex records. Each vector is read
// completely before its result is written, so out may be in (same stride).
//
//   _mult_point_matrix_fast(positions, positions, &world, n, 32, 32);
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

// Points: ((m[4i]x + m[4i+1]y) + m[4i+2]z) + m[4i+3]; divided by the
// projective weight m[12]x + m[13]y + m[14]z + m[15] when that is not 0.
QX_API extern void (*_mult_point_matrix)(vec_t<float, 3>* out, const vec_t<float, 3>* in,
                                         const mat_sq_t<float, 4>* m, unsigned int count,
                                         unsigned int out_stride, unsigned int in_stride);
// Points through an affine matrix: the weight is not computed.
QX_API extern void (*_mult_point_matrix_fast)(vec_t<float, 3>* out, const vec_t<float, 3>* in,
                                              const mat_sq_t<float, 4>* m, unsigned int count,
                                              unsigned int out_stride, unsigned int in_stride);
// Depth only: one float per point, m[8]x + m[9]y + m[10]z + m[11].
QX_API extern void (*_mult_point_matrix_z)(float* out, const vec_t<float, 3>* in,
                                           const mat_sq_t<float, 4>* m, unsigned int count,
                                           unsigned int out_stride, unsigned int in_stride);
// Directions by the 3×3 part, divided by m[12]x + m[13]y + m[14]z when that is not 0.
QX_API extern void (*_mult_normal_matrix)(vec_t<float, 3>* out, const vec_t<float, 3>* in,
                                          const mat_sq_t<float, 4>* m, unsigned int count,
                                          unsigned int out_stride, unsigned int in_stride);
// Directions by the 3×3 part only.
QX_API extern void (*_mult_normal_matrix_fast)(vec_t<float, 3>* out, const vec_t<float, 3>* in,
                                               const mat_sq_t<float, 4>* m, unsigned int count,
                                               unsigned int out_stride, unsigned int in_stride);
// 4-vectors by the full matrix; both entries are bound to the same routine.
QX_API extern void (*_mult_vector_matrix)(vec_t<float, 4>* out, const vec_t<float, 4>* in,
                                          const mat_sq_t<float, 4>* m, unsigned int count,
                                          unsigned int out_stride, unsigned int in_stride);
QX_API extern void (*_mult_vector_matrix_fast)(vec_t<float, 4>* out, const vec_t<float, 4>* in,
                                               const mat_sq_t<float, 4>* m, unsigned int count,
                                               unsigned int out_stride, unsigned int in_stride);

}  // namespace quarn
