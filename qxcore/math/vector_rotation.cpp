// Rotation of single vectors.
#include "qxcore/math/vector_rotation.h"

#include "qxcore/math/matrix_builders.h"
#include "qxcore/math/transform_inline.h"

namespace quarn {

using detail::transform_direction;
using detail::transform_point;
using mat4 = mat_sq_t<float, 4>;
using vec3 = vec_t<float, 3>;

namespace {

mat4 euler_matrix(const vec3& ypr, bool inverse) {
  mat4 m;
  (inverse ? matrix_set_rotate_inv : matrix_set_rotate)(&m, ypr);
  return m;
}

mat4 quat_matrix(const quat_t& q, bool inverse) {
  mat4 m;
  if (inverse)
    q.get_imatrix(&m);
  else
    q.get_matrix(&m);
  return m;
}

}  // namespace

void normal_rotate(vec3* out, const vec3& v, const vec3& ypr) {
  *out = transform_direction(euler_matrix(ypr, false), v);
}
void normal_rotate_inv(vec3* out, const vec3& v, const vec3& ypr) {
  *out = transform_direction(euler_matrix(ypr, true), v);
}
void point_rotate(vec3* out, const vec3& p, const vec3& ypr) {
  *out = transform_point(euler_matrix(ypr, false), p);
}
void point_rotate_inv(vec3* out, const vec3& p, const vec3& ypr) {
  *out = transform_point(euler_matrix(ypr, true), p);
}

void normal_rotate(vec3* out, const vec3& v, const quat_t& q) {
  *out = transform_direction(quat_matrix(q, false), v);
}
void normal_rotate_inv(vec3* out, const vec3& v, const quat_t& q) {
  *out = transform_direction(quat_matrix(q, true), v);
}
void point_rotate(vec3* out, const vec3& p, const quat_t& q) {
  *out = transform_point(quat_matrix(q, false), p);
}
void point_rotate_inv(vec3* out, const vec3& p, const quat_t& q) {
  *out = transform_point(quat_matrix(q, true), p);
}

vec3 normal_rotate(const vec3& v, const quat_t& q) {
  const vec3 qv{q.x, q.y, q.z};
  const vec3 r = dot(qv, v) * qv + (q.w * q.w - 0.5f) * v + q.w * cross(qv, v);
  return 2.0f * r;
}
vec3 normal_rotate_inv(const vec3& v, const quat_t& q) {
  return transform_direction(quat_matrix(q, true), v);
}
vec3 point_rotate(const vec3& p, const quat_t& q) {
  return transform_point(quat_matrix(q, false), p);
}
vec3 point_rotate_inv(const vec3& p, const quat_t& q) {
  return transform_point(quat_matrix(q, true), p);
}

}  // namespace quarn
