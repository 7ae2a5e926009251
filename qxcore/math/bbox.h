// bbox_t: an object's bounding box with its transformed copy cached, as the
// engine keeps it for culling and picking: the base box, its 8 corners and 6
// face planes, and the same after the object's transform.
//
// Fill it with set/resize, call expand() to derive corners and planes, then
// transform(m) whenever the object moves.
//
// Corners are numbered c0 (min x, min y, min z), c1 (min, min, max z),
// c2 (max x, min, min), c3 (max x, min, max z), c4 (min, max y, min),
// c5 (min, max y, max z), c6 (max x, max y, min), c7 (max, max, max): bit 0
// is z, bit 1 is x, bit 2 is y. Plane normals point out of the box; a face
// with no area gets the plane (0, 0, 0, 0).
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct QX_API bbox_t {
  struct plane_pair_t {
    vec_t<float, 4> base;
    vec_t<float, 4> trans;
  };

  vec_t<float, 3> base_min{0, 0, 0}, base_max{0, 0, 0};
  vec_t<float, 3> trans_min{0, 0, 0}, trans_max{0, 0, 0};
  vec_t<float, 3> base_corners[8] = {};
  vec_t<float, 3> trans_corners[8] = {};
  plane_pair_t planes[6] = {};  // bottom, top, -x, +z, +x, -z

  void set(const vec_t<float, 3>& min, const vec_t<float, 3>& max);  // the base box only
  void set(float x0, float y0, float z0, float x1, float y1, float z1);
  void resize(const vec_t<float, 3>& p);  // grows the base box to include p
  void expand();                          // base corners and base planes from the base box

  // Transformed corners and planes from the base ones, and the transformed
  // box around the transformed corners.
  void transform(const mat_sq_t<float, 4>& m);
  // transform(m), then the transformed box and corners become the base ones
  // (the base planes stay as they were).
  void transform_base(const mat_sq_t<float, 4>& m);

  // Bounds included.
  bool inside(const vec_t<float, 3>& p) const;        // within the base box
  bool inside_trans(const vec_t<float, 3>& p) const;  // within the transformed box
  // All 8 transformed corners of `other` within this base / transformed box.
  bool overlap(const bbox_t& other) const;
  bool overlap_trans(const bbox_t& other) const;
  // At least one transformed corner of `other` within this base / transformed box.
  bool intersect(const bbox_t& other) const;
  bool intersect_trans(const bbox_t& other) const;
};

}  // namespace quarn
