// The dispatch table: which versions each CPU mask binds. What each bound
// version computes is checked under every binding by the matrix and batch
// transform tests (for_each_code_path).
#include <cstring>

#include "qxcore/math/batch_transforms.h"
#include "qxcore/math/float_ops.h"
#include "qxcore/math/math_dispatch.h"
#include "qxcore/math/matrix_builders.h"
#include "qxcore/math/matrix_inverse.h"
#include "qxcore/math/matrix_products.h"
#include "tests/math/math_test_util.h"

namespace {

using namespace mtest;
using product_fn = void (*)(mat4*, const mat4*, const mat4*);
using transform_fn = void (*)(vec3*, const vec3*, const mat4*, unsigned int, unsigned int,
                              unsigned int);

struct bound_t {
  product_fn lo, ro, no;
  transform_fn point, point_fast, normal, normal_fast;
  void (*identity)(mat4*);
  bool (*inverse)(mat4*, const mat4*);
  float (*sqrt)(float);
};

bound_t current() {
  return {quarn::mult_matrix_matrix_lo,    quarn::mult_matrix_matrix_ro,
          quarn::mult_matrix_matrix_no,    quarn::_mult_point_matrix,
          quarn::_mult_point_matrix_fast,  quarn::_mult_normal_matrix,
          quarn::_mult_normal_matrix_fast, quarn::matrix_set_identity,
          quarn::matrix_get_inverse,       quarn::sqrt_acc};
}

bound_t bound_with(unsigned int flags, bool wide_vectors = true) {
  quarn::math_bind_code_paths(flags, wide_vectors);
  return current();
}

constexpr unsigned int SSE_FLAGS = quarn::MATH_CPU_FPU | quarn::MATH_CPU_SSE;

// Restores the static binding whatever a test did.
struct rebind_on_exit_t {
  ~rebind_on_exit_t() { quarn::math_bind_code_paths(SSE_FLAGS); }
};

TEST(MathDispatch, MasksChooseTheVersions) {
  rebind_on_exit_t restore;
  const bound_t initial = current();
  const bound_t sse = bound_with(SSE_FLAGS, false);
  const bound_t widest = bound_with(SSE_FLAGS);
  const bound_t plain = bound_with(quarn::MATH_CPU_FORCE_PLAIN | SSE_FLAGS);
  const bound_t sse_without_fpu = bound_with(quarn::MATH_CPU_SSE);
  const bound_t fpu_only = bound_with(quarn::MATH_CPU_FPU);

  // The binding at load is the FPU + SSE binding with the widest units.
  EXPECT_EQ(std::memcmp(&initial, &widest, sizeof sse), 0);
  // SSE needs both bits; the force bit wins.
  EXPECT_EQ(std::memcmp(&plain, &sse_without_fpu, sizeof plain), 0);
  EXPECT_EQ(std::memcmp(&plain, &fpu_only, sizeof plain), 0);
  // The three product entries share one routine in each binding.
  EXPECT_EQ(plain.lo, plain.ro);
  EXPECT_EQ(plain.lo, plain.no);
  EXPECT_EQ(sse.lo, sse.no);
  // Entries without an SSE version stay plain.
  EXPECT_EQ(sse.identity, plain.identity);
  EXPECT_EQ(sse.sqrt, plain.sqrt);
#if defined(__SSE2__)
  EXPECT_NE(sse.lo, plain.lo);
  EXPECT_NE(sse.inverse, plain.inverse);
  EXPECT_NE(sse.point, plain.point);
  EXPECT_NE(sse.point_fast, plain.point_fast);
  EXPECT_NE(sse.normal, plain.normal);
  EXPECT_NE(sse.normal_fast, plain.normal_fast);
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx")) {
    EXPECT_NE(widest.lo, sse.lo);
    EXPECT_NE(widest.inverse, sse.inverse);
    EXPECT_NE(widest.point_fast, sse.point_fast);
  }
#endif
}

TEST(MathDispatch, FloatEntriesAreTheExactOperations) {
  std::mt19937 rng(53);
  for (int i = 0; i < 10000; ++i) {
    const float a = uniform(rng, -1e6f, 1e6f), b = uniform(rng, -1e3f, 1e3f);
    ASSERT_EQ(quarn::div_acc(a, b), a / b);
    ASSERT_EQ(quarn::div_rgh(a, b), a / b);
    ASSERT_EQ(quarn::recip_acc(b), 1.0f / b);
    ASSERT_EQ(quarn::recip_rgh(b), 1.0f / b);
    const float s = std::fabs(a);
    // Correctly rounded: the double root rounds to the same float.
    ASSERT_EQ(quarn::sqrt_acc(s), float(std::sqrt(double(s))));
    ASSERT_EQ(quarn::sqrt_rgh(s), float(std::sqrt(double(s))));
  }
}

}  // namespace
