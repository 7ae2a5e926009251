// Matrices: builders, products, inverse and modifiers against double-precision
// references (composition of transforms applied to points, Gauss-Jordan
// elimination, explicit minors, Rodrigues rotations).
#include <cstring>
#include <vector>

#include "qxcore/math/matrix_builders.h"
#include "qxcore/math/matrix_inverse.h"
#include "qxcore/math/matrix_products.h"
#include "tests/math/math_test_util.h"
#include "tests/support/capture_sink.h"

namespace {

using namespace mtest;

// Gauss-Jordan elimination with partial pivoting; false when singular.
bool reference_inverse(const dmat& in, dmat* out) {
  double a[4][8];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 8; ++c) a[r][c] = c < 4 ? in[4 * r + c] : (c - 4 == r ? 1 : 0);
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    if (a[pivot][col] == 0) return false;
    for (int c = 0; c < 8; ++c) std::swap(a[col][c], a[pivot][c]);
    const double p = a[col][col];
    for (int c = 0; c < 8; ++c) a[col][c] /= p;
    for (int r = 0; r < 4; ++r) {
      if (r == col) continue;
      const double f = a[r][col];
      for (int c = 0; c < 8; ++c) a[r][c] -= f * a[col][c];
    }
  }
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) (*out)[4 * r + c] = a[r][c + 4];
  return true;
}

double det3(const double m[3][3]) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// adj(r, c) = (−1)^(r+c) · det of m without row c and column r.
dmat reference_adjugate(const dmat& m) {
  dmat adj;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double minor[3][3];
      int mi = 0;
      for (int i = 0; i < 4; ++i) {
        if (i == c) continue;
        int mj = 0;
        for (int j = 0; j < 4; ++j) {
          if (j == r) continue;
          minor[mi][mj++] = m[4 * i + j];
        }
        ++mi;
      }
      adj[4 * r + c] = ((r + c) % 2 ? -1 : 1) * det3(minor);
    }
  return adj;
}

double max_abs(const dmat& m) {
  double v = 0;
  for (double e : m) v = std::max(v, std::fabs(e));
  return v;
}

double inf_norm(const dmat& m) {
  double v = 0;
  for (int r = 0; r < 4; ++r)
    v = std::max(v, std::fabs(m[4 * r]) + std::fabs(m[4 * r + 1]) + std::fabs(m[4 * r + 2]) +
                        std::fabs(m[4 * r + 3]));
  return v;
}

// Rotations and mirrors are checked against references below; these have
// entries one can write down.
TEST(MatrixBuilders, ElementaryMatricesHaveTheirEntries) {
  mat4 m[5];
  for (mat4& x : m) std::fill_n(x.m, 16, 99.0f);  // every entry must be written
  quarn::matrix_set_identity(&m[0]);
  quarn::matrix_set_translate(&m[1], {1, -2, 3});
  quarn::matrix_set_translate_inv(&m[2], {1, -2, 3});
  quarn::matrix_set_scale(&m[3], {2, 3, -4});
  quarn::matrix_set_const_scale(&m[4], 0.5f);
  const std::array<float, 16> expected[] = {
      {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1},
      {1, 0, 0, 1, 0, 1, 0, -2, 0, 0, 1, 3, 0, 0, 0, 1},
      {1, 0, 0, -1, 0, 1, 0, 2, 0, 0, 1, -3, 0, 0, 0, 1},
      {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, -4, 0, 0, 0, 0, 1},
      {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1}};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(max_diff(m[i].m, expected[i], 16), 0) << i;
}

TEST(MatrixBuilders, EulerRotationIsYawAfterPitchAfterRoll) {
  std::mt19937 rng(11);
  for (int i = 0; i < 3000; ++i) {
    vec3 ypr = random_vec3(rng, -180, 180);
    if (i % 4 == 1) ypr.x = 0;  // exercise the left-out factors
    if (i % 4 == 2) ypr.y = 0;
    if (i % 4 == 3) ypr.z = 0, ypr.x = 0;
    const dmat expected = euler_reference(ypr);
    mat4 m, inv;
    quarn::matrix_set_rotate(&m, ypr);
    quarn::matrix_set_rotate_inv(&inv, ypr);
    ASSERT_LE(max_diff(m.m, expected, 16), 16 * EPS) << ypr.x << " " << ypr.y << " " << ypr.z;
    ASSERT_TRUE(is_transpose(inv, m));
    // The same rotation through its quaternion.
    quat_t q;
    q.set_ypr(ypr);
    quarn::matrix_set_quat(&m, q);
    ASSERT_LE(max_diff(m.m, expected, 16), 16 * EPS);
  }
}

