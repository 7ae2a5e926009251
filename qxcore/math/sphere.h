// sphere_t: a centre and a radius, with containment, overlap and merging.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct QX_API sphere_t {
  vec_t<float, 3> center;
  float radius;

  void translate(const vec_t<float, 3>& v) { center += v; }
  void scale(float f) { radius *= f; }  // about the centre

  bool contains(const vec_t<float, 3>& p) const;  // |p − c|² < r² (the surface is outside)
  bool intersects(const sphere_t& other) const;   // |c₂ − c₁|² < (r₁ + r₂)²
  // Whether the segment a → b comes within the radius (squared distances
  // compared; the end a counts with ≤, the end b with <).
  bool intersects(const vec_t<float, 3>& a, const vec_t<float, 3>& b) const;
  // The smallest sphere containing both.
  void enlarge(const sphere_t& other);
};

static_assert(sizeof(sphere_t) == 4 * sizeof(float));

}  // namespace quarn
