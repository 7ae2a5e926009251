// Plain matrix builders, the pair builders and the left/right modifiers.
#include "qxcore/math/matrix_builders.h"

#include "qxcore/math/code_paths.h"
#include "qxcore/math/matrix_products.h"
#include "qxcore/math/quat.h"

namespace quarn {

namespace code_paths {

namespace {

// Qy(yaw) ⊗ Qx(pitch) ⊗ Qz(roll) with every factor of angle exactly 0 left
// out, so pure single-axis rotations carry no rounding from the others.
quat_t ypr_quat_without_zero_factors(const vec3& ypr) {
  quat_t q = quat_t::zero;
  bool first = true;
  const struct {
    float angle;
    vec3 axis;
  } factors[] = {{ypr.y, {0, 1, 0}}, {ypr.x, {1, 0, 0}}, {ypr.z, {0, 0, 1}}};
  for (const auto& f : factors) {
    if (f.angle == 0.0f) continue;
    quat_t r;
    r.set(f.axis, f.angle);
    if (first)
      q = r;
    else
      q *= r;
    first = false;
  }
  return q;
}

}  // namespace

void matrix_set_identity_plain(mat4* m) {
  if (m == nullptr) return;
  for (int i = 0; i < 16; ++i) m->m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void matrix_set_translate_plain(mat4* m, const vec3& v) {
  if (m == nullptr) return;
  matrix_set_identity_plain(m);
  m->m[3] = v.x;
  m->m[7] = v.y;
  m->m[11] = v.z;
}

void matrix_set_translate_inv_plain(mat4* m, const vec3& v) {
  if (m == nullptr) return;
  matrix_set_identity_plain(m);
  m->m[3] = -v.x;
  m->m[7] = -v.y;
  m->m[11] = -v.z;
}

void matrix_set_scale_plain(mat4* m, const vec3& s) {
  if (m == nullptr) return;
  matrix_set_identity_plain(m);
  m->m[0] = s.x;
  m->m[5] = s.y;
  m->m[10] = s.z;
}

void matrix_set_const_scale_plain(mat4* m, float f) {
  if (m == nullptr) return;
  matrix_set_identity_plain(m);
  m->m[0] = m->m[5] = m->m[10] = f;
}

void matrix_set_rotate_plain(mat4* m, const vec3& ypr) {
  if (m == nullptr) return;
  ypr_quat_without_zero_factors(ypr).get_matrix(m);
}

void matrix_set_rotate_inv_plain(mat4* m, const vec3& ypr) {
  if (m == nullptr) return;
  ypr_quat_without_zero_factors(ypr).get_imatrix(m);
}

void matrix_set_quat_plain(mat4* m, const quat_t& q) {
  if (m == nullptr) return;
  q.get_matrix(m);
}

void matrix_set_mirror_plain(mat4* m, const vec4& plane) {
  if (m == nullptr) return;
  const float a = plane.x, b = plane.y, c = plane.z, d = plane.w;
  float* r = m->m;
  r[0] = 1.0f - 2.0f * a * a;
  r[5] = 1.0f - 2.0f * b * b;
  r[10] = 1.0f - 2.0f * c * c;
  r[1] = r[4] = -2.0f * a * b;
  r[2] = r[8] = -2.0f * a * c;
  r[6] = r[9] = -2.0f * b * c;
  r[3] = -2.0f * a * d;
  r[7] = -2.0f * b * d;
  r[11] = -2.0f * c * d;
  r[12] = r[13] = r[14] = 0.0f;
  r[15] = 1.0f;
}

}  // namespace code_paths

void matrix_pair_set_translate(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv,
                               const vec_t<float, 3>& v) {
  if (m != nullptr) matrix_set_translate(m, v);
  if (inv != nullptr) matrix_set_translate_inv(inv, v);
}

void matrix_pair_set_scale(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv,
                           const vec_t<float, 3>& s) {
  if (m != nullptr) matrix_set_scale(m, s);
  if (inv != nullptr) matrix_set_scale(inv, {1.0f / s.x, 1.0f / s.y, 1.0f / s.z});
}

void matrix_pair_set_const_scale(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv, float f) {
  if (m != nullptr) matrix_set_const_scale(m, f);
  if (inv != nullptr) matrix_set_const_scale(inv, 1.0f / f);
}

void matrix_pair_set_rotate(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv,
                            const vec_t<float, 3>& ypr) {
  if (m != nullptr) matrix_set_rotate(m, ypr);
  if (inv != nullptr) matrix_set_rotate_inv(inv, ypr);
}

void matrix_pair_set_quat(mat_sq_t<float, 4>* m, mat_sq_t<float, 4>* inv, const quat_t& q) {
  if (m != nullptr) q.get_matrix(m);
  if (inv != nullptr) q.get_imatrix(inv);
}

namespace {

using mat4 = mat_sq_t<float, 4>;

void apply_left(mat4* m, const mat4& x) {
  if (m != nullptr) mult_matrix_matrix(m, x, *m);
}
void apply_right(mat4* m, const mat4& x) {
  if (m != nullptr) mult_matrix_matrix(m, *m, x);
}

}  // namespace

void matrix_translate_left(mat4* m, const vec_t<float, 3>& v) {
  mat4 x;
  matrix_set_translate(&x, v);
  apply_left(m, x);
}

void matrix_translate_right(mat4* m, const vec_t<float, 3>& v) {
  mat4 x;
  matrix_set_translate(&x, v);
  apply_right(m, x);
}

void matrix_rotate_left(mat4* m, const vec_t<float, 3>& ypr) {
  mat4 x;
  matrix_set_rotate(&x, ypr);
  apply_left(m, x);
}

void matrix_rotate_right(mat4* m, const vec_t<float, 3>& ypr) {
  mat4 x;
  matrix_set_rotate(&x, ypr);
  apply_right(m, x);
}

void matrix_scale_left(mat4* m, const vec_t<float, 3>& s) {
  mat4 x;
  matrix_set_scale(&x, s);
  apply_left(m, x);
}

void matrix_scale_right(mat4* m, const vec_t<float, 3>& s) {
  mat4 x;
  matrix_set_scale(&x, s);
  apply_right(m, x);
}

}  // namespace quarn
