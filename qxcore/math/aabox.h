// aabox_t: an axis-aligned box (min, max) for bounds and accumulation.
//
// Corner i takes x from max when bit 0 of i is set (else from min), y from
// bit 1 and z from bit 2, so get_corner(plane.get_normal_octant()) is the
// corner farthest along a plane's normal. Containment is strict (the surface
// is outside), intersection counts touching.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/quat.h"
#include "qxcore/math/sphere.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct QX_API aabox_t {
  vec_t<float, 3> min;
  vec_t<float, 3> max;

  void translate(const vec_t<float, 3>& v) {
    min += v;
    max += v;
  }
  vec_t<float, 3> get_center() const { return (min + max) * 0.5f; }
  vec_t<float, 3> get_corner(unsigned int i) const {
    return {(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
  }

  bool contains(const vec_t<float, 3>& p) const;  // min < p < max on every axis
  bool contains(const aabox_t& box) const;        // box.min > min and box.max < max
  bool intersects(const aabox_t& box) const;      // min ≤ box.max and max ≥ box.min
  // The box grown by r on every side contains the centre (strictly); corners
  // are not rounded, so this is conservative near them.
  bool intersects(const sphere_t& sphere) const;

  void scale(float f);  // about the origin
  void scale(const vec_t<float, 3>& v);
  // Per axis: min' = max − f·(max − min), max' = min + f·(max − min): f = 1
  // keeps the box, f = 2 grows it by its own size on both sides, f = 0 swaps
  // min and max.
  void scale_local(float f);
  void scale_local(const vec_t<float, 3>& v);

  // The empty box for accumulation: min = largest float, max = its negative.
  void set_reverse_extents();
  void enlarge(const vec_t<float, 3>& p);
  void enlarge(const aabox_t& box);

  // The axis-aligned box of the 8 corners through the affine transform m.
  void transform(const mat_sq_t<float, 4>& m);
  void rotate(const quat_t& q);        // transform(R(q)), about the origin
  void rotate_local(const quat_t& q);  // about the centre
};

static_assert(sizeof(aabox_t) == 6 * sizeof(float));

}  // namespace quarn
