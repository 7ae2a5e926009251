// The math bindings: the one place that decides which version each
// function-pointer entry of the math library is bound to. The entries
// themselves, with their first-call stubs, live in the library's dispatch
// table (sys/code_paths.cpp), whose init_cpu_trampoline calls
// math_bind_code_paths with the CPU feature mask.
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

}  // namespace quarn
