// frustum_t: the view frustum as six planes whose normals point inwards, kept
// both in camera space (looking along −Z, Y up) and in world space.
//
// The camera planes follow the field of view (horizontal, degrees), the
// aspect ratio (height / width) and the near and far distances; update()
// places them in the world. The culling tests are conservative: a volume
// outside the frustum but not wholly behind a single plane counts as
// intersecting.
//
//   quarn::frustum_t view(60, 0.75f, 0.1f, 500);
//   view.update(camera.pos, camera.rot);
//   if (view.intersects(bounds)) draw();
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/aabox.h"
#include "qxcore/math/plane.h"
#include "qxcore/math/quat.h"
#include "qxcore/math/sphere.h"
#include "qxcore/math/vec.h"

namespace quarn {

class QX_API frustum_t {
 public:
  // Plane order in both sets.
  enum plane_index_t : unsigned int {
    PLANE_LEFT = 0,  // the left boundary; its normal (k·a, 0, −a) leans right
    PLANE_RIGHT = 1,
    PLANE_TOP = 2,
    PLANE_BOTTOM = 3,
    PLANE_NEAR = 4,
    PLANE_FAR = 5,
    PLANE_COUNT = 6,
  };

  // fov 90, aspect 1, near 1, far 1000; world planes (0, 1, 0, 0) until the
  // first update.
  frustum_t();
  frustum_t(float fov, float aspect, float near_plane, float far_plane);

  float get_fov() const { return fov_; }
  float get_aspect_ratio() const { return aspect_; }
  float get_near_plane() const { return near_; }
  float get_far_plane() const { return far_; }
  // Each stores a new value and marks the camera planes dirty; the next
  // update() recomputes them.
  void set_fov(float v);
  void set_aspect_ratio(float v);
  void set_near_plane(float v);
  void set_far_plane(float v);

  // World planes for a camera at `position` rotated by `rotation`.
  void update(const vec_t<float, 3>& position, const quat_t& rotation);

  bool contains(const vec_t<float, 3>& p) const;  // no world plane has p behind it
  bool intersects(const aabox_t& box) const;      // no plane has the whole box behind it
  bool intersects(const sphere_t& sphere) const;  // no plane has the whole sphere behind it

  const plane_t* get_world_planes() const { return world_; }    // PLANE_COUNT planes
  const plane_t* get_camera_planes() const { return camera_; }  // PLANE_COUNT planes
  const unsigned int* get_normal_octants() const { return octants_; }

 private:
  void compute_camera_planes();

  float fov_, aspect_, near_, far_;
  plane_t world_[PLANE_COUNT];
  plane_t camera_[PLANE_COUNT];
  unsigned int octants_[PLANE_COUNT];
  bool dirty_;
};

}  // namespace quarn
