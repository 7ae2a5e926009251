// Plain float division, reciprocal and square root: the exact IEEE operations.
#include "qxcore/math/float_ops.h"

#include <cmath>

#include "qxcore/math/code_paths.h"

namespace quarn::code_paths {

float div_plain(float a, float b) { return a / b; }
float recip_plain(float a) { return 1.0f / a; }
float sqrt_plain(float a) { return std::sqrt(a); }

}  // namespace quarn::code_paths
