// axial_t: paired updates of a matrix and its inverse.
#include "qxcore/math/axial.h"

#include <cmath>

#include "qxcore/math/directions.h"
#include "qxcore/math/matrix_builders.h"
#include "qxcore/math/matrix_products.h"

namespace quarn {

using mat4 = mat_sq_t<float, 4>;
using vec3 = vec_t<float, 3>;

void axial_t::identity() {
  matrix_set_identity(&m);
  matrix_set_identity(&inv);
}

void axial_t::set(const vec3& x_axis, const vec3& y_axis, const vec3& z_axis) {
  axis_to_matrix(&m, x_axis, y_axis, z_axis);
  matrix_transpose2(&inv, &m);
}

void axial_t::mult(const mat4& a, const mat4& b) {
  mult_matrix_matrix(&m, a, m);
  mult_matrix_matrix(&inv, inv, b);
}

void axial_t::mult_i(const mat4& a, const mat4& b) {
  mult_matrix_matrix(&m, m, a);
  mult_matrix_matrix(&inv, b, inv);
}

void axial_t::rotate(const vec3& ypr) {
  mat4 r, ri;
  matrix_pair_set_rotate(&r, &ri, ypr);
  mult(r, ri);
}

void axial_t::qrotate(const quat_t& q) {
  if (!(q.w < 1.0f)) return;  // the identity (or no usable rotation)
  mat4 r, rt;
  q.get_matrix_pair(&r, &rt);
  mult(r, rt);
}

void axial_t::neg_qrotate(const quat_t& q) {
  if (!(q.w < 1.0f)) return;
  mat4 r, rt;
  q.get_matrix_pair(&r, &rt);
  mult(rt, r);
}

void axial_t::translate(const vec3& v) {
  mat4 t, ti;
  matrix_pair_set_translate(&t, &ti, v);
  mult(t, ti);
}

void axial_t::neg_translate(const vec3& v) {
  mat4 t, ti;
  matrix_pair_set_translate(&t, &ti, v);
  mult(ti, t);
}

void axial_t::scale(const vec3& s) {
  mat4 sc, si;
  matrix_pair_set_scale(&sc, &si, s);
  mult(sc, si);
}

namespace {

// The unit coordinate axis along v's smallest component: the one farthest
// from parallel to v, so the cross product with it is well conditioned.
vec3 least_aligned_axis(const vec3& v) {
  int i0, i1, i2;
  axis_importance(v, &i0, &i1, &i2);
  vec3 axis{0.0f, 0.0f, 0.0f};
  axis[i2] = 1.0f;
  return axis;
}

// Builds the frame with `named` (0, 1, 2) = v / |v| exactly; the other two
// axes follow in cyclic order so that X × Y = Z.
bool set_frame(axial_t* a, const vec3& v, int named) {
  const float len = length(v);
  if (!(len > 0.0f) || std::isinf(len)) return false;
  vec3 axes[3];
  const vec3 n = v / len;
  axes[named] = n;
  vec3& next = axes[(named + 1) % 3];
  vec3& last = axes[(named + 2) % 3];
  // For a cyclic triple (n, next, last): last = n × next and next = last × n.
  last = normalized(cross(n, least_aligned_axis(n)));
  next = cross(last, n);
  a->set(axes[0], axes[1], axes[2]);
  return true;
}

}  // namespace

bool axial_t::set_x(const vec3& v) { return set_frame(this, v, 0); }
bool axial_t::set_y(const vec3& v) { return set_frame(this, v, 1); }
bool axial_t::set_z(const vec3& v) { return set_frame(this, v, 2); }

}  // namespace quarn
