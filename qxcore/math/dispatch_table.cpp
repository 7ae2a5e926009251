// The math dispatch table: every function-pointer entry of the math library
// and the one place that decides what it is bound to.
//
// The initial values are constant-initialised, so the entries work before
// qxcore_init and before any other static initialiser runs: the SSE products,
// inverse and batch transforms (SSE2 is part of the x86-64 baseline; a build
// without it binds the plain versions) and the plain versions of the rest.
// While the library loads, a static initialiser rebinds through
// math_bind_code_paths(MATH_CPU_FPU | MATH_CPU_SSE), which adds the AVX
// products and packed transforms when the processor has AVX.
#include "qxcore/core/export.h"
#include "qxcore/math/batch_transforms.h"
#include "qxcore/math/code_paths.h"
#include "qxcore/math/float_ops.h"
#include "qxcore/math/math_dispatch.h"
#include "qxcore/math/matrix_builders.h"
#include "qxcore/math/matrix_inverse.h"
#include "qxcore/math/matrix_products.h"

namespace quarn {

using namespace code_paths;

#if defined(__SSE2__)
#define QX_MATH_SIMD(name) name##_sse
#else
#define QX_MATH_SIMD(name) name##_plain
#endif

void (*matrix_set_identity)(mat4*) = matrix_set_identity_plain;
void (*matrix_set_translate)(mat4*, const vec3&) = matrix_set_translate_plain;
void (*matrix_set_translate_inv)(mat4*, const vec3&) = matrix_set_translate_inv_plain;
void (*matrix_set_scale)(mat4*, const vec3&) = matrix_set_scale_plain;
void (*matrix_set_const_scale)(mat4*, float) = matrix_set_const_scale_plain;
void (*matrix_set_rotate)(mat4*, const vec3&) = matrix_set_rotate_plain;
void (*matrix_set_rotate_inv)(mat4*, const vec3&) = matrix_set_rotate_inv_plain;
void (*matrix_set_quat)(mat4*, const quat_t&) = matrix_set_quat_plain;
void (*matrix_set_mirror)(mat4*, const vec4&) = matrix_set_mirror_plain;

void (*mult_matrix_matrix_lo)(mat4*, const mat4*, const mat4*) = QX_MATH_SIMD(mult_matrix_matrix);
void (*mult_matrix_matrix_ro)(mat4*, const mat4*, const mat4*) = QX_MATH_SIMD(mult_matrix_matrix);
void (*mult_matrix_matrix_no)(mat4*, const mat4*, const mat4*) = QX_MATH_SIMD(mult_matrix_matrix);
void (*matrix_transpose)(mat4*) = matrix_transpose_plain;
void (*matrix_transpose2)(mat4*, const mat4*) = matrix_transpose2_plain;
bool (*matrix_get_inverse)(mat4*, const mat4*) = QX_MATH_SIMD(matrix_get_inverse);

void (*_mult_point_matrix)(vec3*, const vec3*, const mat4*, unsigned int, unsigned int,
                           unsigned int) = QX_MATH_SIMD(mult_point_matrix);
void (*_mult_point_matrix_fast)(vec3*, const vec3*, const mat4*, unsigned int, unsigned int,
                                unsigned int) = QX_MATH_SIMD(mult_point_matrix_fast);
void (*_mult_point_matrix_z)(float*, const vec3*, const mat4*, unsigned int, unsigned int,
                             unsigned int) = mult_point_matrix_z_plain;
void (*_mult_normal_matrix)(vec3*, const vec3*, const mat4*, unsigned int, unsigned int,
                            unsigned int) = QX_MATH_SIMD(mult_normal_matrix);
void (*_mult_normal_matrix_fast)(vec3*, const vec3*, const mat4*, unsigned int, unsigned int,
                                 unsigned int) = QX_MATH_SIMD(mult_normal_matrix_fast);
void (*_mult_vector_matrix)(vec4*, const vec4*, const mat4*, unsigned int, unsigned int,
                            unsigned int) = mult_vector_matrix_plain;
void (*_mult_vector_matrix_fast)(vec4*, const vec4*, const mat4*, unsigned int, unsigned int,
                                 unsigned int) = mult_vector_matrix_plain;

float (*div_acc)(float, float) = div_plain;
float (*div_rgh)(float, float) = div_plain;
float (*recip_acc)(float) = recip_plain;
float (*recip_rgh)(float) = recip_plain;
float (*sqrt_acc)(float) = sqrt_plain;
float (*sqrt_rgh)(float) = sqrt_plain;

namespace {

void bind_plain() {
  matrix_set_identity = matrix_set_identity_plain;
  matrix_set_translate = matrix_set_translate_plain;
  matrix_set_translate_inv = matrix_set_translate_inv_plain;
  matrix_set_scale = matrix_set_scale_plain;
  matrix_set_const_scale = matrix_set_const_scale_plain;
  matrix_set_rotate = matrix_set_rotate_plain;
  matrix_set_rotate_inv = matrix_set_rotate_inv_plain;
  matrix_set_quat = matrix_set_quat_plain;
  matrix_set_mirror = matrix_set_mirror_plain;
  mult_matrix_matrix_lo = mult_matrix_matrix_plain;
  mult_matrix_matrix_ro = mult_matrix_matrix_plain;
  mult_matrix_matrix_no = mult_matrix_matrix_plain;
  matrix_transpose = matrix_transpose_plain;
  matrix_transpose2 = matrix_transpose2_plain;
  matrix_get_inverse = matrix_get_inverse_plain;
  _mult_point_matrix = mult_point_matrix_plain;
  _mult_point_matrix_fast = mult_point_matrix_fast_plain;
  _mult_point_matrix_z = mult_point_matrix_z_plain;
  _mult_normal_matrix = mult_normal_matrix_plain;
  _mult_normal_matrix_fast = mult_normal_matrix_fast_plain;
  _mult_vector_matrix = mult_vector_matrix_plain;
  _mult_vector_matrix_fast = mult_vector_matrix_plain;
  div_acc = div_plain;
  div_rgh = div_plain;
  recip_acc = recip_plain;
  recip_rgh = recip_plain;
  sqrt_acc = sqrt_plain;
  sqrt_rgh = sqrt_plain;
}

void bind_sse() {
#if defined(__SSE2__)
  mult_matrix_matrix_lo = mult_matrix_matrix_sse;
  mult_matrix_matrix_ro = mult_matrix_matrix_sse;
  mult_matrix_matrix_no = mult_matrix_matrix_sse;
  matrix_get_inverse = matrix_get_inverse_sse;
  _mult_point_matrix = mult_point_matrix_sse;
  _mult_point_matrix_fast = mult_point_matrix_fast_sse;
  _mult_normal_matrix = mult_normal_matrix_sse;
  _mult_normal_matrix_fast = mult_normal_matrix_fast_sse;
#endif
}

// The feature mask has no bit for AVX, so the processor is asked directly
// (the query includes the operating system's support for the wide registers).
bool processor_has_avx() {
#if defined(QX_MATH_HAS_AVX)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx");
#else
  return false;
#endif
}

void bind_avx() {
#if defined(QX_MATH_HAS_AVX)
  mult_matrix_matrix_lo = mult_matrix_matrix_avx;
  mult_matrix_matrix_ro = mult_matrix_matrix_avx;
  mult_matrix_matrix_no = mult_matrix_matrix_avx;
  matrix_get_inverse = matrix_get_inverse_avx;
  _mult_point_matrix = mult_point_matrix_avx;
  _mult_point_matrix_fast = mult_point_matrix_fast_avx;
  _mult_normal_matrix = mult_normal_matrix_avx;
  _mult_normal_matrix_fast = mult_normal_matrix_fast_avx;
#endif
}

}  // namespace

void math_bind_code_paths(unsigned int cpu_flags, bool wide_vectors) {
  bind_plain();
  if ((cpu_flags & MATH_CPU_FORCE_PLAIN) != 0) return;
  const unsigned int sse = MATH_CPU_FPU | MATH_CPU_SSE;
  if ((cpu_flags & sse) != sse) return;
  bind_sse();
  if (wide_vectors && processor_has_avx()) bind_avx();
}

namespace {

// At load, after the constant initial binding: the same binding plus the
// AVX versions where the processor has them. Nothing is allocated.
struct load_time_binding_t {
  load_time_binding_t() { math_bind_code_paths(MATH_CPU_FPU | MATH_CPU_SSE); }
} load_time_binding;

}  // namespace

}  // namespace quarn
