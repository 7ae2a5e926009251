// Plain 4×4 inverse by cofactors.
//
// The twelve 2×2 minors of the upper two rows (s*) and the lower two rows (c*)
// are shared by all sixteen cofactors (Laplace expansion along row pairs), so
// the adjugate costs a few dozen products instead of sixteen 3×3 determinants.
#include "qxcore/math/matrix_inverse.h"

#include "qxcore/math/code_paths.h"

namespace quarn::code_paths {

bool matrix_get_inverse_plain(mat4* out, const mat4* in) {
  if (out == nullptr || in == nullptr) return false;
  const float* a = in->m;
  const float a00 = a[0], a01 = a[1], a02 = a[2], a03 = a[3];
  const float a10 = a[4], a11 = a[5], a12 = a[6], a13 = a[7];
  const float a20 = a[8], a21 = a[9], a22 = a[10], a23 = a[11];
  const float a30 = a[12], a31 = a[13], a32 = a[14], a33 = a[15];

  const float s0 = a00 * a11 - a10 * a01;
  const float s1 = a00 * a12 - a10 * a02;
  const float s2 = a00 * a13 - a10 * a03;
  const float s3 = a01 * a12 - a11 * a02;
  const float s4 = a01 * a13 - a11 * a03;
  const float s5 = a02 * a13 - a12 * a03;

  const float c0 = a20 * a31 - a30 * a21;
  const float c1 = a20 * a32 - a30 * a22;
  const float c2 = a20 * a33 - a30 * a23;
  const float c3 = a21 * a32 - a31 * a22;
  const float c4 = a21 * a33 - a31 * a23;
  const float c5 = a22 * a33 - a32 * a23;

  float adj[16];
  adj[0] = a11 * c5 - a12 * c4 + a13 * c3;
  adj[1] = -a01 * c5 + a02 * c4 - a03 * c3;
  adj[2] = a31 * s5 - a32 * s4 + a33 * s3;
  adj[3] = -a21 * s5 + a22 * s4 - a23 * s3;
  adj[4] = -a10 * c5 + a12 * c2 - a13 * c1;
  adj[5] = a00 * c5 - a02 * c2 + a03 * c1;
  adj[6] = -a30 * s5 + a32 * s2 - a33 * s1;
  adj[7] = a20 * s5 - a22 * s2 + a23 * s1;
  adj[8] = a10 * c4 - a11 * c2 + a13 * c0;
  adj[9] = -a00 * c4 + a01 * c2 - a03 * c0;
  adj[10] = a30 * s4 - a31 * s2 + a33 * s0;
  adj[11] = -a20 * s4 + a21 * s2 - a23 * s0;
  adj[12] = -a10 * c3 + a11 * c1 - a12 * c0;
  adj[13] = a00 * c3 - a01 * c1 + a02 * c0;
  adj[14] = -a30 * s3 + a31 * s1 - a32 * s0;
  adj[15] = a20 * s3 - a21 * s1 + a22 * s0;

  // First row of m against the first column of the adjugate.
  const float det = a00 * adj[0] + a01 * adj[4] + a02 * adj[8] + a03 * adj[12];
  if (det == 0.0f) {
    for (int i = 0; i < 16; ++i) out->m[i] = adj[i];
    return false;
  }
  const float inv_det = 1.0f / det;
  for (int i = 0; i < 16; ++i) out->m[i] = adj[i] * inv_det;
  return true;
}

}  // namespace quarn::code_paths
