// Placements: conversions between local and global space, matrices, motion.
#include "qxcore/math/placement.h"

#include "qxcore/math/matrix_inverse.h"
#include "qxcore/math/transform_inline.h"

namespace quarn {

using detail::transform_direction;
using mat4 = mat_sq_t<float, 4>;
using vec3 = vec_t<float, 3>;

namespace {

vec3 rotate(const quat_t& q, const vec3& v) {
  mat4 m;
  q.get_matrix(&m);
  return transform_direction(m, v);
}

vec3 rotate_inverse(const quat_t& q, const vec3& v) {
  mat4 m;
  q.get_imatrix(&m);
  return transform_direction(m, v);
}

float lerp(float a, float b, float t) { return (1.0f - t) * a + t * b; }

vec3 lerp(const vec3& a, const vec3& b, float t) {
  return {lerp(a.x, b.x, t), lerp(a.y, b.y, t), lerp(a.z, b.z, t)};
}

// R(rot) with its columns scaled by s, then the translation pos.
void scaled_matrix(mat4* m, const vec3& pos, const vec3& s, const quat_t& rot) {
  rot.get_matrix(m);
  for (int i = 0; i < 3; ++i) {
    m->m[4 * i] *= s.x;
    m->m[4 * i + 1] *= s.y;
    m->m[4 * i + 2] *= s.z;
  }
  m->m[3] = pos.x;
  m->m[7] = pos.y;
  m->m[11] = pos.z;
}

}  // namespace

// placement_t

void placement_t::compute_matrix(mat4* m) const {
  rot.get_matrix(m);
  m->m[3] = pos.x;
  m->m[7] = pos.y;
  m->m[11] = pos.z;
}

void placement_t::compute_inverse_matrix(mat4* m) const {
  rot.get_imatrix(m);
  const vec3 t = transform_direction(*m, -pos);
  m->m[3] = t.x;
  m->m[7] = t.y;
  m->m[11] = t.z;
}

vec3 placement_t::from_local_space(const vec3& p) const { return rotate(rot, p) + pos; }

vec3 placement_t::to_local_space(const vec3& p) const { return rotate_inverse(rot, p - pos); }

void placement_t::from_local_space(placement_t* out, const placement_t& local) const {
  const placement_t r{rotate(rot, local.pos) + pos, local.rot * rot};
  *out = r;
}

void placement_t::to_local_space(placement_t* out, const placement_t& global) const {
  const placement_t r{rotate_inverse(rot, global.pos - pos), global.rot / rot};
  *out = r;
}

void placement_t::translate_local(const vec3& v) { pos += rotate(rot, v); }

void placement_t::rotate_global(const quat_t& q) {
  pos = rotate(q, pos);
  rot *= q;
}

void placement_t::rotate_local(const vec3& pivot, const quat_t& q) {
  const vec3 w = rotate(rot, pivot);
  pos = rotate(q, pos - w) + w;
  rot *= q;
}

void placement_t::interpolate(const placement_t& a, const placement_t& b, float t) {
  quat_t r;
  r.slerp(a.rot, b.rot, t);
  pos = lerp(a.pos, b.pos, t);
  rot = r;
}

// placement_scale_t

void placement_scale_t::compute_matrix(mat4* m) const {
  scaled_matrix(m, pos, {scale, scale, scale}, rot);
}

bool placement_scale_t::compute_inverse_matrix(mat4* m) const {
  mat4 forward;
  compute_matrix(&forward);
  return matrix_get_inverse(m, &forward);
}

vec3 placement_scale_t::from_local_space(const vec3& p) const {
  return rotate(rot, scale * p) + pos;
}

vec3 placement_scale_t::to_local_space(const vec3& p) const {
  return rotate_inverse(rot, p - pos) / scale;
}

void placement_scale_t::from_local_space(placement_t* out, const placement_t& local) const {
  const placement_t r{rotate(rot, scale * local.pos) + pos, local.rot * rot};
  *out = r;
}

void placement_scale_t::to_local_space(placement_t* out, const placement_t& global) const {
  const placement_t r{rotate_inverse(rot, global.pos - pos) / scale, global.rot / rot};
  *out = r;
}

void placement_scale_t::interpolate(const placement_scale_t& a, const placement_scale_t& b,
                                    float t) {
  quat_t r;
  r.slerp(a.rot, b.rot, t);
  pos = lerp(a.pos, b.pos, t);
  scale = lerp(a.scale, b.scale, t);
  rot = r;
}

// placement_nonuniform_t

void placement_nonuniform_t::compute_matrix(mat4* m) const { scaled_matrix(m, pos, scale, rot); }

bool placement_nonuniform_t::compute_inverse_matrix(mat4* m) const {
  mat4 forward;
  compute_matrix(&forward);
  return matrix_get_inverse(m, &forward);
}

vec3 placement_nonuniform_t::from_local_space(const vec3& p) const {
  const vec3 r = rotate(rot, p);
  return vec3{scale.x * r.x, scale.y * r.y, scale.z * r.z} + pos;
}

vec3 placement_nonuniform_t::to_local_space(const vec3& p) const {
  const vec3 d = p - pos;
  return rotate_inverse(rot, {d.x / scale.x, d.y / scale.y, d.z / scale.z});
}

void placement_nonuniform_t::interpolate(const placement_nonuniform_t& a,
                                         const placement_nonuniform_t& b, float t) {
  quat_t r;
  r.slerp(a.rot, b.rot, t);
  pos = lerp(a.pos, b.pos, t);
  scale = lerp(a.scale, b.scale, t);
  rot = r;
}

}  // namespace quarn
