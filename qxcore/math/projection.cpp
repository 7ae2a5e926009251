// Orthographic and perspective projection matrices.
#include "qxcore/math/projection.h"

#include <cmath>

#include "qxcore/math/angles.h"

namespace quarn {

using mat4 = mat_sq_t<float, 4>;

namespace {

void clear(mat4* m) {
  for (float& e : m->m) e = 0.0f;
}

struct window_t {
  float left, right, bottom, top;
};

// The near-plane window: s = tan(fov/2)·near on the smaller side of the rect.
window_t near_window(const rect_t& rect, float near_plane, float fov) {
  const float w = std::fabs(rect.r0 - rect.r1);
  const float h = std::fabs(rect.r3 - rect.r2);
  const float s = std::tan(fov * 0.5f * DEG_TO_RAD) * near_plane;
  window_t win;
  if (w <= h) {
    win.top = s;
    win.bottom = -s;
    win.right = (w / h) * s;
    win.left = -win.right;
  } else {
    win.right = s;
    win.left = -s;
    win.top = (h / w) * s;
    win.bottom = -win.top;
  }
  return win;
}

}  // namespace

void r_ortho_projection_matrix(mat4* m, const rect_t& r, float n, float f) {
  clear(m);
  m->m[0] = 2.0f / (r.r1 - r.r0);
  m->m[5] = 2.0f / (r.r2 - r.r3);
  m->m[10] = 2.0f / (n - f);
  m->m[3] = -(r.r0 + r.r1) / (r.r1 - r.r0);
  m->m[7] = -(r.r3 + r.r2) / (r.r2 - r.r3);
  m->m[11] = -(n + f) / (f - n);
  m->m[15] = 1.0f;
}

void r_ortho_projection_inverse_matrix(mat4* m, const rect_t& r, float n, float f) {
  clear(m);
  m->m[0] = (r.r1 - r.r0) / 2.0f;
  m->m[5] = (r.r2 - r.r3) / 2.0f;
  m->m[10] = (n - f) / 2.0f;
  m->m[3] = (r.r0 + r.r1) / 2.0f;
  m->m[7] = (r.r3 + r.r2) / 2.0f;
  m->m[11] = (n + f) / 2.0f;
  m->m[15] = 1.0f;
}

void r_frustum_projection_matrix(mat4* m, const rect_t& rect, float n, float f, float fov) {
  const window_t w = near_window(rect, n, fov);
  clear(m);
  m->m[0] = 2.0f * n / (w.right - w.left);
  m->m[5] = 2.0f * n / (w.top - w.bottom);
  m->m[2] = (w.right + w.left) / (w.right - w.left);
  m->m[6] = (w.top + w.bottom) / (w.top - w.bottom);
  m->m[10] = (n + f) / (n - f);
  m->m[11] = 2.0f * n * f / (n - f);
  m->m[14] = -1.0f;
}

void r_frustum_projection_inverse_matrix(mat4* m, const rect_t& rect, float n, float f, float fov) {
  const window_t w = near_window(rect, n, fov);
  clear(m);
  m->m[0] = (w.right - w.left) / (2.0f * n);
  m->m[5] = (w.top - w.bottom) / (2.0f * n);
  m->m[3] = (w.right + w.left) / (2.0f * n);
  m->m[7] = (w.top + w.bottom) / (2.0f * n);
  m->m[11] = -1.0f;
  m->m[14] = (n - f) / (2.0f * n * f);
  m->m[15] = (n + f) / (2.0f * n * f);
}

}  // namespace quarn
