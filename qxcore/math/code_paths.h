// Internal: the implementations that the math dispatch table chooses among.
// Plain versions live beside their concept (matrix_builders.cpp,
// matrix_products.cpp, ...), processor-specific ones in sibling *_sse.cpp
// files with the same signatures. Not part of the exported interface.
#pragma once

#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct quat_t;

namespace code_paths {

using mat4 = mat_sq_t<float, 4>;
using vec3 = vec_t<float, 3>;
using vec4 = vec_t<float, 4>;

// matrix_builders.cpp
void matrix_set_identity_plain(mat4* m);
void matrix_set_translate_plain(mat4* m, const vec3& v);
void matrix_set_translate_inv_plain(mat4* m, const vec3& v);
void matrix_set_scale_plain(mat4* m, const vec3& s);
void matrix_set_const_scale_plain(mat4* m, float f);
void matrix_set_rotate_plain(mat4* m, const vec3& ypr);
void matrix_set_rotate_inv_plain(mat4* m, const vec3& ypr);
void matrix_set_quat_plain(mat4* m, const quat_t& q);
void matrix_set_mirror_plain(mat4* m, const vec4& plane);

// matrix_products.cpp: one product tolerates every aliasing, so it serves
// the _lo, _ro and _no entries alike.
void mult_matrix_matrix_plain(mat4* out, const mat4* a, const mat4* b);
void matrix_transpose_plain(mat4* m);
void matrix_transpose2_plain(mat4* out, const mat4* in);

// matrix_inverse.cpp
bool matrix_get_inverse_plain(mat4* out, const mat4* m);

// batch_transforms.cpp
void mult_point_matrix_plain(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                             unsigned int out_stride, unsigned int in_stride);
void mult_point_matrix_fast_plain(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                  unsigned int out_stride, unsigned int in_stride);
void mult_point_matrix_z_plain(float* out, const vec3* in, const mat4* m, unsigned int count,
                               unsigned int out_stride, unsigned int in_stride);
void mult_normal_matrix_plain(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                              unsigned int out_stride, unsigned int in_stride);
void mult_normal_matrix_fast_plain(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                   unsigned int out_stride, unsigned int in_stride);
void mult_vector_matrix_plain(vec4* out, const vec4* in, const mat4* m, unsigned int count,
                              unsigned int out_stride, unsigned int in_stride);

// float_ops.cpp
float div_plain(float a, float b);
float recip_plain(float a);
float sqrt_plain(float a);

#if defined(__SSE2__)
// matrix_products_sse.cpp
void mult_matrix_matrix_sse(mat4* out, const mat4* a, const mat4* b);

// matrix_inverse_sse.cpp
bool matrix_get_inverse_sse(mat4* out, const mat4* m);

// batch_transforms_sse.cpp
void mult_point_matrix_sse(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                           unsigned int out_stride, unsigned int in_stride);
void mult_point_matrix_fast_sse(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                unsigned int out_stride, unsigned int in_stride);
void mult_normal_matrix_sse(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                            unsigned int out_stride, unsigned int in_stride);
void mult_normal_matrix_fast_sse(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                 unsigned int out_stride, unsigned int in_stride);
#endif

#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define QX_MATH_HAS_AVX 1
// matrix_products_avx.cpp, batch_transforms_avx.cpp: bound only when the
// processor reports AVX.
void mult_matrix_matrix_avx(mat4* out, const mat4* a, const mat4* b);
bool matrix_get_inverse_avx(mat4* out, const mat4* m);
void mult_point_matrix_avx(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                           unsigned int out_stride, unsigned int in_stride);
void mult_point_matrix_fast_avx(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                unsigned int out_stride, unsigned int in_stride);
void mult_normal_matrix_avx(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                            unsigned int out_stride, unsigned int in_stride);
void mult_normal_matrix_fast_avx(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                 unsigned int out_stride, unsigned int in_stride);
#endif

}  // namespace code_paths
}  // namespace quarn
