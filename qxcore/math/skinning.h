// Weighted (skinning) transforms: each vertex is transformed by its own blend
// of bone matrices.
//
// Per vertex, `influences` weights and bone indices are stored consecutively.
// The blend starts from the all-zero matrix (m[15] included) and adds
// weight × bones[index] in order; a weight of exactly 0 ends the vertex's
// list. `bone_count` guards the indices: an influence whose index is not
// below it is reported and skipped (the default accepts every index).
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

// Points, through _mult_point_matrix_fast.
QX_API void mult_weighted_parray(vec_t<float, 3>* out, const vec_t<float, 3>* in,
                                 const float* weights, const unsigned char* indices,
                                 const mat_sq_t<float, 4>* bones, unsigned int influences,
                                 unsigned int count, unsigned int bone_count = 256);
// Directions, through _mult_normal_matrix_fast.
QX_API void mult_weighted_narray(vec_t<float, 3>* out, const vec_t<float, 3>* in,
                                 const float* weights, const unsigned char* indices,
                                 const mat_sq_t<float, 4>* bones, unsigned int influences,
                                 unsigned int count, unsigned int bone_count = 256);
// Tangents: xyz as directions, w kept.
QX_API void mult_weighted_tarray(vec_t<float, 4>* out, const vec_t<float, 4>* in,
                                 const float* weights, const unsigned char* indices,
                                 const mat_sq_t<float, 4>* bones, unsigned int influences,
                                 unsigned int count, unsigned int bone_count = 256);

}  // namespace quarn
