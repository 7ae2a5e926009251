// Direction conversions and axis classification.
#include "qxcore/math/directions.h"

#include <cmath>

#include "qxcore/math/angles.h"
#include "qxcore/math/batch_transforms.h"
#include "qxcore/math/float_ops.h"
#include "qxcore/math/matrix_builders.h"

namespace quarn {

void cartes_2_ypr(vec_t<float, 3>* out, const vec_t<float, 3>& d) {
  if (d.x == 0.0f && d.y == 0.0f && d.z == 0.0f) {
    *out = {0.0f, 0.0f, 0.0f};
    return;
  }
  float sine = d.y / length(d);
  if (sine > 1.0f) sine = 1.0f;
  if (sine < -1.0f) sine = -1.0f;
  float heading;
  if (std::fabs(d.z) >= 0.001f) {
    float h = std::atan(-d.x / d.z) * RAD_TO_DEG;
    if (d.z > 0.0f) h += 180.0f;
    heading = 360.0f - h;
  } else {
    // Looking sideways: the quotient above would be huge or undefined.
    heading = d.x < 0.0f ? 90.0f : d.x > 0.0f ? 270.0f : 0.0f;
  }
  *out = {std::asin(sine) * RAD_TO_DEG, heading, 0.0f};
}

void ypr_2_cartes(vec_t<float, 3>* out, const vec_t<float, 3>& ypr) {
  mat_sq_t<float, 4> m;
  matrix_set_rotate(&m, ypr);
  const vec_t<float, 3> forward{0.0f, 0.0f, -1.0f};
  _mult_normal_matrix_fast(out, &forward, &m, 1, sizeof forward, sizeof forward);
}

void cartes_2_spheric(vec_t<float, 3>* out, const vec_t<float, 3>& v) {
  const float r = sqrt_acc(length_squared(v));
  const float polar = r <= 0.0f ? 0.0f : std::acos(v.x / r);
  const float azimuth = v.x > 0.0f ? std::atan(v.y / v.x) : (v.y < 0.0f ? -1.0f : 1.0f);
  *out = {polar, azimuth, r};
}

void spheric_2_cartes(vec_t<float, 3>* out, const vec_t<float, 3>& s) {
  const float st = std::sin(s.x), ct = std::cos(s.x);
  const float sp = std::sin(s.y), cp = std::cos(s.y);
  const vec_t<float, 3> v{st * cp * s.z, st * sp * s.z, ct * s.z};
  *out = normalized(v);
}

void axis_to_matrix(mat_sq_t<float, 4>* m, const vec_t<float, 3>& x_axis,
                    const vec_t<float, 3>& y_axis, const vec_t<float, 3>& z_axis) {
  const vec_t<float, 3>* rows[3] = {&x_axis, &y_axis, &z_axis};
  for (int r = 0; r < 3; ++r) {
    m->m[4 * r] = rows[r]->x;
    m->m[4 * r + 1] = rows[r]->y;
    m->m[4 * r + 2] = rows[r]->z;
    m->m[4 * r + 3] = 0.0f;
  }
  m->m[12] = m->m[13] = m->m[14] = 0.0f;
  m->m[15] = 1.0f;
}

bool get_axis_aligned(const vec_t<float, 3>& v, vec_t<float, 3>* out, float eps) {
  int big = 0, small = 0;
  for (int i = 0; i < 3; ++i) {
    const float a = std::fabs(v[i]);
    if (a > eps) ++big;
    if (a < eps) ++small;
  }
  if (big != 1 || small != 2) return false;
  if (out != nullptr)
    for (int i = 0; i < 3; ++i)
      (*out)[i] = std::fabs(v[i]) <= eps ? 0.0f : v[i] < 0.0f ? -1.0f : 1.0f;
  return true;
}

void axis_importance(const vec_t<float, 3>& v, int* i0, int* i1, int* i2) {
  const float a[3] = {std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)};
  int first, p, q;  // p < q are the two others
  if (a[0] >= a[1] && a[0] >= a[2]) {
    first = 0, p = 1, q = 2;
  } else if (a[1] >= a[2]) {
    first = 1, p = 0, q = 2;
  } else {
    first = 2, p = 0, q = 1;
  }
  *i0 = first;
  if (a[q] > a[p]) {
    *i1 = q;
    *i2 = p;
  } else {
    *i1 = p;
    *i2 = q;
  }
}

void axis_importance(const vec_t<float, 4>& plane, int* i0, int* i1, int* i2) {
  axis_importance(xyz(plane), i0, i1, i2);
}

}  // namespace quarn
