// Geometric queries: rotations, angles, helpers, directions, planes, side
// tests, edges against planes, lines and distances, against double-precision
// references or hand-worked tables.
#include "qxcore/math/angles.h"
#include "qxcore/math/directions.h"
#include "qxcore/math/edge_plane.h"
#include "qxcore/math/lines.h"
#include "qxcore/math/plane_equations.h"
#include "qxcore/math/plane_sides.h"
#include "qxcore/math/scalar_helpers.h"
#include "qxcore/math/vector_rotation.h"
#include "tests/math/math_test_util.h"

namespace {

using namespace mtest;

// Each rotation in its out-pointer form (by Euler angles or by quaternion)
// and its value form.
#define OUT_FORM(fn, angles)                            \
  [](const vec3& v, const vec3& ypr, const quat_t& q) { \
    vec3 o;                                             \
    quarn::fn(&o, v, angles);                           \
    return o;                                           \
  }
#define VALUE_FORM(fn) [](const vec3& v, const vec3&, const quat_t& q) { return quarn::fn(v, q); }

TEST(Queries, VectorRotations) {
  using rotate_fn = vec3 (*)(const vec3&, const vec3&, const quat_t&);
  struct {
    const char* name;
    rotate_fn f;
    bool euler, inverse;
  } fns[] = {
      {"normal_rotate ypr", OUT_FORM(normal_rotate, ypr), true, false},
      {"point_rotate ypr", OUT_FORM(point_rotate, ypr), true, false},
      {"normal_rotate_inv ypr", OUT_FORM(normal_rotate_inv, ypr), true, true},
      {"point_rotate_inv ypr", OUT_FORM(point_rotate_inv, ypr), true, true},
      {"normal_rotate q", OUT_FORM(normal_rotate, q), false, false},
      {"point_rotate q", OUT_FORM(point_rotate, q), false, false},
      {"normal_rotate_inv q", OUT_FORM(normal_rotate_inv, q), false, true},
      {"point_rotate_inv q", OUT_FORM(point_rotate_inv, q), false, true},
      {"normal_rotate value", VALUE_FORM(normal_rotate), false, false},
      {"point_rotate value", VALUE_FORM(point_rotate), false, false},
      {"normal_rotate_inv value", VALUE_FORM(normal_rotate_inv), false, true},
      {"point_rotate_inv value", VALUE_FORM(point_rotate_inv), false, true},
  };
  std::mt19937 rng(101);
  for (int i = 0; i < 2000; ++i) {
    const vec3 v = random_vec3(rng, -5, 5), ypr = random_vec3(rng, -180, 180);
    const quat_t q = random_unit_quat(rng);
    for (const auto& f : fns) {
      dmat r = f.euler ? euler_reference(ypr) : quat_rotation_reference(to_d(q));
      if (f.inverse) r = dtranspose(r);
      ASSERT_LE(max_diff(f.f(v, ypr, q), ddir(r, to_d(v)), 3), 1e-5) << f.name;
    }
  }
}

TEST(Queries, AnglesBetweenVectors) {
  std::mt19937 rng(102);
  for (int i = 0; i < 5000; ++i) {
    const vec3 a = random_vec3(rng, -3, 3), b = random_vec3(rng, -3, 3);
    const double c = dot(to_d(a), to_d(b)) / (norm(to_d(a)) * norm(to_d(b)));
    ASSERT_NEAR(quarn::vec3_cos(a, b), c, 4 * EPS);
    ASSERT_NEAR(quarn::vec3_cos_rgh(a, b), c, 4 * EPS);
    ASSERT_NEAR(quarn::vec3_angle(a, b), std::acos(c), 1e-3);
    ASSERT_NEAR(quarn::vec4_angle(a, b), std::acos(c), 1e-3);
    // From sine and cosine of a known angle in (−180, 180].
    const double deg = uniform(rng, -179.9f, 180);
    ASSERT_NEAR(
        quarn::determine_angle(float(std::sin(deg * PI / 180)), float(std::cos(deg * PI / 180))),
        deg, 0.05);
  }
  const vec3 zero{0, 0, 0}, x{1, 0, 0};
  EXPECT_EQ(quarn::vec3_cos(zero, x), 1.0f);
  EXPECT_EQ(quarn::vec4_angle(zero, x), 0.0f);
  EXPECT_EQ(quarn::vec3_cos(x, vec3{-2, 0, 0}), -1.0f);
  EXPECT_EQ(quarn::vec4_angle(x, vec3{-2, 0, 0}), 3.1415927f);
  EXPECT_NEAR(quarn::cos_2_sin(0.6), 0.8, 1e-15);
  EXPECT_EQ(quarn::sin_2_cos(1.5), 0.0);
  EXPECT_EQ(quarn::determine_angle(2, 0), 90.0f * (3.1415927f / 2) / 1.5707964f);  // clamped sine 1
}

TEST(Queries, ScalarHelpers) {
  for (unsigned int n = 1; n < 5000; ++n) {
    unsigned int bits = 0;
    while ((1u << bits) < n) ++bits;  // values below n need `bits` bits
    ASSERT_EQ(quarn::bit_size(n), bits) << n;
    unsigned int set = 0;
    for (unsigned int v = n * 2654435761u; v != 0; v >>= 1) set += v & 1;
    ASSERT_EQ(quarn::bit_count(n * 2654435761u), set);
  }
  EXPECT_EQ(quarn::bit_count(0), 0u);
  struct {
    float v;
    int digits;
    float expected;
  } rounds[] = {{2.567f, 2, 2.56f},
                {-2.567f, 2, -2.56f},
                {1234.5f, -2, 1200},
                {0.29f, 2, 0.28f},  // 0.29f is 0.2899999…
                {7.9f, 0, 7}};
  for (const auto& r : rounds) EXPECT_FLOAT_EQ(quarn::round(r.v, r.digits), r.expected) << r.v;
  EXPECT_EQ(quarn::lerp(2, 6, 0.25f), 3.0f);
  EXPECT_EQ(quarn::lerp_smooth(2, 6, 0.5f), 4.0f);
  EXPECT_EQ(quarn::lerp_smooth(2, 6, 0.25f), 2 + 4 * 0.15625f);  // 3t² − 2t³ = 0.15625
  vec3 v{-1, std::nanf(""), 2};
  quarn::vector_positive(&v);
  EXPECT_EQ(v, (vec3{0, 0, 2}));
}

TEST(Queries, DirectionConversions) {
  // Headings the round trip below cannot tell apart: 360 rather than 0
  // straight ahead; zero and the pole.
  struct {
    vec3 dir, ypr;
  } cases[] = {{{0, 0, -1}, {0, 360, 0}}, {{0, 0, 0}, {0, 0, 0}}, {{0, 2, 0}, {90, 0, 0}}};
  for (const auto& c : cases) {
    vec3 out;
    quarn::cartes_2_ypr(&out, c.dir);
    EXPECT_LE(max_diff(out, c.ypr, 3), 1e-4) << c.dir.x << " " << c.dir.y << " " << c.dir.z;
  }
  std::mt19937 rng(103);
  for (int i = 0; i < 3000; ++i) {
    const vec3 d = random_vec3(rng);
    vec3 ypr, back;
    quarn::cartes_2_ypr(&ypr, d);
    quarn::ypr_2_cartes(&back, ypr);
    const double tol = std::fabs(d.z) < 0.001f ? 1.5e-3 : 1e-5;  // sideways headings snap
    ASSERT_LE(max_diff(back, scale(to_d(d), 1 / norm(to_d(d))), 3), tol);
    const vec3 angles = random_vec3(rng, -180, 180);
    quarn::ypr_2_cartes(&back, angles);
    ASSERT_LE(max_diff(back, ddir(euler_reference(angles), {0, 0, -1}), 3), 1e-5);
  }
  vec3 s;
  quarn::cartes_2_spheric(&s, {0, 3, 0});  // x ≤ 0: the azimuth is the number 1.0
  EXPECT_LE(max_diff(s, d3{PI / 2, 1, 3}, 3), 1e-6);
  quarn::cartes_2_spheric(&s, {1, 1, 0});
  EXPECT_LE(max_diff(s, d3{PI / 4, PI / 4, std::sqrt(2.0)}, 3), 1e-6);
  quarn::spheric_2_cartes(&s, {float(PI / 2), 0, 5});
  EXPECT_LE(max_diff(s, d3{1, 0, 0}, 3), 1e-6);

  mat4 m;
  quarn::axis_to_matrix(&m, {1, 2, 3}, {4, 5, 6}, {7, 8, 9});
  EXPECT_LE(
      max_diff(m.m, std::array<float, 16>{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1}, 16), 0);

  struct {
    vec3 v;
    float eps;
    bool aligned;
    vec3 out;
  } axes[] = {{{0.001f, -3, 0}, 0.01f, true, {0, -1, 0}},
              {{0.5f, 3, 0}, 0.01f, false, {}},
              {{0, 0, 0}, 0.01f, false, {}},
              {{0.01f, 0, 2}, 0.01f, false, {}},  // 0.01 is neither above nor below eps
              {{0.01f, 0, 2}, 0.02f, true, {0, 0, 1}}};
  for (const auto& a : axes) {
    vec3 out{9, 9, 9};
    EXPECT_EQ(quarn::get_axis_aligned(a.v, &out, a.eps), a.aligned);
    EXPECT_EQ(out, (a.aligned ? a.out : vec3{9, 9, 9}));
  }
  struct {
    vec3 v;
    int i0, i1, i2;
  } importance[] = {{{1, -3, 2}, 1, 2, 0},
                    {{2, 2, 2}, 0, 1, 2},
                    {{1, 2, 2}, 1, 2, 0},
                    {{0, 1, -1}, 1, 2, 0},
                    {{-5, 1, 1}, 0, 1, 2}};
  for (const auto& c : importance) {
    int i0, i1, i2;
    quarn::axis_importance(c.v, &i0, &i1, &i2);
    EXPECT_EQ((std::array<int, 3>{i0, i1, i2}), (std::array<int, 3>{c.i0, c.i1, c.i2}));
  }
}

TEST(Queries, PlaneEquations) {
  std::mt19937 rng(104);
  for (int i = 0; i < 3000; ++i) {
    const vec3 p0 = random_vec3(rng, -5, 5), p1 = random_vec3(rng, -5, 5),
               p2 = random_vec3(rng, -5, 5);
    const d3 n = cross(sub(to_d(p0), to_d(p1)), sub(to_d(p0), to_d(p2)));
    vec4 pl;
    vec3 unit;
    quarn::points_compute_normal(p0, p1, p2, &pl);
    quarn::points_compute_normal(p0, p1, p2, &unit);
    ASSERT_LE(max_diff(&pl.x, n, 3), 1e-4);
    ASSERT_NEAR(pl.w, -dot(n, to_d(p0)), 1e-3);
    ASSERT_LE(max_diff(unit, scale(n, 1 / norm(n)), 3), 1e-5);
    ASSERT_TRUE(quarn::points_compute_equation(p0, p1, p2, &pl, 1e-6f));
    // A unit plane through all three points, oriented by (p1 − p0) × (p2 − p0) = n.
    for (const vec3& p : {p0, p1, p2})
      ASSERT_NEAR(pl.x * p.x + pl.y * p.y + pl.z * p.z + pl.w, 0, 1e-4);
    ASSERT_LE(max_diff(&pl.x, scale(n, 1 / norm(n)), 3), 1e-5);

    // Moved and transformed planes keep moved and transformed points on them.
    const vec3 t = random_vec3(rng, -5, 5);
    vec4 moved;
    quarn::translate_plane(&moved, pl, t);
    const vec3 q = p1 + t;
    ASSERT_NEAR(moved.x * q.x + moved.y * q.y + moved.z * q.z + moved.w, 0, 1e-4);
    mat4 m;
    random_unit_quat(rng).get_matrix(&m);
    m.m[3] = t.x, m.m[7] = t.y, m.m[11] = t.z;
    vec4 tp = pl;
    quarn::transform_plane(&tp, m);
    const d3 mp = dpoint(to_d(m), to_d(p2));
    ASSERT_NEAR(tp.x * mp[0] + tp.y * mp[1] + tp.z * mp[2] + tp.w, 0, 1e-4);
    vec3 near;
    quarn::plane_point(&near, tp);
    ASSERT_NEAR(tp.x * near.x + tp.y * near.y + tp.z * near.z + tp.w, 0, 1e-4);
    ASSERT_LE(norm(cross(to_d(near), {tp.x, tp.y, tp.z})), 1e-4);  // along the normal

    // The foot of a point, and its distance.
    const vec3 p = random_vec3(rng, -5, 5);
    vec3 foot;
    float dist = -1;
    ASSERT_TRUE(quarn::get_plane_normal_point(p, pl, &foot, &dist));
    const double s = pl.x * p.x + pl.y * p.y + pl.z * p.z + pl.w;
    ASSERT_LE(max_diff(foot, sub(to_d(p), scale({pl.x, pl.y, pl.z}, s)), 3), 1e-4);
    ASSERT_NEAR(dist, std::fabs(s), 1e-4);
    ASSERT_NEAR(quarn::get_plane_dist(p, pl), std::fabs(s), 1e-4);
  }
  vec4 out{7, 7, 7, 7};
  EXPECT_FALSE(quarn::construct_equation({1, 2, 3}, {0, 0, 0}, &out));
  EXPECT_TRUE(quarn::construct_equation({1, 2, 3}, {0, 2, 0}, &out));
  EXPECT_EQ(out, (vec4{0, 2, 0, -4}));
  EXPECT_FALSE(quarn::compute_equation({0, 0, 0}, {1, 0, 0}, {2, 0, 0}, &out, 1e-6f));
  quarn::get_plane_equation({1, 1, 1}, {1, 3, 1}, {5, 5, 5}, &out);
  EXPECT_EQ(out, (vec4{0, 2, 0, -10}));
  vec4 unit{0, 3, 4, 10};
  quarn::plane_normalize(&unit, unit);
  EXPECT_EQ(unit, (vec4{0, 0.6f, 0.8f, 2}));
  // The box form moves the plane y = 0 by the box's radius 2: foot at y = −2.
  // The line runs along the normal, so the foot is ahead only from below.
  vec3 foot;
  float dist;
  EXPECT_TRUE(quarn::get_plane_normal_point({0, -5, 0}, {0, 1, 0, 0}, {1, 2, 3}, &foot, &dist));
  EXPECT_EQ(foot, (vec3{0, -2, 0}));
  EXPECT_EQ(dist, 3.0f);
  EXPECT_FALSE(quarn::get_plane_normal_point({0, 5, 0}, {0, 1, 0, 0}, {1, 2, 3}, &foot, &dist));
  EXPECT_EQ(foot, (vec3{0, -2, 0}));
  EXPECT_EQ(dist, 7.0f);
}

TEST(Queries, ComparingAndIntersectingPlanes) {
  vec4 a{1, 0, 0, 1}, b{0, 1, 0, 2}, c{0, 0, 1, 3};
  quarn::reorder_equations(&a, &b, &c);
  EXPECT_EQ(a, (vec4{0, 0, 1, 3}));
  EXPECT_EQ(c, (vec4{1, 0, 0, 1}));
  vec4 same = b;
  quarn::reorder_equations(&b, &same, &same);  // all equal: nothing moves
  EXPECT_EQ(b, (vec4{0, 1, 0, 2}));

  const vec4 p{0, 1, 0, 0}, shifted{0, 1, 0, -0.001f}, flipped{0, -1, 0, 0},
      tilted{0, 0.8f, 0.6f, 0};
  struct {
    const char* what;
    bool got, expected;
  } cases[] = {
      {"identical to itself", quarn::planes_identical(p, p, 0.01f), true},
      {"identical when shifted within eps", quarn::planes_identical(p, shifted, 0.01f), true},
      {"not identical when flipped", quarn::planes_identical(p, flipped, 0.01f), false},
      {"not identical when tilted", quarn::planes_identical(p, tilted, 0.01f), false},
      {"reversed when flipped", quarn::planes_reversed_identical(p, flipped, 0.01f), true},
      {"not reversed to itself", quarn::planes_reversed_identical(p, p, 0.01f), false},
      {"touch either way",
       quarn::planes_touch(p, flipped, 0.01f) && quarn::planes_touch(p, shifted, 0.01f), true},
      {"far planes do not touch", quarn::planes_touch(p, {0, 1, 0, -1}, 0.01f), false},
  };
  for (const auto& t : cases) EXPECT_EQ(t.got, t.expected) << t.what;

  std::mt19937 rng(105);
  for (int i = 0; i < 3000; ++i) {
    vec4 pl[3];
    d3 n[3];
    for (int k = 0; k < 3; ++k) {
      const vec3 v = random_vec3(rng);
      n[k] = scale(to_d(v), 1 / norm(to_d(v)));
      pl[k] = {float(n[k][0]), float(n[k][1]), float(n[k][2]), uniform(rng, -5, 5)};
      n[k] = {pl[k].x, pl[k].y, pl[k].z};
    }
    const double det = dot(n[0], cross(n[1], n[2]));
    vec3 out;
    const bool found = quarn::plane_intersection(pl[0], pl[1], pl[2], &out, 0.05f);
    if (std::fabs(std::fabs(det) - 0.05) < 1e-4) continue;
    ASSERT_EQ(found, std::fabs(det) >= 0.05);
    if (!found) continue;
    // Every plane holds the point, up to the two-decimal snap near whole numbers.
    for (int k = 0; k < 3; ++k)
      ASSERT_NEAR(dot(n[k], to_d(out)) + pl[k].w, 0, 2e-4 / std::fabs(det) + 0.02);
    const d3 x =
        scale(add(add(scale(cross(n[1], n[2]), -pl[0].w), scale(cross(n[2], n[0]), -pl[1].w)),
                  scale(cross(n[0], n[1]), -pl[2].w)),
              1 / det);
    for (int k = 0; k < 3; ++k) {
      const bool snapped = std::fabs(std::floor(x[k] + 0.5) - x[k]) < 0.0101;
      if (!snapped) {
        ASSERT_NEAR(out[k], x[k], 2e-4 / std::fabs(det));
      }
    }
  }
  // Snapping: near whole numbers come out on two decimals, in every component.
  vec3 out;
  ASSERT_TRUE(quarn::plane_intersection({1, 0, 0, -2.996f}, {0, 1, 0, -3.004f}, {0, 0, 1, 0.4f},
                                        &out, 0.1f));
  EXPECT_EQ(out, (vec3{3, 3, -0.4f}));
  ASSERT_TRUE(
      quarn::plane_intersection({1, 0, 0, -2.992f}, {0, 1, 0, -1.02f}, {0, 0, 1, 1}, &out, 0.1f));
  EXPECT_EQ(out, (vec3{2.99f, 1.02f, -1}));  // 2.992 is near 3 but rounds to 2.99; 1.02 is not near
}

TEST(Queries, SideTests) {
  const vec4 plane{0, 1, 0, -1};  // y = 1
  const vec3 e{1, 2, 3};          // radius 2 towards this plane
  struct {
    const char* what;
    vec3 p;
    bool left, right, box_left, box_right, on, box_on;
    int side, box_side;
  } cases[] = {
      {"on the plane", {5, 1, 5}, true, true, true, false, true, true, 0, -1},
      {"above, box reaching down", {0, 3, 0}, false, true, true, true, false, true, 1, 0},
      {"far above", {0, 10, 0}, false, true, false, true, false, false, 1, 1},
      {"below", {0, -4, 0}, true, false, true, false, false, false, -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quarn::point_left(c.p, plane), c.left) << c.what;
    EXPECT_EQ(quarn::point_right(c.p, plane), c.right) << c.what;
    EXPECT_EQ(quarn::point_left(vec4{0, 1, 0, -1}, vec4{c.p.x, c.p.y, c.p.z, 1}), c.left) << c.what;
    EXPECT_EQ(quarn::point_right(vec4{0, 1, 0, -1}, vec4{c.p.x, c.p.y, c.p.z, 1}), c.right)
        << c.what;
    EXPECT_EQ(quarn::point_left(c.p, plane, e), c.box_left) << c.what;
    EXPECT_EQ(quarn::point_right(c.p, plane, e), c.box_right) << c.what;
    EXPECT_EQ(quarn::point_on_plane(c.p, plane, 0.001f), c.on) << c.what;
    EXPECT_EQ(quarn::point_on_plane(c.p, plane, e, 0.001f), c.box_on) << c.what;
    EXPECT_EQ(quarn::point_side(c.p, plane), c.side) << c.what;
    EXPECT_EQ(quarn::point_side(c.p, plane, 0.001f), c.side) << c.what;
    EXPECT_EQ(quarn::point_side(c.p, plane, e), c.box_side) << c.what;
  }
  // The eps forms shift the threshold by eps in the stated direction.
  const vec3 just_above{0, 1.05f, 0};
  EXPECT_FALSE(quarn::point_left(just_above, plane, 0.01f));
  EXPECT_TRUE(quarn::point_left(just_above, plane, 0.1f));
  EXPECT_TRUE(quarn::point_right(vec3{0, 0.95f, 0}, plane, 0.1f));
  // At y = −0.5: s = −1.5, s + r = 0.5. At y = −1.5: s + r = −0.5.
  EXPECT_TRUE(quarn::point_left_inv({0, -0.5f, 0}, plane, e, 0.6f));  // −0.1 ≤ 0
  EXPECT_FALSE(quarn::point_left_inv({0, -0.5f, 0}, plane, e, 0.4f));
  EXPECT_TRUE(quarn::point_left_inv({0, -0.5f, 0}, plane, 2.0f, 0.6f));  // cube: k·|b| = 2
  EXPECT_TRUE(quarn::point_right_inv({0, -1.5f, 0}, plane, e, 0.6f));    // 0.1 ≥ 0
  EXPECT_FALSE(quarn::point_right_inv({0, -1.5f, 0}, plane, e, 0.4f));
  EXPECT_EQ(quarn::point_side({0, 3.0005f, 0}, plane, e, 0.001f), 0);
}

TEST(Queries, EdgesAgainstPlanes) {
  const vec4 plane{0, 0, 1, -2};  // z = 2
  vec3 out{9, 9, 9};
  EXPECT_EQ(quarn::compute_edge_plane_intersection({1, 1, 0}, {1, 1, 1}, plane, &out, 1e-6f), 1);
  EXPECT_EQ(out, (vec3{1, 1, 2}));  // ahead, past b
  EXPECT_EQ(quarn::compute_edge_plane_intersection({1, 1, 3}, {1, 1, 4}, plane, &out, 1e-6f), -1);
  EXPECT_EQ(out, (vec3{1, 1, 2}));  // behind a, still written
  out = {9, 9, 9};
  EXPECT_EQ(quarn::compute_edge_plane_intersection({0, 0, 0}, {1, 0, 0}, plane, &out, 1e-6f), 0);
  EXPECT_EQ(out, (vec3{9, 9, 9}));
  EXPECT_EQ(quarn::compute_edge_plane_intersection({5, 5, 5}, {5, 5, 5.00001f}, plane, &out, 1e-6f),
            1);
  EXPECT_EQ(out, (vec3{5, 5, 5}));  // shorter than 1e-4: a itself
  // Box of half-height 0.5: the plane moves to z = 1.5.
  EXPECT_TRUE(quarn::compute_edge_plane_intersection({0, 0, 0}, {0, 0, 1}, plane, &out,
                                                     {3, 3, 0.5f}, 1e-6f));
  EXPECT_EQ(out, (vec3{0, 0, 1.5f}));
  EXPECT_EQ(quarn::compute_edge_intersection_coef({0, 0, 0}, {0, 0, 4}, plane, 0), 0.5f);
  EXPECT_EQ(quarn::compute_edge_intersection_coef({0, 0, 0}, {4, 0, 0}, plane, 0), 0.0f);

  struct {
    vec3 a, b;
    float eps;
    bool hit;
    vec3 out;
  } limited[] = {
      {{0, 0, 0}, {0, 0, 4}, 0, true, {0, 0, 2}},
      {{0, 0, 0}, {0, 0, 2}, 0, true, {0, 0, 2}},        // exactly at b: the limit counts equality
      {{0, 0, 2}, {0, 0, 3}, 0, true, {0, 0, 2}},        // exactly at a
      {{0, 0, 0}, {0, 0, 1}, 0, false, {0, 0, 2}},       // beyond b
      {{0, 0, 0}, {0, 0, 1.9f}, 0.2f, true, {0, 0, 2}},  // beyond b within eps
      {{0, 0, 3}, {0, 0, 4}, 0, false, {0, 0, 2}},       // behind a
      {{0, 0, 0}, {4, 0, 0}, 0, false, {4, 0, 0}},       // parallel: out = b
      {{0, 0, 0}, {0, 0, 0.0001f}, 0, false, {0, 0, 0.0001f}},
  };
  for (const auto& c : limited) {
    EXPECT_EQ(quarn::compute_limited_plane_intersection(c.a, c.b, plane, &out, c.eps), c.hit);
    EXPECT_LE(max_diff(out, c.out, 3), 1e-6);
  }
  // Box forms: the plane moved by the radius (z = 1.5) in both.
  const vec3 e{1, 1, 0.5f};
  EXPECT_TRUE(quarn::compute_limited_plane_intersection({0, 0, 0}, {0, 0, 2}, plane, &out, e, 0));
  EXPECT_EQ(out, (vec3{0, 0, 1.5f}));
  EXPECT_FALSE(quarn::compute_limited_plane_intersection({0, 0, 0}, {0, 0, 1}, plane, &out, e, 0));
  EXPECT_FALSE(quarn::compute_limited_plane_intersection({0, 0, 2}, {0, 0, 3}, plane, &out, e, 0));
  out = {9, 9, 9};
  EXPECT_FALSE(quarn::compute_limited_plane_intersection({0, 0, 0}, {1, 0, 0}, plane, &out, e, 0));
  EXPECT_EQ(out, (vec3{9, 9, 9}));
  EXPECT_TRUE(quarn::compute_limited_plane_intersection_c({0, 0, 0}, {0, 0, 1}, plane, &out, e, 0));
  EXPECT_EQ(out, (vec3{0, 0, 1.5f}));  // past b: the _c form does not limit
}

TEST(Queries, LinesSegmentsAndPoints) {
  std::mt19937 rng(106);
  for (int i = 0; i < 5000; ++i) {
    const vec3 a = random_vec3(rng, -5, 5), b = random_vec3(rng, -5, 5),
               p = random_vec3(rng, -5, 5);
    const d3 d = sub(to_d(b), to_d(a));
    const double t = dot(sub(to_d(p), to_d(a)), d) / dot(d, d);
    const d3 foot = add(to_d(a), scale(d, t));
    const d3 near = t < 0 ? to_d(a) : t > 1 ? to_d(b) : foot;
    const double line2 = dot(sub(to_d(p), foot), sub(to_d(p), foot));
    const double seg2 = dot(sub(to_d(p), near), sub(to_d(p), near));
    const double tol = 1e-4 * (1 + 25 / std::sqrt(dot(d, d)));
    vec3 out;
    ASSERT_NEAR(quarn::project_point_on_line(a, b, p, &out), t, tol);
    ASSERT_LE(max_diff(out, foot, 3), tol);
    ASSERT_NEAR(quarn::get_edge_squaredist(a, b, p), line2, tol);
    ASSERT_NEAR(quarn::get_edge_dist(a, b, p), std::sqrt(line2), tol);
    quarn::get_edge_point(a, b, p, &out);
    ASSERT_LE(max_diff(out, foot, 3), tol);
    ASSERT_NEAR(quarn::get_line_point_squaredist(a, b, p, &out), line2, tol);
    ASSERT_NEAR(quarn::point_line_distance_squared(a, b, p), line2, tol);
    ASSERT_NEAR(quarn::point_line_distance(a, b, p, &out), std::sqrt(line2), tol);
    ASSERT_LE(max_diff(out, foot, 3), tol);
    ASSERT_NEAR(quarn::point_segment_distance_squared(a, b, p), seg2, tol);
    ASSERT_NEAR(quarn::point_segment_distance(a, b, p, &out), std::sqrt(seg2), tol);
    ASSERT_LE(max_diff(out, near, 3), tol);
    // Projections of vectors.
    quarn::project_vector2vector(a, b, &out);
    const d3 ua = scale(to_d(a), 1 / norm(to_d(a)));
    ASSERT_LE(max_diff(out, scale(ua, dot(to_d(b), ua)), 3), 1e-4);
    quarn::project_vector(a, b, &out);
    ASSERT_LE(max_diff(out, sub(to_d(b), scale(ua, dot(to_d(b), ua))), 3), 1e-4);
    // Cramer's rule against substitution.
    float x, y, z;
    if (quarn::solve_formulas(a, b, p, d3_to(foot), &x, &y, &z)) {
      const d3 r = add(add(scale(to_d(a), x), scale(to_d(b), y)), scale(to_d(p), z));
      const double det = std::fabs(dot(to_d(a), cross(to_d(b), to_d(p))));
      ASSERT_LE(max_diff(r, to_d(d3_to(foot)), 3), 1e-3 * (1 + 100 / det));
    }
  }
  float x = 5, y = 5, z = 5;
  EXPECT_FALSE(quarn::solve_formulas({1, 0, 0}, {2, 0, 0}, {0, 0, 1}, {1, 1, 1}, &x, &y, &z));
  EXPECT_TRUE(x == 0 && y == 0 && z == 0);
  EXPECT_TRUE(quarn::solve_formulas({0, 0, -2}, {0, 3, 0}, {1, 0, 0}, {0, 0, 4}, &x, &y, nullptr));
  EXPECT_EQ(x, -2.0f);
  EXPECT_FALSE(std::signbit(y));  // a zero numerator gives +0, not 0/det = −0
  vec3 out;
  quarn::project_vector({0, 1, 0}, {0, -3, 0}, &out);
  EXPECT_EQ(out, (vec3{0, 0, 0}));
  quarn::project_vector({0, 1, 0}, {0, 0, 0}, &out);
  EXPECT_EQ(out, (vec3{0, 0, 0}));

  EXPECT_TRUE(quarn::compare_vpoint({1, 2, 3}, {1.009f, 2, 3}));
  EXPECT_FALSE(quarn::compare_vpoint({1, 2, 3}, {1.011f, 2, 3}));
  EXPECT_FALSE(quarn::compare_vpoint({1, 2, 3}, {1.5f, 2, 3}, 0.5f));
  EXPECT_TRUE(quarn::valid_point({-5, 5, 0}, 5));
  EXPECT_FALSE(quarn::valid_point({0, std::nanf(""), 0}, 5));
  EXPECT_TRUE(quarn::points_in_line({0, 0, 0}, {1, 1, 1}, {2, 2, 2.01f}));
  EXPECT_FALSE(quarn::points_in_line({0, 0, 0}, {1, 1, 1}, {2, 2, 2.1f}));
  EXPECT_EQ(quarn::xz_length({3, 100, 4}), 5.0f);
  EXPECT_EQ(quarn::xz_distance_squared({1, 0, 1}, {4, 9, 5}), 25.0f);
  EXPECT_EQ(quarn::get_2d_dist({1, 1, 9}, {4, 5, -9}), 5.0f);

  struct {
    float x2, y2;
    int expected;
  } on_line[] = {// |cross| = 10·|y2| against max(10, 0): off the line from |y2| = 1 on.
                 {5, 1.5f, 0}, {5, 1, 0}, {5, 0.9f, 2}, {-3, 0, 1},
                 {5, 0, 2},    {0, 0, 2}, {10, 0, 2},   {15, 0.2f, 3}};
  for (const auto& c : on_line)
    EXPECT_EQ(quarn::point_on_line_2d(0, 0, 10, 0, c.x2, c.y2), c.expected) << c.x2;
  EXPECT_EQ(quarn::point_on_line_xz({0, 7, 0}, {0, 7, 10}, {0, -3, 15}), 3);
  EXPECT_EQ(quarn::point_on_line_xy({0, 0, 7}, {0, 10, 7}, {0, -1, 0}), 1);
  EXPECT_EQ(quarn::point_on_line_zy({7, 0, 0}, {7, 0, 10}, {0, 0, 5}), 2);
}

}  // namespace