TEST(MatrixBuilders, MirrorReflectsThroughThePlane) {
  std::mt19937 rng(12);
  for (int i = 0; i < 2000; ++i) {
    const d3 n = [&] {
      d3 v = to_d(random_vec3(rng));
      return scale(v, 1 / norm(v));
    }();
    const float d = uniform(rng, -3, 3);
    const vec4 plane{float(n[0]), float(n[1]), float(n[2]), d};
    mat4 m;
    quarn::matrix_set_mirror(&m, plane);
    const d3 p = to_d(random_vec3(rng, -5, 5));
    const d3 pn{plane.x, plane.y, plane.z};
    const double s = dot(pn, p) + d;
    const d3 expected = sub(p, scale(pn, 2 * s));
    const d3 got = dpoint(to_d(m), p);
    ASSERT_LE(max_diff(got, expected, 3), 64 * EPS);
    EXPECT_EQ(m.m[12], 0.0f);
    EXPECT_EQ(m.m[15], 1.0f);
  }
}

TEST(MatrixBuilders, PairsAreInversesAndNullSkips) {
  std::mt19937 rng(13);
  struct {
    const char* name;
    void (*build)(mat4*, mat4*, const vec3&);
  } cases[] = {
      {"translate",
       [](mat4* m, mat4* i, const vec3& v) { quarn::matrix_pair_set_translate(m, i, v); }},
      {"scale",
       [](mat4* m, mat4* i, const vec3& v) {
         quarn::matrix_pair_set_scale(m, i, {v.x + 2, v.y + 2, v.z + 2});
       }},
      {"const_scale",
       [](mat4* m, mat4* i, const vec3& v) { quarn::matrix_pair_set_const_scale(m, i, v.x + 2); }},
      {"rotate",
       [](mat4* m, mat4* i, const vec3& v) {
         quarn::matrix_pair_set_rotate(m, i, {v.x * 180, v.y * 180, v.z * 180});
       }},
      {"quat",
       [](mat4* m, mat4* i, const vec3& v) {
         quat_t q;
         q.set(v, v.x * 180);
         quarn::matrix_pair_set_quat(m, i, q);
       }},
  };
  for (const auto& c : cases)
    for (int k = 0; k < 200; ++k) {
      const vec3 v = random_vec3(rng);
      mat4 m, inv;
      c.build(&m, &inv, v);
      const dmat product = dmul(to_d(m), to_d(inv));
      ASSERT_LE(max_diff(product, DIDENTITY, 16), 32 * EPS) << c.name;
      // Either pointer may be null; the other matrix is still built.
      mat4 only;
      c.build(&only, nullptr, v);
      ASSERT_EQ(0, std::memcmp(only.m, m.m, sizeof m.m)) << c.name;
      c.build(nullptr, &only, v);
      ASSERT_EQ(0, std::memcmp(only.m, inv.m, sizeof m.m)) << c.name;
    }
}

