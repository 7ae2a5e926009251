// Plain 4×4 products and transposes, and the exported helpers around them.
#include "qxcore/math/matrix_products.h"

#include <cstring>

#include "qxcore/core/messages.h"
#include "qxcore/math/code_paths.h"
#include "qxcore/math/quat.h"

namespace quarn {

namespace code_paths {

// a is copied first and each row of b is read before the same row of out is
// written, so out may be a, b or both.
void mult_matrix_matrix_plain(mat4* out, const mat4* a, const mat4* b) {
  if (out == nullptr || a == nullptr || b == nullptr) return;
  float am[16];
  std::memcpy(am, a->m, sizeof am);
  for (int i = 0; i < 4; ++i) {
    const float b0 = b->m[4 * i], b1 = b->m[4 * i + 1], b2 = b->m[4 * i + 2], b3 = b->m[4 * i + 3];
    float row[4];
    for (int j = 0; j < 4; ++j)
      row[j] = b0 * am[j] + b1 * am[4 + j] + b2 * am[8 + j] + b3 * am[12 + j];
    std::memcpy(out->m + 4 * i, row, sizeof row);
  }
}

void matrix_transpose_plain(mat4* m) {
  if (m == nullptr) return;
  for (int r = 0; r < 4; ++r)
    for (int c = r + 1; c < 4; ++c) {
      const float t = m->m[4 * r + c];
      m->m[4 * r + c] = m->m[4 * c + r];
      m->m[4 * c + r] = t;
    }
}

void matrix_transpose2_plain(mat4* out, const mat4* in) {
  if (out == nullptr || in == nullptr) return;
  if (out == in) {
    matrix_transpose_plain(out);
    return;
  }
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out->m[4 * r + c] = in->m[4 * c + r];
}

}  // namespace code_paths

using mat4 = mat_sq_t<float, 4>;

void mult_matrix_matrix(mat4* out, const mat4& a, const mat4& b) {
  mat4 product;
  mult_matrix_matrix_no(&product, &a, &b);
  *out = product;
}

void mult_quat_matrix(mat4* out, const quat_t& q, const mat4& m) {
  mat4 r;
  q.get_matrix(&r);
  mult_matrix_matrix(out, r, m);
}

void mult_matrix_quat(mat4* out, const mat4& m, const quat_t& q) {
  mat4 r;
  q.get_matrix(&r);
  mult_matrix_matrix(out, m, r);
}

void mult_matrix_matrix_3x3(mat4* out, const mat4& m, const float* block) {
  if (block == nullptr) {
    error("[math] mult_matrix_matrix_3x3: no 3x3 block given");
    return;
  }
  mat4 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[4 * i + j] =
          block[3 * i] * m.m[j] + block[3 * i + 1] * m.m[4 + j] + block[3 * i + 2] * m.m[8 + j];
  for (int j = 0; j < 4; ++j) r.m[12 + j] = m.m[12 + j];
  *out = r;
}

void mult_zero_matrix(vec_t<float, 3>* out, const mat4& m) {
  vec_t<float, 3> p{m.m[3], m.m[7], m.m[11]};
  const float w = m.m[15];
  if (w != 1.0f && w != 0.0f) p = p / w;
  *out = p;
}

void matrix_scaled_add(mat4* m, const mat4& a, float f) {
  for (int i = 0; i < 16; ++i) m->m[i] += f * a.m[i];
}

}  // namespace quarn
