// Triangles. triangle_triangle_intersection is checked on 100 000 random
// pairs against an independent double-precision decision (two triangles in
// different planes meet exactly when an edge of one passes through the
// other), which also reports how close each decision came to flipping; only
// pairs that come within a small band of touching may disagree.
#include <cstdio>

#include "qxcore/math/triangles.h"
#include "tests/math/math_test_util.h"

namespace {

using namespace mtest;

struct verdict_t {
  bool hit = false;
  bool near = false;  // the decision is within `band` of changing
};

// The segment p → q against the triangle (a, b, c).
verdict_t segment_through_triangle(const d3& p, const d3& q, const d3& a, const d3& b, const d3& c,
                                   double band) {
  verdict_t v;
  const d3 raw = cross(sub(b, a), sub(c, a));
  const double area2 = norm(raw);
  const d3 n = scale(raw, 1 / area2);
  const double dp = dot(n, sub(p, a)), dq = dot(n, sub(q, a));
  v.near = std::fabs(dp) < band || std::fabs(dq) < band;
  if ((dp > 0 && dq > 0) || (dp < 0 && dq < 0) || dp == dq) return v;
  const d3 h = add(p, scale(sub(q, p), dp / (dp - dq)));
  bool inside = true;
  const d3* corners[3] = {&a, &b, &c};
  for (int k = 0; k < 3; ++k) {
    const d3 e = sub(*corners[(k + 1) % 3], *corners[k]);
    const double dist = dot(cross(n, e), sub(h, *corners[k])) / norm(e);  // > 0 inside
    inside = inside && dist >= 0;
    v.near = v.near || std::fabs(dist) < band;
  }
  v.hit = inside;
  return v;
}

verdict_t reference_overlap(const std::array<vec3, 6>& t, double band) {
  verdict_t v;
  for (int side = 0; side < 2; ++side) {
    const vec3* e = &t[side * 3];
    const vec3* o = &t[(1 - side) * 3];
    // The library snaps unnormalised distances below 1e-6 to the plane; widen
    // the band for small triangles accordingly.
    const double area2 = norm(cross(sub(to_d(o[1]), to_d(o[0])), sub(to_d(o[2]), to_d(o[0]))));
    const double b = std::max(band, 4e-6 / area2);
    for (int k = 0; k < 3; ++k) {
      const verdict_t s = segment_through_triangle(to_d(e[k]), to_d(e[(k + 1) % 3]), to_d(o[0]),
                                                   to_d(o[1]), to_d(o[2]), b);
      v.hit = v.hit || s.hit;
      v.near = v.near || s.near;
    }
  }
  return v;
}

bool library_overlap(const std::array<vec3, 6>& t) {
  return quarn::triangle_triangle_intersection(t[0], t[1], t[2], t[3], t[4], t[5]);
}

TEST(Triangles, TriangleOverlapAgreesWithEdgeCrossings) {
  std::mt19937 rng(111);
  int hits = 0, near = 0, disagreements = 0;
  for (int i = 0; i < 100000; ++i) {
    std::array<vec3, 6> t;
    for (vec3& p : t) p = random_vec3(rng, 0, 1);
    if (i % 4 == 0)  // small triangles near a random point of the other
      for (int k = 3; k < 6; ++k) t[k] = t[0] + random_vec3(rng, -0.2f, 0.2f);
    const verdict_t ref = reference_overlap(t, 1e-5);
    // Both orders of the triangles, and rotated corner orders, must agree.
    const std::array<vec3, 6> swapped{t[3], t[4], t[5], t[0], t[1], t[2]};
    const std::array<vec3, 6> rotated{t[1], t[2], t[0], t[5], t[3], t[4]};
    const bool got = library_overlap(t);
    hits += ref.hit;
    if (ref.near) {
      ++near;
      continue;
    }
    if (got != ref.hit || library_overlap(swapped) != ref.hit ||
        library_overlap(rotated) != ref.hit) {
      ++disagreements;
      ADD_FAILURE() << "pair " << i << ": reference " << ref.hit << ", library " << got;
      if (disagreements > 5) break;
    }
  }
  EXPECT_EQ(disagreements, 0);
  std::printf("triangle pairs: %d intersecting, %d within the touching band\n", hits, near);
  EXPECT_GT(hits, 10000);  // both answers well represented
  EXPECT_LT(near, 1000);   // and the excluded band small
}

TEST(Triangles, ConstructedTouchingAndCoplanarPairs) {
  const vec3 a0{0, 0, 0}, a1{4, 0, 0}, a2{0, 4, 0};  // in z = 0
  struct {
    const char* what;
    vec3 b0, b1, b2;
    bool expected;
  } cases[] = {
      {"shared corner", {0, 0, 0}, {-1, -1, 3}, {-2, 1, 3}, true},
      {"corner on the face", {1, 1, 0}, {1, 1, 3}, {2, 1, 3}, true},
      {"edge lying in the face", {1, 1, 0}, {2, 1, 0}, {1, 1, 3}, true},
      {"corner just above the face", {1, 1, 0.001f}, {1, 1, 3}, {2, 1, 3}, false},
      {"crossing the edge line outside", {5, 1, -1}, {5, 1, 1}, {6, 1, 0}, false},
      {"edges crossing at a point", {2, -1, 0}, {2, 1, 0}, {2, 0, 3}, true},
      {"coplanar overlapping", {1, 1, 0}, {5, 1, 0}, {1, 5, 0}, true},
      {"coplanar around", {-1, -1, 0}, {10, -1, 0}, {-1, 10, 0}, true},
      {"coplanar touching edges", {4, 0, 0}, {0, 4, 0}, {4, 4, 0}, true},
      {"coplanar apart", {3, 3, 0}, {5, 3, 0}, {3, 5, 0}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quarn::triangle_triangle_intersection(a0, a1, a2, c.b0, c.b1, c.b2), c.expected)
        << c.what;
    EXPECT_EQ(quarn::triangle_triangle_intersection(c.b0, c.b1, c.b2, a0, a1, a2), c.expected)
        << c.what;
  }
}

TEST(Triangles, PointsInsideTrianglesAndSeparatedBoxes) {
  std::mt19937 rng(112);
  for (int i = 0; i < 20000; ++i) {
    const vec3 a = random_vec3(rng), b = random_vec3(rng), c = random_vec3(rng),
               p = random_vec3(rng);
    const int ci = int(rng() % 3), cj = (ci + 1 + int(rng() % 2)) % 3;
    // p − a = v(b − a) + u(c − a) on (ci, cj), by Cramer in double.
    const double bi = b[ci] - a[ci], bj = b[cj] - a[cj], c_i = c[ci] - a[ci], c_j = c[cj] - a[cj];
    const double pi = p[ci] - a[ci], pj = p[cj] - a[cj];
    const double det = bi * c_j - c_i * bj;
    if (std::fabs(det) < 1e-3 || std::fabs(bi) < 0.05)
      continue;  // the formula divides by b_i − a_i
    const double v = (pi * c_j - c_i * pj) / det, u = (bi * pj - pi * bj) / det;
    float fu, fv;
    const bool inside = quarn::point_inside_triangle(p, a, b, c, ci, cj, &fu, &fv);
    const double tol = 1e-4 / std::fabs(det);
    ASSERT_NEAR(fu, u, tol);
    ASSERT_NEAR(fv, v, tol);
    const double margin = std::min({u, v, 1 - u, 1 - u - v});
    if (std::fabs(margin) > tol) {
      ASSERT_EQ(inside, margin > 0) << i;
    }
  }
  float u = 7, v = 7;
  EXPECT_FALSE(
      quarn::point_inside_triangle({0, 0, 0}, {0, 0, 0}, {1, 1, 0}, {2, 2, 0}, 0, 1, &u, &v));
  EXPECT_FALSE(
      quarn::point_inside_triangle({0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0, 3, &u, &v));
  EXPECT_EQ(u, 7.0f);  // untouched
  EXPECT_TRUE(quarn::point_inside_triangle({0, 0.5f, 0.5f}, {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, 1, 2));
  // b_i = a_i: solved through c on i, then b on j.
  EXPECT_TRUE(quarn::point_inside_triangle({0.25f, 0.5f, 0}, {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, 0, 1,
                                           &u, &v));
  EXPECT_EQ(u, 0.25f);
  EXPECT_EQ(v, 0.5f);
  EXPECT_FALSE(
      quarn::point_inside_triangle({0.75f, 0.5f, 0}, {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, 0, 1));

  EXPECT_FALSE(
      quarn::min_max_separated({0, 0, 0}, {1, 1, 1}, {1, 0, 0}, {2, 1, 1}));  // shared face
  EXPECT_TRUE(quarn::min_max_separated({0, 0, 0}, {1, 1, 1}, {0, 1.01f, 0}, {1, 2, 1}));
  EXPECT_FALSE(
      quarn::min_max_separated({0, 0, 0}, {1, 1, 1}, {0.2f, 0.2f, 0.2f}, {0.3f, 0.3f, 0.3f}));
}

TEST(Triangles, SegmentsAgainstTriangles) {
  std::mt19937 rng(113);
  int checked = 0;
  for (int i = 0; i < 20000; ++i) {
    const vec3 a = random_vec3(rng), b = random_vec3(rng), c = random_vec3(rng);
    const vec3 p = random_vec3(rng, -3, 3), q = random_vec3(rng, -3, 3);
    if (norm(cross(sub(to_d(b), to_d(a)), sub(to_d(c), to_d(a)))) < 0.05) continue;
    // The whole line through p and q counts, ahead of p or behind it.
    const d3 far_p = add(to_d(p), scale(sub(to_d(p), to_d(q)), 100));
    const d3 far_q = add(to_d(q), scale(sub(to_d(q), to_d(p)), 100));
    const verdict_t ref = segment_through_triangle(far_p, far_q, to_d(a), to_d(b), to_d(c), 1e-4);
    vec3 out;
    const bool got = quarn::compute_triangle_intersection(a, b, c, p, q, &out);
    if (ref.near) continue;
    ASSERT_EQ(got, ref.hit) << i;
    ++checked;
  }
  EXPECT_GT(checked, 15000);

  const vec3 a{0, 0, 0}, b{4, 0, 0}, c{0, 4, 0};
  struct {
    const char* what;
    vec3 p, q;
    bool hit;
  } cases[] = {
      {"through", {1, 1, 3}, {1, 1, -3}, true},
      {"ends too close to p", {1, 1, 0.5f}, {1, 1, -3}, false},
      {"stops short", {1, 1, 3}, {1, 1, 1}, false},
      {"misses the triangle", {5, 5, 3}, {5, 5, -3}, false},
  };
  for (const auto& t : cases) {
    vec3 out;
    EXPECT_EQ(quarn::triangle_interval_intersection(a, b, c, t.p, t.q, &out), t.hit) << t.what;
    EXPECT_EQ(quarn::triangle_interval_intersection(a, b, c, {0, 0, 1, 0}, t.p, t.q, &out), t.hit)
        << t.what;
    if (t.hit) {
      EXPECT_EQ(out, (vec3{1, 1, 0})) << t.what;
    }
  }
}

TEST(Triangles, TangentsFollowTheTextureMapping) {
  std::mt19937 rng(114);
  for (int i = 0; i < 5000; ++i) {
    // Positions made from a known mapping: p = origin + s·T + t·B.
    const d3 T = to_d(random_vec3(rng)), B = to_d(random_vec3(rng));
    const d3 o = to_d(random_vec3(rng, -5, 5));
    vec2 uv[3];
    vec3 p[3];
    for (int k = 0; k < 3; ++k) {
      uv[k] = {uniform(rng, -2, 2), uniform(rng, -2, 2)};
      p[k] = d3_to(add(o, add(scale(T, uv[k].x), scale(B, uv[k].y))));
    }
    const double det =
        (uv[1].x - uv[0].x) * (uv[2].y - uv[0].y) - (uv[2].x - uv[0].x) * (uv[1].y - uv[0].y);
    const d3 tb = cross(T, B);
    if (std::fabs(det) < 0.05 || norm(tb) < 0.05) continue;
    const bool flip = i % 2;  // a normal on the other side mirrors the frame
    const d3 n = scale(tb, (flip ? -1 : 1) / norm(tb));
    vec4 out;
    quarn::compute_tangent(&out, d3_to(n), p[0], p[1], p[2], uv[0], uv[1], uv[2]);
    ASSERT_LE(max_diff(&out.x, scale(T, 1 / norm(T)), 3), 2e-3 / (std::fabs(det) * norm(tb)));
    ASSERT_EQ(out.w, flip ? -1.0f : 1.0f);
  }
  vec4 out;
  const vec3 n{0, 0, 1}, p0{0, 0, 0}, p1{1, 0, 0}, p2{0, 1, 0};
  quarn::compute_tangent(&out, n, p0, p1, p2, {0, 0}, {1, 1}, {2, 2});  // texture on a line
  EXPECT_EQ(out, (vec4{1, 0, 0, 1}));
  quarn::compute_tangent(&out, n, p0, p1, p2, {0, 0}, {std::nanf(""), 0}, {0, 1});
  EXPECT_EQ(out, (vec4{1, 0, 0, 1}));
}

}  // namespace