// The product entries of every binding and the exported product, with every
// aliasing.
TEST(MatrixProducts, ProductIsFirstOperandThenSecond) {
  std::mt19937 rng(21);
  for_each_code_path([&] {
    using product_fn = void (*)(mat4*, const mat4*, const mat4*);
    const product_fn entries[] = {
        quarn::mult_matrix_matrix_lo, quarn::mult_matrix_matrix_ro, quarn::mult_matrix_matrix_no,
        [](mat4* o, const mat4* a, const mat4* b) { quarn::mult_matrix_matrix(o, *a, *b); }};
    for (int i = 0; i < 1000; ++i) {
      // Magnitudes over a wide range; b·a in the usual sense: a acts first.
      const float s = std::ldexp(1.0f, int(rng() % 40) - 20);
      const mat4 a = random_mat4(rng, -s, s), b = random_mat4(rng, -2, 2);
      const dmat expected = dmul(to_d(b), to_d(a)), square = dmul(to_d(a), to_d(a));
      for (const auto f : entries)
        for (int alias = 0; alias < 4; ++alias) {  // out apart, out = a, out = b, out = a = b
          mat4 x = alias == 2 ? b : a;
          f(&x, alias % 2 ? &x : &a, alias >= 2 ? &x : &b);
          ASSERT_LE(max_diff(x.m, alias == 3 ? square : expected, 16),
                    64 * EPS * (alias == 3 ? s * s : s))
              << alias;
        }
    }
  });
}

TEST(MatrixProducts, ModifiersApplyBeforeOrAfter) {
  std::mt19937 rng(22);
  for (int i = 0; i < 500; ++i) {
    const mat4 base = random_mat4(rng);
    const vec3 v = random_vec3(rng, -3, 3);
    const vec3 ypr = random_vec3(rng, -180, 180);
    const vec3 s{uniform(rng, 0.5f, 2), uniform(rng, 0.5f, 2), uniform(rng, 0.5f, 2)};
    mat4 t, r, sc;
    quarn::matrix_set_translate(&t, v);
    quarn::matrix_set_rotate(&r, ypr);
    quarn::matrix_set_scale(&sc, s);
    struct {
      const char* name;
      void (*modify)(mat4*, const vec3&);
      vec3 arg;
      const mat4* x;
    } cases[] = {
        {"translate_left", quarn::matrix_translate_left, v, &t},
        {"translate_right", quarn::matrix_translate_right, v, &t},
        {"rotate_left", quarn::matrix_rotate_left, ypr, &r},
        {"rotate_right", quarn::matrix_rotate_right, ypr, &r},
        {"scale_left", quarn::matrix_scale_left, s, &sc},
        {"scale_right", quarn::matrix_scale_right, s, &sc},
    };
    for (int k = 0; k < 6; ++k) {
      mat4 m = base;
      cases[k].modify(&m, cases[k].arg);
      const bool left = k % 2 == 0;  // left: X acts first, so M·X
      const dmat expected =
          left ? dmul(to_d(base), to_d(*cases[k].x)) : dmul(to_d(*cases[k].x), to_d(base));
      ASSERT_LE(max_diff(m.m, expected, 16), 64 * EPS) << cases[k].name;
    }
  }
}

TEST(MatrixProducts, QuaternionProductsAndHelpers) {
  std::mt19937 rng(23);
  for (int i = 0; i < 500; ++i) {
    const quat_t q = random_unit_quat(rng);
    const mat4 m = random_mat4(rng);
    const dmat rq = quat_rotation_reference(to_d(q));
    mat4 qm, mq;
    quarn::mult_quat_matrix(&qm, q, m);  // R(q) first, then m
    quarn::mult_matrix_quat(&mq, m, q);  // m first, then R(q)
    ASSERT_LE(max_diff(qm.m, dmul(to_d(m), rq), 16), 64 * EPS);
    ASSERT_LE(max_diff(mq.m, dmul(rq, to_d(m)), 16), 64 * EPS);

    mat4 acc = m;
    const mat4 add = random_mat4(rng);
    const float f = uniform(rng, -2, 2);
    quarn::matrix_scaled_add(&acc, add, f);
    for (int k = 0; k < 16; ++k) ASSERT_FLOAT_EQ(acc.m[k], m.m[k] + f * add.m[k]);

    mat4 t = m, t2;
    quarn::matrix_transpose(&t);
    quarn::matrix_transpose2(&t2, &m);
    ASSERT_TRUE(is_transpose(t, m) && is_transpose(t2, m));
    quarn::matrix_transpose2(&t2, &t2);  // even in place
    ASSERT_EQ(0, std::memcmp(t2.m, m.m, sizeof m.m));
  }
}

