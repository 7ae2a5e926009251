// Weighted transforms: blend the bone matrices of each vertex, then transform
// the vertex through the dispatched single-matrix routines.
#include "qxcore/math/skinning.h"

#include "qxcore/core/messages.h"
#include "qxcore/math/batch_transforms.h"
#include "qxcore/math/matrix_products.h"

namespace quarn {

namespace {

using mat4 = mat_sq_t<float, 4>;

// The blend of one vertex's bones; reports the first bad index of a call
// (`reported` keeps a long array from flooding the log).
void blend_bones(mat4* blend, const float* weights, const unsigned char* indices, const mat4* bones,
                 unsigned int influences, unsigned int bone_count, const char* caller,
                 bool* reported) {
  for (float& e : blend->m) e = 0.0f;
  for (unsigned int k = 0; k < influences; ++k) {
    const float w = weights[k];
    if (w == 0.0f) break;
    const unsigned int index = indices[k];
    if (index >= bone_count) {
      if (!*reported)
        error("[math] %s: bone index %u is not below the bone count %u", caller, index, bone_count);
      *reported = true;
      continue;
    }
    matrix_scaled_add(blend, bones[index], w);
  }
}

bool arguments_present(const void* out, const void* in, const float* weights,
                       const unsigned char* indices, const mat4* bones, unsigned int count) {
  return count == 0 || (out != nullptr && in != nullptr && weights != nullptr &&
                        indices != nullptr && bones != nullptr);
}

// Blends each vertex's bones and hands the matrix to `apply` with the
// vertex number; a bad bone index is reported once per call.
template <class Apply>
void for_each_blend(const float* weights, const unsigned char* indices, const mat4* bones, unsigned int influences,
                    unsigned int count, unsigned int bone_count, const char* caller, Apply apply) {
  bool reported = false;
  for (unsigned int v = 0; v < count; ++v) {
    mat4 blend;
    const std::size_t base = static_cast<std::size_t>(v) * influences;
    blend_bones(&blend, weights + base, indices + base, bones, influences, bone_count, caller, &reported);
    apply(v, blend);
  }
}

}  // namespace

void mult_weighted_parray(vec_t<float, 3>* out, const vec_t<float, 3>* in, const float* weights,
                          const unsigned char* indices, const mat4* bones, unsigned int influences,
                          unsigned int count, unsigned int bone_count) {
  if (!arguments_present(out, in, weights, indices, bones, count)) return;
  for_each_blend(weights, indices, bones, influences, count, bone_count, "mult_weighted_parray",
                 [&](unsigned int v, const mat4& blend) {
                   _mult_point_matrix_fast(out + v, in + v, &blend, 1, sizeof(vec_t<float, 3>),
                                           sizeof(vec_t<float, 3>));
                 });
}

void mult_weighted_narray(vec_t<float, 3>* out, const vec_t<float, 3>* in, const float* weights,
                          const unsigned char* indices, const mat4* bones, unsigned int influences,
                          unsigned int count, unsigned int bone_count) {
  if (!arguments_present(out, in, weights, indices, bones, count)) return;
  for_each_blend(weights, indices, bones, influences, count, bone_count, "mult_weighted_narray",
                 [&](unsigned int v, const mat4& blend) {
                   _mult_normal_matrix_fast(out + v, in + v, &blend, 1, sizeof(vec_t<float, 3>),
                                            sizeof(vec_t<float, 3>));
                 });
}

void mult_weighted_tarray(vec_t<float, 4>* out, const vec_t<float, 4>* in, const float* weights,
                          const unsigned char* indices, const mat4* bones, unsigned int influences,
                          unsigned int count, unsigned int bone_count) {
  if (!arguments_present(out, in, weights, indices, bones, count)) return;
  for_each_blend(weights, indices, bones, influences, count, bone_count, "mult_weighted_tarray",
                 [&](unsigned int v, const mat4& blend) {
                   const vec_t<float, 4> t = in[v];
                   vec_t<float, 3> dir{t.x, t.y, t.z};
                   _mult_normal_matrix_fast(&dir, &dir, &blend, 1, sizeof dir, sizeof dir);
                   out[v] = {dir.x, dir.y, dir.z, t.w};
                 });
}

}  // namespace quarn
