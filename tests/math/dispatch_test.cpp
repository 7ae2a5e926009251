// The dispatch table: which versions each CPU mask binds, and the SSE and AVX
// versions against the plain ones on random data (strides, aliasing and odd
// record layouts included). They sum in the plain versions' order, so their
// results must be identical, not merely close.
#include <cstring>
#include <vector>

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

// Products with every aliasing, the inverse (singular matrices too) and the
// batch transforms over every pair of record layouts, in place and shifted by
// one record, for the SSE versions and, where the processor has AVX, the wider
// ones.
TEST(MathDispatch, SimdVersionsEqualPlainOnes) {
  rebind_on_exit_t restore;
  const bound_t plain = bound_with(quarn::MATH_CPU_FORCE_PLAIN);
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "widest" : "SSE");
    const bound_t simd = bound_with(SSE_FLAGS, wide);
    std::mt19937 rng(51);
    std::uniform_int_distribution<int> small(-2, 2);
    for (int i = 0; i < 20000; ++i) {
      // Magnitudes over a wide range, so rounding differences would show.
      const float scale = std::ldexp(1.0f, int(rng() % 40) - 20);
      const mat4 a = random_mat4(rng, -scale, scale), b = random_mat4(rng, -1, 1);
      mat4 want, got;
      plain.no(&want, &a, &b);
      for (product_fn s : {simd.lo, simd.ro, simd.no}) {
        s(&got, &a, &b);
        ASSERT_EQ(std::memcmp(&want, &got, sizeof got), 0) << i;
        got = a;  // out = a
        s(&got, &got, &b);
        ASSERT_EQ(std::memcmp(&want, &got, sizeof got), 0) << i;
        got = b;  // out = b
        s(&got, &a, &got);
        ASSERT_EQ(std::memcmp(&want, &got, sizeof got), 0) << i;
      }
      mat4 m = random_mat4(rng, -4, 4);
      if (i % 4 == 0)  // singular and near-singular integer matrices too
        for (float& e : m.m) e = float(small(rng));
      got = m;
      const bool ok = plain.inverse(&want, &m);
      ASSERT_EQ(simd.inverse(&got, &got), ok);
      ASSERT_EQ(std::memcmp(&want, &got, sizeof got), 0) << i;
    }

    const struct {
      const char* name;
      transform_fn plain, simd;
    } pairs[] = {{"point", plain.point, simd.point},
                 {"point_fast", plain.point_fast, simd.point_fast},
                 {"normal", plain.normal, simd.normal},
                 {"normal_fast", plain.normal_fast, simd.normal_fast}};
    const unsigned int layouts[][2] = {{12, 0}, {16, 0}, {32, 4}, {13, 1}, {20, 8}, {0, 0}};
    const unsigned int count = 1001;
    // Both versions on copies of `bytes`, records from `in` bytes to `out` bytes.
    auto agree = [&](const auto& p, const mat4& m, const std::vector<unsigned char>& bytes,
                     std::size_t in, std::size_t out, unsigned int n, unsigned int in_stride,
                     unsigned int out_stride) {
      std::vector<unsigned char> x = bytes, y = bytes;
      p.plain(reinterpret_cast<vec3*>(x.data() + out), reinterpret_cast<const vec3*>(x.data() + in),
              &m, n, out_stride, in_stride);
      p.simd(reinterpret_cast<vec3*>(y.data() + out), reinterpret_cast<const vec3*>(y.data() + in),
             &m, n, out_stride, in_stride);
      return x == y;
    };
    for (const auto& p : pairs)
      for (const auto& lin : layouts)
        for (const auto& lout : layouts) {
          if (lout[0] == 0) continue;  // every input on the same record is fine; outputs are not
          mat4 m = random_mat4(rng, -3, 3);
          if (rng() % 2) m.m[12] = m.m[13] = m.m[14] = 0, m.m[15] = 1;  // affine half of the time
          // Input records first, then the output records after a gap of 0x5A bytes.
          const std::size_t out_at = count * lin[0] + 64;
          std::vector<unsigned char> bytes(out_at + count * lout[0] + 64, 0x5A);
          for (std::size_t k = 0; k + 4 <= out_at; k += 4) {
            const float f = uniform(rng, -100, 100);
            std::memcpy(&bytes[k], &f, 4);
          }
          ASSERT_TRUE(agree(p, m, bytes, lin[1], out_at + lout[1], count, lin[0], lout[0]))
              << p.name << " in " << lin[0] << " out " << lout[0];
          if (lin[0] == 0) continue;
          ASSERT_TRUE(agree(p, m, bytes, lin[1], lin[1], count, lin[0], lin[0]))
              << p.name << " in place " << lin[0];
          // Overlapping but shifted by one record: both go record by record.
          ASSERT_TRUE(agree(p, m, bytes, 0, lin[0], count - 1, lin[0], lin[0]))
              << p.name << " shifted " << lin[0];
        }
  }
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
