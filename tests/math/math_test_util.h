// Shared pieces of the math tests: random inputs, and double-precision
// reference arithmetic written independently of the library (its own
// conventions spelled out here, so a wrong index in the library shows up as a
// disagreement rather than being copied).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <random>

#include "qxcore/math/mat.h"
#include "qxcore/math/math_dispatch.h"
#include "qxcore/math/quat.h"
#include "qxcore/math/vec.h"

namespace mtest {

using vec2 = quarn::vec_t<float, 2>;
using vec3 = quarn::vec_t<float, 3>;
using vec4 = quarn::vec_t<float, 4>;
using mat4 = quarn::mat_sq_t<float, 4>;
using quarn::quat_t;

constexpr double EPS = FLT_EPSILON;  // one float ulp at 1
constexpr double PI = 3.14159265358979323846;

using d3 = std::array<double, 3>;
using d4 = std::array<double, 4>;
// Row-major 4×4 in double: element (r, c) at 4r + c. A point p maps to
// Σc M(r, c)·p_c with p_3 = 1 (column vectors).
using dmat = std::array<double, 16>;

// Runs `f` under each binding of the vectorised entries: the plain versions,
// SSE, and the widest units the processor has (the binding at load, which
// is restored afterwards). The reference comparisons thus cover every version.
template <class F>
void for_each_code_path(F f) {
  constexpr unsigned int sse = quarn::MATH_CPU_FPU | quarn::MATH_CPU_SSE;
  const struct {
    const char* name;
    unsigned int flags;
    bool wide;
  } paths[] = {{"plain", quarn::MATH_CPU_FORCE_PLAIN | sse, true},
               {"SSE", sse, false},
               {"widest", sse, true}};
  for (const auto& p : paths) {
    SCOPED_TRACE(p.name);
    quarn::math_bind_code_paths(p.flags, p.wide);
    f();
  }
}

inline float uniform(std::mt19937& rng, float lo, float hi) {
  return std::uniform_real_distribution<float>(lo, hi)(rng);
}
inline vec3 random_vec3(std::mt19937& rng, float lo = -1, float hi = 1) {
  return {uniform(rng, lo, hi), uniform(rng, lo, hi), uniform(rng, lo, hi)};
}
inline mat4 random_mat4(std::mt19937& rng, float lo = -1, float hi = 1) {
  mat4 m;
  for (float& e : m.m) e = uniform(rng, lo, hi);
  return m;
}
// Uniform on the unit 3-sphere (normalised Gaussian 4-vector), w ≥ 0 or not.
inline quat_t random_unit_quat(std::mt19937& rng) {
  std::normal_distribution<double> n;
  double q[4], len = 0;
  for (double& v : q) {
    v = n(rng);
    len += v * v;
  }
  len = std::sqrt(len);
  return {float(q[0] / len), float(q[1] / len), float(q[2] / len), float(q[3] / len)};
}

inline d3 to_d(const vec3& v) { return {v.x, v.y, v.z}; }
inline dmat to_d(const mat4& m) {
  dmat d;
  for (int i = 0; i < 16; ++i) d[i] = m.m[i];
  return d;
}
inline d4 to_d(const quat_t& q) { return {q.w, q.x, q.y, q.z}; }
inline vec3 d3_to(const d3& v) { return {float(v[0]), float(v[1]), float(v[2])}; }

inline double dot(const d3& a, const d3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline d3 cross(const d3& a, const d3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline d3 sub(const d3& a, const d3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline d3 add(const d3& a, const d3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline d3 scale(const d3& a, double f) { return {a[0] * f, a[1] * f, a[2] * f}; }
inline double norm(const d3& a) { return std::sqrt(dot(a, a)); }

// Matrix product in the usual sense (A·B: B applied first to a column vector).
inline dmat dmul(const dmat& a, const dmat& b) {
  dmat r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) r[4 * i + j] += a[4 * i + k] * b[4 * k + j];
  return r;
}
inline d4 dapply(const dmat& m, const d4& v) {
  d4 r{};
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) r[i] += m[4 * i + k] * v[k];
  return r;
}
inline d3 dpoint(const dmat& m, const d3& p) {
  const d4 r = dapply(m, {p[0], p[1], p[2], 1});
  return {r[0], r[1], r[2]};
}
inline d3 ddir(const dmat& m, const d3& p) {
  const d4 r = dapply(m, {p[0], p[1], p[2], 0});
  return {r[0], r[1], r[2]};
}

// Rodrigues: rotation by `angle` radians about the unit axis, right-handed.
inline d3 rodrigues(const d3& axis, double angle, const d3& v) {
  const double c = std::cos(angle), s = std::sin(angle);
  return add(add(scale(v, c), scale(cross(axis, v), s)), scale(axis, dot(axis, v) * (1 - c)));
}
inline dmat rodrigues_matrix(const d3& axis, double angle) {
  dmat m{};
  for (int c = 0; c < 3; ++c) {
    d3 e{0, 0, 0};
    e[c] = 1;
    const d3 col = rodrigues(axis, angle, e);
    for (int r = 0; r < 3; ++r) m[4 * r + c] = col[r];
  }
  m[15] = 1;
  return m;
}
// The rotation a unit quaternion stands for, through its axis and angle.
inline dmat quat_rotation_reference(const d4& q) {
  const double vlen = std::sqrt(q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  if (vlen == 0) return rodrigues_matrix({1, 0, 0}, 0);
  const double angle = 2 * std::atan2(vlen, q[0]);
  return rodrigues_matrix({q[1] / vlen, q[2] / vlen, q[3] / vlen}, angle);
}

constexpr dmat DIDENTITY{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Yaw, pitch and roll in degrees: Ry(yaw)·Rx(pitch)·Rz(roll), roll acting first.
inline dmat euler_reference(const vec3& ypr) {
  const double r = PI / 180;
  return dmul(rodrigues_matrix({0, 1, 0}, ypr.y * r),
              dmul(rodrigues_matrix({1, 0, 0}, ypr.x * r), rodrigues_matrix({0, 0, 1}, ypr.z * r)));
}
inline dmat dtranspose(const dmat& m) {
  dmat t;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) t[4 * r + c] = m[4 * c + r];
  return t;
}
inline bool is_transpose(const mat4& a, const mat4& b) { return to_d(a) == dtranspose(to_d(b)); }

// Largest |a_i − b_i| over n elements.
template <class A, class B>
double max_diff(const A& a, const B& b, int n) {
  double worst = 0;
  for (int i = 0; i < n; ++i) worst = std::max(worst, std::fabs(double(a[i]) - double(b[i])));
  return worst;
}

}  // namespace mtest
