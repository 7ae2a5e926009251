// bbox_t: corners, planes and the cached transformed box.
#include "qxcore/math/bbox.h"

#include <cfloat>

#include "qxcore/math/plane_equations.h"
#include "qxcore/math/transform_inline.h"

namespace quarn {

using vec3 = vec_t<float, 3>;

namespace {

// The corner triples of the six faces, wound so that normals point outwards.
constexpr int FACES[6][3] = {{0, 2, 1}, {4, 5, 6}, {1, 5, 0}, {3, 7, 1}, {2, 6, 3}, {0, 4, 2}};

bool within(const vec3& p, const vec3& lo, const vec3& hi) {
  for (int k = 0; k < 3; ++k)
    if (!(lo[k] <= p[k] && p[k] <= hi[k])) return false;
  return true;
}

int corners_within(const vec3 (&corners)[8], const vec3& lo, const vec3& hi) {
  int n = 0;
  for (const vec3& c : corners) n += within(c, lo, hi) ? 1 : 0;
  return n;
}

}  // namespace

void bbox_t::set(const vec3& min, const vec3& max) {
  base_min = min;
  base_max = max;
}

void bbox_t::set(float x0, float y0, float z0, float x1, float y1, float z1) {
  set({x0, y0, z0}, {x1, y1, z1});
}

void bbox_t::resize(const vec3& p) {
  for (int k = 0; k < 3; ++k) {
    if (p[k] < base_min[k]) base_min[k] = p[k];
    if (p[k] > base_max[k]) base_max[k] = p[k];
  }
}

void bbox_t::expand() {
  for (int i = 0; i < 8; ++i)
    base_corners[i] = {(i & 2) ? base_max.x : base_min.x, (i & 4) ? base_max.y : base_min.y,
                       (i & 1) ? base_max.z : base_min.z};
  for (int f = 0; f < 6; ++f) {
    vec_t<float, 4>& plane = planes[f].base;
    // FLT_MIN: any face with an area at all has a direction.
    if (!points_compute_equation(base_corners[FACES[f][0]], base_corners[FACES[f][1]],
                                 base_corners[FACES[f][2]], &plane, FLT_MIN))
      plane = {0, 0, 0, 0};
  }
}

void bbox_t::transform(const mat_sq_t<float, 4>& m) {
  for (int i = 0; i < 8; ++i) trans_corners[i] = detail::transform_point(m, base_corners[i]);
  for (plane_pair_t& p : planes) transform_plane(&p.trans, p.base, m);
  trans_min = trans_max = trans_corners[0];
  for (const vec3& c : trans_corners)
    for (int k = 0; k < 3; ++k) {
      if (c[k] < trans_min[k]) trans_min[k] = c[k];
      if (c[k] > trans_max[k]) trans_max[k] = c[k];
    }
}

void bbox_t::transform_base(const mat_sq_t<float, 4>& m) {
  transform(m);
  base_min = trans_min;
  base_max = trans_max;
  for (int i = 0; i < 8; ++i) base_corners[i] = trans_corners[i];
}

bool bbox_t::inside(const vec3& p) const { return within(p, base_min, base_max); }
bool bbox_t::inside_trans(const vec3& p) const { return within(p, trans_min, trans_max); }

bool bbox_t::overlap(const bbox_t& other) const {
  return corners_within(other.trans_corners, base_min, base_max) == 8;
}
bool bbox_t::overlap_trans(const bbox_t& other) const {
  return corners_within(other.trans_corners, trans_min, trans_max) == 8;
}
bool bbox_t::intersect(const bbox_t& other) const {
  return corners_within(other.trans_corners, base_min, base_max) > 0;
}
bool bbox_t::intersect_trans(const bbox_t& other) const {
  return corners_within(other.trans_corners, trans_min, trans_max) > 0;
}

}  // namespace quarn
