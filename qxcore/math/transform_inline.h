// Internal: one vector through a 4×4 matrix, inline, summed in the same order
// as the batch transforms, for the routines that transform a handful of
// vectors and should not pay for a dispatched call each.
#pragma once

#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn::detail {

// Affine point transform (no projective weight).
inline vec_t<float, 3> transform_point(const mat_sq_t<float, 4>& m, const vec_t<float, 3>& p) {
  return {m.m[0] * p.x + m.m[1] * p.y + m.m[2] * p.z + m.m[3],
          m.m[4] * p.x + m.m[5] * p.y + m.m[6] * p.z + m.m[7],
          m.m[8] * p.x + m.m[9] * p.y + m.m[10] * p.z + m.m[11]};
}

// The 3×3 part only.
inline vec_t<float, 3> transform_direction(const mat_sq_t<float, 4>& m, const vec_t<float, 3>& v) {
  return {m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z, m.m[4] * v.x + m.m[5] * v.y + m.m[6] * v.z,
          m.m[8] * v.x + m.m[9] * v.y + m.m[10] * v.z};
}

}  // namespace quarn::detail
