// plane_t: the plane of the points x with normal·x + d = 0. The signed
// distance normal·x + d is positive on the side the normal points to (a true
// distance when the normal is of unit length).
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct QX_API plane_t {
  vec_t<float, 3> normal;
  float d;

  plane_t() = default;
  plane_t(const vec_t<float, 3>& n, float dist) : normal(n), d(dist) {}
  // Through `point`: the normal unchanged, d = −normal·point.
  plane_t(const vec_t<float, 3>& n, const vec_t<float, 3>& point);
  // Through three points: n = (p2 − p1) × (p3 − p1), normalised when
  // |n|² > 0.00001 (else left as it is); d = −n·p2.
  plane_t(const vec_t<float, 3>& p1, const vec_t<float, 3>& p2, const vec_t<float, 3>& p3);

  float get_signed_distance(const vec_t<float, 3>& x) const { return dot(normal, x) + d; }
  float get_distance(const vec_t<float, 3>& x) const;  // |signed distance|
  // (x > 0) + 2·(y > 0) + 4·(z > 0): the aabox_t corner farthest along the normal.
  unsigned int get_normal_octant() const {
    return (normal.x > 0.0f ? 1u : 0u) + (normal.y > 0.0f ? 2u : 0u) + (normal.z > 0.0f ? 4u : 0u);
  }
};

static_assert(sizeof(plane_t) == 4 * sizeof(float));

}  // namespace quarn
