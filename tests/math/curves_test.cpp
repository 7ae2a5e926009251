// Curve segments against independent double-precision evaluations: the
// Catmull-Rom basis matrix for cr_curve, de Casteljau's construction for
// smooth_curve (whose last two points also give the tangent's direction).
#include "qxcore/math/curves.h"

#include "tests/math/math_test_util.h"

namespace {

using namespace mtest;

d3 lerp(const d3& a, const d3& b, double t) { return add(a, scale(sub(b, a), t)); }
d3 unit(const d3& v) { return scale(v, 1 / norm(v)); }

TEST(Curves, AgainstIndependentEvaluations) {
  static const double M[4][4] = {{0, 2, 0, 0}, {-1, 0, 1, 0}, {2, -5, 4, -1}, {-1, 3, -3, 1}};
  std::mt19937 rng(5);
  for (int trial = 0; trial < 200; ++trial) {
    const vec3 p[4] = {random_vec3(rng, -10, 10), random_vec3(rng, -10, 10),
                       random_vec3(rng, -10, 10), random_vec3(rng, -10, 10)};
    for (float t : {0.0f, 0.25f, 0.5f, 0.9f, 1.0f, -0.5f, 1.5f}) {  // ends, inside, beyond
      // Catmull-Rom: 0.5·[1 t t² t³]·M·p and its derivative.
      const double powers[4] = {1, t, t * t, t * t * t}, slopes[4] = {0, 1, 2.0 * t, 3.0 * t * t};
      d3 want{0, 0, 0}, slope{0, 0, 0};
      for (int row = 0; row < 4; ++row)
        for (int i = 0; i < 4; ++i) {
          want = add(want, scale(to_d(p[i]), 0.5 * powers[row] * M[row][i]));
          slope = add(slope, scale(to_d(p[i]), 0.5 * slopes[row] * M[row][i]));
        }
      vec3 point, tangent;
      quarn::cr_curve(p[0], p[1], p[2], p[3], t, &point, &tangent);
      ASSERT_LE(max_diff(point, want, 3), 1e-4) << t;
      ASSERT_LE(max_diff(tangent, unit(slope), 3), 1e-4) << t;

      // Bézier with a = p0, ha = p1, b = p2, hb = p3, by repeated interpolation.
      const d3 c[4] = {to_d(p[0]), add(to_d(p[0]), to_d(p[1])), sub(to_d(p[2]), to_d(p[3])),
                       to_d(p[2])};
      const d3 ab = lerp(lerp(c[0], c[1], t), lerp(c[1], c[2], t), t);
      const d3 bc = lerp(lerp(c[1], c[2], t), lerp(c[2], c[3], t), t);
      quarn::smooth_curve(p[0], p[1], p[2], p[3], t, &point, &tangent);
      ASSERT_LE(max_diff(point, lerp(ab, bc, t), 3), 1e-4) << t;
      ASSERT_LE(max_diff(tangent, unit(sub(bc, ab)), 3), 1e-4) << t;
    }
  }
}

// The ends (t = 0 and 1) are among the evaluations above.
TEST(Curves, OptionalOutputs) {
  const vec3 p0{-3, 0, 1}, p1{0, 0, 0}, p2{4, 2, 0}, p3{5, 9, -2};
  vec3 point, tangent;
  quarn::cr_curve(p0, p1, p2, p3, 1, &point);  // no tangent asked for
  EXPECT_EQ(point, p2);
  // Only the tangent; a curve that stands still has no direction.
  quarn::cr_curve(p1, p1, p1, p1, 0.5f, nullptr, &tangent);
  EXPECT_TRUE(std::isnan(tangent.x));
}

}  // namespace
