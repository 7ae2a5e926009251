// Curve segments against independent double-precision evaluations: the
// Catmull-Rom basis matrix for cr_curve, de Casteljau's construction for
// smooth_curve (whose last two points also give the tangent's direction).
#include "qxcore/math/curves.h"

#include "tests/math/math_test_util.h"

namespace {

using namespace mtest;

d3 lerp(const d3& a, const d3& b, double t) { return add(a, scale(sub(b, a), t)); }
d3 unit(const d3& v) { return scale(v, 1 / norm(v)); }

// 0.5·[1 t t² t³]·M·[p0 p1 p2 p3] and its derivative in t.
void catmull_rom(const d3 p[4], double t, d3* point, d3* tangent) {
  static const double M[4][4] = {{0, 2, 0, 0}, {-1, 0, 1, 0}, {2, -5, 4, -1}, {-1, 3, -3, 1}};
  const double powers[4] = {1, t, t * t, t * t * t}, slopes[4] = {0, 1, 2 * t, 3 * t * t};
  *point = *tangent = {0, 0, 0};
  for (int row = 0; row < 4; ++row)
    for (int i = 0; i < 4; ++i) {
      *point = add(*point, scale(p[i], 0.5 * powers[row] * M[row][i]));
      *tangent = add(*tangent, scale(p[i], 0.5 * slopes[row] * M[row][i]));
    }
}

void de_casteljau(const d3 c[4], double t, d3* point, d3* direction) {
  const d3 a = lerp(c[0], c[1], t), b = lerp(c[1], c[2], t), e = lerp(c[2], c[3], t);
  const d3 ab = lerp(a, b, t), be = lerp(b, e, t);
  *point = lerp(ab, be, t);
  *direction = sub(be, ab);
}

TEST(Curves, CatmullRomAgainstTheBasisMatrix) {
  std::mt19937 rng(5);
  const float ts[] = {0, 0.25f, 0.5f, 0.9f, 1, -0.5f, 1.5f};  // ends, inside, extrapolated
  for (int trial = 0; trial < 200; ++trial) {
    const vec3 p[4] = {random_vec3(rng, -10, 10), random_vec3(rng, -10, 10),
                       random_vec3(rng, -10, 10), random_vec3(rng, -10, 10)};
    const d3 dp[4] = {to_d(p[0]), to_d(p[1]), to_d(p[2]), to_d(p[3])};
    for (float t : ts) {
      vec3 point, tangent;
      quarn::cr_curve(p[0], p[1], p[2], p[3], t, &point, &tangent);
      d3 want, slope;
      catmull_rom(dp, t, &want, &slope);
      ASSERT_LE(max_diff(point, want, 3), 1e-4) << t;
      ASSERT_LE(max_diff(tangent, unit(slope), 3), 1e-4) << t;
    }
  }
}

TEST(Curves, BezierAgainstDeCasteljau) {
  std::mt19937 rng(6);
  const float ts[] = {0, 0.3f, 0.5f, 1, -0.25f, 1.25f};
  for (int trial = 0; trial < 200; ++trial) {
    const vec3 a = random_vec3(rng, -10, 10), ha = random_vec3(rng, -5, 5),
               b = random_vec3(rng, -10, 10), hb = random_vec3(rng, -5, 5);
    const d3 c[4] = {to_d(a), add(to_d(a), to_d(ha)), sub(to_d(b), to_d(hb)), to_d(b)};
    for (float t : ts) {
      vec3 point, tangent;
      quarn::smooth_curve(a, ha, b, hb, t, &point, &tangent);
      d3 want, direction;
      de_casteljau(c, t, &want, &direction);
      ASSERT_LE(max_diff(point, want, 3), 1e-4) << t;
      ASSERT_LE(max_diff(tangent, unit(direction), 3), 1e-4) << t;
    }
  }
}

TEST(Curves, EndsAndOptionalOutputs) {
  const vec3 p0{-3, 0, 1}, p1{0, 0, 0}, p2{4, 2, 0}, p3{5, 9, -2};
  vec3 point;
  quarn::cr_curve(p0, p1, p2, p3, 0, &point);
  EXPECT_EQ(point, p1);
  quarn::cr_curve(p0, p1, p2, p3, 1, &point);
  EXPECT_EQ(point, p2);

  // Bézier ends: the endpoints, leaving along ha and arriving along hb.
  const vec3 a{1, 2, 3}, ha{0, 4, 0}, b{7, 2, 3}, hb{0, 0, 2};
  vec3 tangent{9, 9, 9};
  quarn::smooth_curve(a, ha, b, hb, 0, &point, &tangent);
  EXPECT_EQ(point, a);
  EXPECT_EQ(tangent, (vec3{0, 1, 0}));
  quarn::smooth_curve(a, ha, b, hb, 1, &point, &tangent);
  EXPECT_EQ(point, b);
  EXPECT_EQ(tangent, (vec3{0, 0, 1}));

  // Only the tangent; and a curve that stands still has no direction.
  quarn::cr_curve(p1, p1, p1, p1, 0.5f, nullptr, &tangent);
  EXPECT_TRUE(std::isnan(tangent.x));
}

}  // namespace
