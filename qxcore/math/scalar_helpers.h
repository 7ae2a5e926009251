// Small numeric helpers: bit sizes and counts, truncating decimal rounding,
// linear and smooth interpolation, clamping a vector to non-negative values.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"

namespace quarn {

// The number of bits needed for values below n: 0 for n = 1, otherwise
// 1 + the index of the highest set bit of n − 1 (so 32 for n = 0).
QX_API unsigned int bit_size(unsigned int n);
QX_API unsigned int bit_count(unsigned int n);  // set bits

// v cut (toward zero) to `digits` decimals: round(2.567, 2) = 2.56.
QX_API float round(float v, int digits);

QX_API float lerp(float a, float b, float t);         // (b − a)·t + a
QX_API float lerp_smooth(float a, float b, float t);  // (b − a)·(3t² − 2t³) + a

// Components that are not greater than 0 (NaN included) become 0.
QX_API void vector_positive(vec_t<float, 3>* v);

}  // namespace quarn
