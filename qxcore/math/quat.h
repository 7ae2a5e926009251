// The rotation quaternion, stored (w, x, y, z) with the scalar part first.
//
// The rotation by θ about the unit axis a is (cos θ/2, a·sin θ/2). Products
// are Hamilton products: a ⊗ b rotates by b first, then by a. Angles are in
// degrees unless a name ends in _rad; Euler triples are (pitch, yaw, roll).
// Operations that produce a quaternion write to `this`; every argument may be
// `this` itself.
//
//   quarn::quat_t q;
//   q.set({0, 1, 0}, 90);          // 90° about Y
//   q.slerp(q, quarn::quat_t::zero, 0.5f);
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct QX_API quat_t {
  float w, x, y, z;

  static const quat_t zero;  // (1, 0, 0, 0), the identity ("zero") rotation

  float& operator[](int i) { return (&w)[i]; }
  const float& operator[](int i) const { return (&w)[i]; }

  // Algebra
  quat_t operator-() const { return {w, -x, -y, -z}; }  // conjugate
  quat_t operator*(const quat_t& b) const;              // this ⊗ b
  quat_t& operator*=(const quat_t& b);
  quat_t operator/(const quat_t& b) const;  // this ⊗ conj(b), no division by the norm
  quat_t& operator/=(const quat_t& b);
  bool operator==(const quat_t& b) const {  // exact; a NaN is unequal
    return w == b.w && x == b.x && y == b.y && z == b.z;
  }
  bool operator!=(const quat_t& b) const { return !(*this == b); }
  void normalize();  // divides by the 4D length when it is > 0
  void invert() { *this = -*this; }
  void rmul(const quat_t& a, const quat_t& b);  // a ⊗ b
  void lmul(const quat_t& a, const quat_t& b);  // b ⊗ a
  void rdiv(const quat_t& a, const quat_t& b);  // a ⊗ conj(b)
  void ldiv(const quat_t& a, const quat_t& b);  // b ⊗ conj(a)
  quat_t get_delta(const quat_t& q) const;      // q ⊗ conj(this): takes this to q

  // Angle and axis
  bool is_zero() const { return w == 1.0f; }           // exactly; (−1, 0, 0, 0) is not
  float get_rotation() const;                          // 2·acos(w) in degrees
  float get_rotation_rad() const;                      // 2·acos(w)
  void set(const vec_t<float, 3>& axis, float angle);  // axis normalised here

  // Logarithm and exponential of unit quaternions (pure-vector logarithms)
  void log(const quat_t& q);
  void exp(const quat_t& q);

  // Interpolation
  void slerp(const quat_t& a, const quat_t& b, float t);        // along the shorter arc
  void slerp_noinv(const quat_t& a, const quat_t& b, float t);  // b never negated
  void squad(const quat_t& a, const quat_t& b, const quat_t& c, const quat_t& d, float t);
  void spline(const quat_t& prev, const quat_t& q, const quat_t& next);  // squad control point

  // Matrices (the quaternion is not normalised first)
  void set_matrix(const mat_sq_t<float, 4>& m);  // from the 3×3 block
  void get_matrix(mat_sq_t<float, 4>* m) const;
  void get_imatrix(mat_sq_t<float, 4>* m) const;  // the transpose: inverse rotation
  void get_matrix_pair(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv) const;

  // Euler angles: set_ypr(v) = Qy(yaw) ⊗ Qx(pitch) ⊗ Qz(roll)
  void set_ypr(const vec_t<float, 3>& pitch_yaw_roll);
  void get_ypr(vec_t<float, 3>* pitch_yaw_roll) const;
  vec_t<float, 3> get_ypr() const;

  // Directions: (0, 0, −1), the unrotated forward direction, rotated by this
  void set_cartes(const vec_t<float, 3>& dir);
  void get_cartes(vec_t<float, 3>* dir) const;
  vec_t<float, 3> get_cartes() const;
};

static_assert(sizeof(quat_t) == 16);

}  // namespace quarn
