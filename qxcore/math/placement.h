// Placements: rigid transforms stored as a position and a rotation quaternion,
// optionally with a uniform (placement_scale_t) or per-axis
// (placement_nonuniform_t) scale. A default-constructed placement is the
// identity.
//
// R(q) below is the rotation of quat_t::get_matrix. The placement conversions
// compose rotations as local.rot ⊗ rot, while transform nodes compose
// parent.rot ⊗ relative.rot; both orders are deliberate and differ whenever
// the two rotations do not commute.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/quat.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct QX_API placement_t {
  vec_t<float, 3> pos{0.0f, 0.0f, 0.0f};
  quat_t rot{1.0f, 0.0f, 0.0f, 0.0f};

  void set_identity() { *this = placement_t{}; }

  void compute_matrix(mat_sq_t<float, 4>* m) const;          // p ↦ R(rot)·p + pos
  void compute_inverse_matrix(mat_sq_t<float, 4>* m) const;  // translate by −pos, then R⁻¹

  vec_t<float, 3> from_local_space(const vec_t<float, 3>& p) const;  // R(rot)·p + pos
  vec_t<float, 3> to_local_space(const vec_t<float, 3>& p) const;    // R(rot)⁻¹·(p − pos)
  // out.pos = R(rot)·local.pos + pos, out.rot = local.rot ⊗ rot. out may be this.
  void from_local_space(placement_t* out, const placement_t& local) const;
  // out.pos = R(rot)⁻¹·(global.pos − pos), out.rot = global.rot ⊗ conj(rot).
  void to_local_space(placement_t* out, const placement_t& global) const;

  void translate_local(const vec_t<float, 3>& v);  // pos += R(rot)·v
  void rotate_global(const quat_t& q);             // pos = R(q)·pos, rot = rot ⊗ q
  // Rotates about the local point `pivot`: w = R(rot)·pivot,
  // pos = R(q)·(pos − w) + w, rot = rot ⊗ q.
  void rotate_local(const vec_t<float, 3>& pivot, const quat_t& q);
  // pos = (1 − t)·a.pos + t·b.pos, rot = slerp(a.rot, b.rot, t).
  void interpolate(const placement_t& a, const placement_t& b, float t);
};

struct QX_API placement_scale_t {
  vec_t<float, 3> pos{0.0f, 0.0f, 0.0f};
  float scale = 1.0f;
  quat_t rot{1.0f, 0.0f, 0.0f, 0.0f};

  void compute_matrix(mat_sq_t<float, 4>* m) const;          // scale, then rotate, then translate
  bool compute_inverse_matrix(mat_sq_t<float, 4>* m) const;  // matrix_get_inverse of that

  vec_t<float, 3> from_local_space(const vec_t<float, 3>& p) const;  // R(rot)·(s·p) + pos
  vec_t<float, 3> to_local_space(const vec_t<float, 3>& p) const;    // R(rot)⁻¹·(p − pos) / s
  void from_local_space(placement_t* out, const placement_t& local) const;
  void to_local_space(placement_t* out, const placement_t& global) const;

  void interpolate(const placement_scale_t& a, const placement_scale_t& b, float t);
};

// The vector conversions scale along the world axes after rotating; the
// matrix scales along the local axes before rotating. They agree for uniform
// scale or no rotation.
struct QX_API placement_nonuniform_t {
  vec_t<float, 3> pos{0.0f, 0.0f, 0.0f};
  vec_t<float, 3> scale{1.0f, 1.0f, 1.0f};
  quat_t rot{1.0f, 0.0f, 0.0f, 0.0f};

  void compute_matrix(mat_sq_t<float, 4>* m) const;  // scale by S, then rotate, then translate
  bool compute_inverse_matrix(mat_sq_t<float, 4>* m) const;

  vec_t<float, 3> from_local_space(const vec_t<float, 3>& p) const;  // S·(R(rot)·p) + pos
  vec_t<float, 3> to_local_space(const vec_t<float, 3>& p) const;    // R(rot)⁻¹·((p − pos)/S)

  void interpolate(const placement_nonuniform_t& a, const placement_nonuniform_t& b, float t);
};

static_assert(sizeof(placement_t) == 7 * sizeof(float));
static_assert(sizeof(placement_scale_t) == 8 * sizeof(float));
static_assert(sizeof(placement_nonuniform_t) == 10 * sizeof(float));

}  // namespace quarn
