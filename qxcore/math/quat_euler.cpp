// Quaternions from and to Euler triples and forward directions.
#include <cmath>

#include "qxcore/math/angles.h"
#include "qxcore/math/directions.h"
#include "qxcore/math/quat.h"

namespace quarn {

void quat_t::set_ypr(const vec_t<float, 3>& v) {
  quat_t yaw, pitch, roll;
  yaw.set({0, 1, 0}, v.y);
  pitch.set({1, 0, 0}, v.x);
  roll.set({0, 0, 1}, v.z);
  *this = yaw * pitch * roll;
}

// Reads the rotation matrix as Ry(yaw)·Rz(roll)·Rx(pitch); that product and
// set_ypr's Ry·Rx·Rz agree whenever pitch or roll is 0. The sine is clamped
// because rounding can push |m[4]| of a unit quaternion just past 1, where
// asin has no value.
void quat_t::get_ypr(vec_t<float, 3>* out) const {
  mat_sq_t<float, 4> mat;
  get_matrix(&mat);
  const float* m = mat.m;
  float s = -m[4];
  if (s > 1.0f) s = 1.0f;
  if (s < -1.0f) s = -1.0f;
  const float a = std::asin(s) * RAD_TO_DEG;
  if (-90.0f < a && a < 90.0f) {
    out->x = -std::atan2(m[6], m[5]) * RAD_TO_DEG;
    out->y = -std::atan2(m[8], m[0]) * RAD_TO_DEG;
  } else if (a >= 90.0f) {
    out->x = -std::atan2(-m[2], m[10]) * RAD_TO_DEG;
    out->y = -0.0f;
  } else {
    out->x = std::atan2(-m[2], m[10]) * RAD_TO_DEG;
    out->y = -0.0f;
  }
  out->z = -a;
}

vec_t<float, 3> quat_t::get_ypr() const {
  vec_t<float, 3> v;
  get_ypr(&v);
  return v;
}

void quat_t::set_cartes(const vec_t<float, 3>& dir) {
  vec_t<float, 3> ypr;
  cartes_2_ypr(&ypr, dir);
  set_ypr(ypr);
}

// The third column of the rotation matrix, negated.
void quat_t::get_cartes(vec_t<float, 3>* dir) const {
  mat_sq_t<float, 4> m;
  get_matrix(&m);
  *dir = {-m.m[2], -m.m[6], -m.m[10]};
}

vec_t<float, 3> quat_t::get_cartes() const {
  vec_t<float, 3> v;
  get_cartes(&v);
  return v;
}

}  // namespace quarn
