// Quaternion algebra, axis-angle, logarithm and exponential, and matrices.
#include "qxcore/math/quat.h"

#include <cmath>

#include "qxcore/math/angles.h"
#include "qxcore/math/matrix_products.h"

namespace quarn {

const quat_t quat_t::zero = {1.0f, 0.0f, 0.0f, 0.0f};

namespace {

quat_t hamilton(const quat_t& a, const quat_t& b) {
  return {
      a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
      a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

}  // namespace

quat_t quat_t::operator*(const quat_t& b) const { return hamilton(*this, b); }

quat_t& quat_t::operator*=(const quat_t& b) {
  *this = hamilton(*this, b);
  return *this;
}

quat_t quat_t::operator/(const quat_t& b) const { return hamilton(*this, -b); }

quat_t& quat_t::operator/=(const quat_t& b) {
  *this = hamilton(*this, -b);
  return *this;
}

void quat_t::normalize() {
  const float len = std::sqrt(w * w + x * x + y * y + z * z);
  if (len > 0.0f) {
    w /= len;
    x /= len;
    y /= len;
    z /= len;
  }
}

void quat_t::rmul(const quat_t& a, const quat_t& b) { *this = hamilton(a, b); }
void quat_t::lmul(const quat_t& a, const quat_t& b) { *this = hamilton(b, a); }
void quat_t::rdiv(const quat_t& a, const quat_t& b) { *this = hamilton(a, -b); }
void quat_t::ldiv(const quat_t& a, const quat_t& b) { *this = hamilton(b, -a); }
quat_t quat_t::get_delta(const quat_t& q) const { return hamilton(q, -*this); }

float quat_t::get_rotation() const { return 2.0f * std::acos(w) * RAD_TO_DEG; }
float quat_t::get_rotation_rad() const { return 2.0f * std::acos(w); }

// A zero axis has no direction to normalise: the vector part becomes NaN,
// which is what the division says and what a caller can detect.
void quat_t::set(const vec_t<float, 3>& axis, float angle) {
  const vec_t<float, 3> a = normalized(axis);
  const float half = angle * 0.5f * DEG_TO_RAD;
  const float s = std::sin(half);
  *this = {std::cos(half), a.x * s, a.y * s, a.z * s};
}

void quat_t::log(const quat_t& q) {
  const float theta = std::acos(q.w);
  const float s = std::sin(theta);
  if (s <= 0.0f) {
    *this = {0.0f, 0.0f, 0.0f, 0.0f};
    return;
  }
  const float k = theta / s;
  *this = {0.0f, q.x * k, q.y * k, q.z * k};
}

void quat_t::exp(const quat_t& q) {
  const float n = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
  const float c = std::cos(n);
  if (n <= 0.0f) {
    *this = {c, 0.0f, 0.0f, 0.0f};
    return;
  }
  const float k = std::sin(n) / n;
  *this = {c, q.x * k, q.y * k, q.z * k};
}

void quat_t::get_matrix(mat_sq_t<float, 4>* out) const {
  float* m = out->m;
  const float xx = x * x, yy = y * y, zz = z * z;
  m[0] = 1.0f - 2.0f * yy - 2.0f * zz;
  m[1] = 2.0f * x * y - 2.0f * w * z;
  m[2] = 2.0f * x * z + 2.0f * w * y;
  m[4] = 2.0f * x * y + 2.0f * w * z;
  m[5] = 1.0f - 2.0f * xx - 2.0f * zz;
  m[6] = 2.0f * y * z - 2.0f * w * x;
  m[8] = 2.0f * x * z - 2.0f * w * y;
  m[9] = 2.0f * y * z + 2.0f * w * x;
  m[10] = 1.0f - 2.0f * xx - 2.0f * yy;
  m[3] = m[7] = m[11] = 0.0f;
  m[12] = m[13] = m[14] = 0.0f;
  m[15] = 1.0f;
}

void quat_t::get_imatrix(mat_sq_t<float, 4>* out) const {
  mat_sq_t<float, 4> r;
  get_matrix(&r);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) out->m[4 * i + j] = r.m[4 * j + i];
  out->m[3] = out->m[7] = out->m[11] = 0.0f;
  out->m[12] = out->m[13] = out->m[14] = 0.0f;
  out->m[15] = 1.0f;
}

void quat_t::get_matrix_pair(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv) const {
  get_matrix(m);
  matrix_transpose2(inv, m);
}

// Four branches so that the square root is always taken of the largest of
// the four candidates (trace, or one diagonal excess), which keeps s away
// from zero.
void quat_t::set_matrix(const mat_sq_t<float, 4>& mat) {
  const float* m = mat.m;
  const float t = m[0] + m[5] + m[10];
  quat_t q;
  if (t > 0.0f) {
    const float s = 0.5f / std::sqrt(t + 1.0f);
    q.w = 0.25f / s;
    q.x = (m[9] - m[6]) * s;
    q.y = (m[2] - m[8]) * s;
    q.z = (m[4] - m[1]) * s;
  } else if (m[0] >= m[5] && m[0] >= m[10]) {
    const float s = 0.5f / std::sqrt(1.0f + m[0] - m[5] - m[10]);
    q.x = 0.25f / s;
    q.y = (m[4] + m[1]) * s;
    q.z = (m[8] + m[2]) * s;
    q.w = (m[9] - m[6]) * s;
  } else if (m[5] < m[10]) {
    const float s = 0.5f / std::sqrt(1.0f - m[0] - m[5] + m[10]);
    q.z = 0.25f / s;
    q.x = (m[8] + m[2]) * s;
    q.y = (m[9] + m[6]) * s;
    q.w = (m[4] - m[1]) * s;
  } else {
    const float s = 0.5f / std::sqrt(1.0f - m[0] + m[5] - m[10]);
    q.y = 0.25f / s;
    q.x = (m[4] + m[1]) * s;
    q.z = (m[9] + m[6]) * s;
    q.w = (m[2] - m[8]) * s;
  }
  *this = q;
}

}  // namespace quarn