TEST(MatrixProducts, ImageOfTheOrigin) {
  struct {
    float m15;
    vec3 expected;
  } cases[] = {
      {1.0f, {2, 4, -6}},  // affine: as is
      {0.0f, {2, 4, -6}},  // no finite image: left undivided
      {2.0f, {1, 2, -3}},  // divided
      {-0.5f, {-4, -8, 12}},
  };
  for (const auto& c : cases) {
    mat4 m;
    quarn::matrix_set_translate(&m, {2, 4, -6});
    m.m[15] = c.m15;
    vec3 out;
    quarn::mult_zero_matrix(&out, m);
    EXPECT_EQ(out, c.expected) << c.m15;
  }
}

TEST(MatrixProducts, ThreeByThreeBlockActsAfterTheMatrix) {
  std::mt19937 rng(24);
  for (int i = 0; i < 500; ++i) {
    const mat4 m = random_mat4(rng);
    float block[9];
    for (float& b : block) b = uniform(rng, -1, 1);
    dmat b4{};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) b4[4 * r + c] = block[3 * r + c];
    b4[15] = 1;
    mat4 out = m;
    quarn::mult_matrix_matrix_3x3(&out, out, block);
    ASSERT_LE(max_diff(out.m, dmul(b4, to_d(m)), 16), 16 * EPS);
  }
  qxtest::capture_sink_t sink;
  mat4 out = random_mat4(rng), before = out;
  quarn::mult_matrix_matrix_3x3(&out, random_mat4(rng), nullptr);
  EXPECT_EQ(0, std::memcmp(out.m, before.m, sizeof out.m));
  ASSERT_EQ(sink.errors().size(), 1u);
  EXPECT_EQ(sink.errors()[0], "[math] mult_matrix_matrix_3x3: no 3x3 block given");
}

TEST(MatrixInverse, AgreesWithGaussJordanOnRandomMatrices) {
  std::mt19937 rng(31);
  for_each_code_path([&] {
    for (int i = 0; i < 3000; ++i) {
      mat4 m = random_mat4(rng, -1, 1);
      if (i % 2 == 0)
        for (int k = 0; k < 4; ++k) m.m[5 * k] += 3.0f;  // well conditioned half of the time
      dmat ref;
      ASSERT_TRUE(reference_inverse(to_d(m), &ref));
      const double cond = inf_norm(to_d(m)) * inf_norm(ref);
      if (cond > 1e4) continue;  // float cannot promise much past this
      mat4 inv;
      ASSERT_TRUE(quarn::matrix_get_inverse(&inv, &m));
      ASSERT_LE(max_diff(inv.m, ref, 16), 16 * EPS * cond * max_abs(ref)) << "cond " << cond;
      mat4 self = m;  // out may be the input
      ASSERT_TRUE(quarn::matrix_get_inverse(&self, &self));
      ASSERT_EQ(0, std::memcmp(self.m, inv.m, sizeof inv.m));
    }
  });
}

TEST(MatrixInverse, SingularMatricesGiveFalseAndTheAdjugate) {
  std::mt19937 rng(32);
  for_each_code_path([&] {
    for (int zero_row = 0; zero_row < 4; ++zero_row) {
      mat4 m = random_mat4(rng);
      for (int c = 0; c < 4; ++c) m.m[4 * zero_row + c] = 0;
      mat4 out;
      EXPECT_FALSE(quarn::matrix_get_inverse(&out, &m)) << zero_row;
    }
    // Rank 3 with small integers, so the float determinant is exactly 0 and
    // the adjugate is exact too; row 3 = row 0 + row 1.
    std::uniform_int_distribution<int> small(-4, 4);
    for (int i = 0; i < 500; ++i) {
      mat4 m;
      for (int k = 0; k < 12; ++k) m.m[k] = float(small(rng));
      for (int c = 0; c < 4; ++c) m.m[12 + c] = m.m[c] + m.m[4 + c];
      mat4 out;
      ASSERT_FALSE(quarn::matrix_get_inverse(&out, &m));
      ASSERT_EQ(max_diff(out.m, reference_adjugate(to_d(m)), 16), 0.0);
    }
  });
}

}  // namespace
