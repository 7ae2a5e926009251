// The general 4×4 inverse, a dispatched entry.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"

namespace quarn {

// Inverse by cofactors. The determinant is m's first row dotted with the
// adjugate's first column. When it is exactly 0, out receives the unscaled
// adjugate and the answer is false; otherwise the adjugate times 1/det and
// true. out may be m.
QX_API extern bool (*matrix_get_inverse)(mat_sq_t<float, 4>* out, const mat_sq_t<float, 4>* m);

}  // namespace quarn
