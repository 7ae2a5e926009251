// axial_t: a transform matrix kept together with its inverse. Every operation
// updates both, so the inverse never has to be computed from scratch.
//
// "First" below means applied to a point before the other transform: after
// translate(v), a point is moved by v and then by the old m.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/quat.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct QX_API axial_t {
  mat_sq_t<float, 4> m{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};    // the transform
  mat_sq_t<float, 4> inv{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};  // its inverse

  void identity();
  // Rows 0..2 of m = the axes, no translation; inv = the transpose (the
  // axes must be orthonormal for that to be the inverse).
  void set(const vec_t<float, 3>& x_axis, const vec_t<float, 3>& y_axis,
           const vec_t<float, 3>& z_axis);

  // a first, then m; inv first, then b (b must be the inverse of a).
  void mult(const mat_sq_t<float, 4>& a, const mat_sq_t<float, 4>& b);
  // m first, then a; b first, then inv.
  void mult_i(const mat_sq_t<float, 4>& a, const mat_sq_t<float, 4>& b);

  void rotate(const vec_t<float, 3>& ypr);  // Euler rotation first
  void qrotate(const quat_t& q);            // R(q) first; nothing when q.w ≥ 1
  void neg_qrotate(const quat_t& q);        // R(q)⁻¹ first; nothing when q.w ≥ 1
  void translate(const vec_t<float, 3>& v);
  void neg_translate(const vec_t<float, 3>& v);
  void scale(const vec_t<float, 3>& s);

  // An orthonormal right-handed frame whose X (Y, Z) axis is exactly v / |v|;
  // m and inv are rewritten from it (translation dropped). False, and nothing
  // changed, when v has no usable length (zero, infinite or NaN).
  bool set_x(const vec_t<float, 3>& v);
  bool set_y(const vec_t<float, 3>& v);
  bool set_z(const vec_t<float, 3>& v);
};

}  // namespace quarn
