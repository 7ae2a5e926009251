// Float division, reciprocal and square root, reached through function
// pointers so that a processor-specific version can be installed. The `_acc`
// and `_rgh` (accurate / rough) entries are both bound to the exact IEEE
// operation; the names let callers say how much precision they need.
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

QX_API extern float (*div_acc)(float a, float b);  // a / b
QX_API extern float (*div_rgh)(float a, float b);
QX_API extern float (*recip_acc)(float a);  // 1 / a
QX_API extern float (*recip_rgh)(float a);
QX_API extern float (*sqrt_acc)(float a);  // √a
QX_API extern float (*sqrt_rgh)(float a);

}  // namespace quarn
