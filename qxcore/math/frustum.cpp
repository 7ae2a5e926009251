// frustum_t: camera planes from the view parameters, world planes from the
// camera's placement, and the culling tests.
#include "qxcore/math/frustum.h"

#include <cmath>

#include "qxcore/math/angles.h"
#include "qxcore/math/plane_equations.h"
#include "qxcore/math/transform_inline.h"

namespace quarn {

using vec3 = vec_t<float, 3>;

frustum_t::frustum_t() : frustum_t(90.0f, 1.0f, 1.0f, 1000.0f) {}

frustum_t::frustum_t(float fov, float aspect, float near_plane, float far_plane)
    : fov_(fov), aspect_(aspect), near_(near_plane), far_(far_plane), dirty_(false) {
  compute_camera_planes();
  for (unsigned int i = 0; i < PLANE_COUNT; ++i) {
    world_[i] = plane_t({0, 1, 0}, 0.0f);
    octants_[i] = world_[i].get_normal_octant();
  }
}

// The frustum's side planes pass through the eye; with k = 1/tan(fov/2) the
// side normals lean by a = 1/√(1 + k²) and the top/bottom ones by
// b = 1/√(k² + aspect²), which makes every normal a unit vector.
void frustum_t::compute_camera_planes() {
  const float k = 1.0f / std::tan(fov_ * 0.5f * DEG_TO_RAD);
  const float a = 1.0f / std::sqrt(1.0f + k * k);
  const float b = 1.0f / std::sqrt(k * k + aspect_ * aspect_);
  camera_[PLANE_LEFT] = plane_t({k * a, 0.0f, -a}, 0.0f);
  camera_[PLANE_RIGHT] = plane_t({-k * a, 0.0f, -a}, 0.0f);
  camera_[PLANE_TOP] = plane_t({0.0f, -b * k, -b * aspect_}, 0.0f);
  camera_[PLANE_BOTTOM] = plane_t({0.0f, b * k, -b * aspect_}, 0.0f);
  camera_[PLANE_NEAR] = plane_t({0.0f, 0.0f, -1.0f}, -near_);
  camera_[PLANE_FAR] = plane_t({0.0f, 0.0f, 1.0f}, far_);
}

void frustum_t::set_fov(float v) {
  if (v != fov_) fov_ = v, dirty_ = true;
}
void frustum_t::set_aspect_ratio(float v) {
  if (v != aspect_) aspect_ = v, dirty_ = true;
}
void frustum_t::set_near_plane(float v) {
  if (v != near_) near_ = v, dirty_ = true;
}
void frustum_t::set_far_plane(float v) {
  if (v != far_) far_ = v, dirty_ = true;
}

void frustum_t::update(const vec3& position, const quat_t& rotation) {
  if (dirty_) {
    compute_camera_planes();
    dirty_ = false;
  }
  mat_sq_t<float, 4> r;
  rotation.get_matrix(&r);
  for (unsigned int i = 0; i < PLANE_COUNT; ++i) {
    const vec3 n = detail::transform_direction(r, camera_[i].normal);
    const vec_t<float, 4> moved{n.x, n.y, n.z, camera_[i].d - dot(n, position)};
    vec_t<float, 4> unit;
    plane_normalize(&unit, moved);
    world_[i] = plane_t(xyz(unit), unit.w);
    octants_[i] = world_[i].get_normal_octant();
  }
}

bool frustum_t::contains(const vec3& p) const {
  for (const plane_t& plane : world_)
    if (plane.get_signed_distance(p) < 0.0f) return false;
  return true;
}

bool frustum_t::intersects(const aabox_t& box) const {
  for (unsigned int i = 0; i < PLANE_COUNT; ++i)
    if (!(world_[i].get_signed_distance(box.get_corner(octants_[i])) >= 0.0f)) return false;
  return true;
}

bool frustum_t::intersects(const sphere_t& sphere) const {
  for (const plane_t& plane : world_)
    if (!(plane.get_signed_distance(sphere.center) + sphere.radius >= 0.0f)) return false;
  return true;
}

}  // namespace quarn
