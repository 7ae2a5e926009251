// Angle conversions and the angles between vectors.
//
// Degrees and radians convert with the library's fixed factors, so every
// routine that converts rounds the same way. Functions here work in radians
// unless their name or comment says degrees.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"

namespace quarn {

constexpr float DEG_TO_RAD = 0.017453292f;  // π/180
constexpr float RAD_TO_DEG = 57.295776f;    // 180/π

inline float deg_to_rad(float degrees) { return degrees * DEG_TO_RAD; }
inline float rad_to_deg(float radians) { return radians * RAD_TO_DEG; }

// Cosine of the angle between a and b: 1.0 when √(|a|²·|b|²) is below 0.001,
// otherwise clamped to [−1, 1]. The _rgh form uses the rough square root.
QX_API float vec3_cos(const vec_t<float, 3>& a, const vec_t<float, 3>& b);
QX_API float vec3_cos_rgh(const vec_t<float, 3>& a, const vec_t<float, 3>& b);
QX_API float vec3_angle(const vec_t<float, 3>& a, const vec_t<float, 3>& b);  // acos(vec3_cos)
// Angle by |a|·|b|: 0 for a zero vector or a·b/m > 1, π for a·b/m < −1.
QX_API float vec4_angle(const vec_t<float, 3>& a, const vec_t<float, 3>& b);

// √(1 − x²) by the accurate square root; 0 when 1 − x² ≤ 0. One function
// under two names, as the identity is symmetric.
QX_API double cos_2_sin(double x);
inline double sin_2_cos(double x) { return cos_2_sin(x); }

// Degrees in (−180, 180] from a sine and a cosine, each clamped to [−1, 1].
QX_API float determine_angle(float s, float c);

}  // namespace quarn
