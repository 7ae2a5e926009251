// aabox_t tests, scaling, accumulation and transforms.
#include "qxcore/math/aabox.h"

#include "qxcore/math/transform_inline.h"

namespace quarn {

using vec3 = vec_t<float, 3>;

bool aabox_t::contains(const vec3& p) const {
  for (int k = 0; k < 3; ++k)
    if (!(min[k] < p[k] && p[k] < max[k])) return false;
  return true;
}

bool aabox_t::contains(const aabox_t& box) const {
  for (int k = 0; k < 3; ++k)
    if (!(box.min[k] > min[k] && box.max[k] < max[k])) return false;
  return true;
}

bool aabox_t::intersects(const aabox_t& box) const {
  for (int k = 0; k < 3; ++k)
    if (!(min[k] <= box.max[k] && max[k] >= box.min[k])) return false;
  return true;
}

bool aabox_t::intersects(const sphere_t& sphere) const {
  const float r = sphere.radius;
  for (int k = 0; k < 3; ++k) {
    const float c = sphere.center[k];
    if (!(min[k] - r < c && c < max[k] + r)) return false;
  }
  return true;
}

void aabox_t::scale(float f) {
  min *= f;
  max *= f;
}

void aabox_t::scale(const vec3& v) {
  for (int k = 0; k < 3; ++k) {
    min[k] *= v[k];
    max[k] *= v[k];
  }
}

void aabox_t::scale_local(float f) { scale_local(vec3{f, f, f}); }

void aabox_t::scale_local(const vec3& v) {
  for (int k = 0; k < 3; ++k) {
    const float size = max[k] - min[k];
    const float lo = max[k] - v[k] * size;
    const float hi = min[k] + v[k] * size;
    min[k] = lo;
    max[k] = hi;
  }
}

void aabox_t::set_reverse_extents() {
  constexpr float BIG = 3.4028235e38f;  // bit pattern 0x7f7fffff
  min = {BIG, BIG, BIG};
  max = {-BIG, -BIG, -BIG};
}

void aabox_t::enlarge(const vec3& p) {
  for (int k = 0; k < 3; ++k) {
    if (p[k] < min[k]) min[k] = p[k];
    if (p[k] > max[k]) max[k] = p[k];
  }
}

void aabox_t::enlarge(const aabox_t& box) {
  for (int k = 0; k < 3; ++k) {
    if (box.min[k] < min[k]) min[k] = box.min[k];
    if (box.max[k] > max[k]) max[k] = box.max[k];
  }
}

void aabox_t::transform(const mat_sq_t<float, 4>& m) {
  aabox_t result;
  result.set_reverse_extents();
  for (unsigned int i = 0; i < 8; ++i) result.enlarge(detail::transform_point(m, get_corner(i)));
  *this = result;
}

void aabox_t::rotate(const quat_t& q) {
  mat_sq_t<float, 4> r;
  q.get_matrix(&r);
  transform(r);
}

void aabox_t::rotate_local(const quat_t& q) {
  const vec3 c = get_center();
  translate(-c);
  rotate(q);
  translate(c);
}

}  // namespace quarn
