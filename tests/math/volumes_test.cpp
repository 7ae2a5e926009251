// Bounding volumes, the frustum and projection matrices: designed cases,
// transforms against brute-force corners in double, culling against points
// placed inside or outside in camera space.
#include <cstring>

#include "qxcore/math/aabox.h"
#include "qxcore/math/bbox.h"
#include "qxcore/math/bsphere.h"
#include "qxcore/math/frustum.h"
#include "qxcore/math/plane.h"
#include "qxcore/math/projection.h"
#include "qxcore/math/sphere.h"
#include "tests/math/math_test_util.h"

namespace {

using namespace mtest;
using quarn::aabox_t;
using quarn::sphere_t;

TEST(Aabox, DesignedCases) {
  const aabox_t unit{{0, 0, 0}, {1, 1, 1}};
  struct {
    const char* what;
    bool got, expected;
  } cases[] = {
      {"boundary point is outside", unit.contains(vec3{0, 0.5f, 0.5f}), false},
      {"inner point", unit.contains(vec3{0.5f, 0.5f, 0.5f}), true},
      {"a box does not contain itself", unit.contains(unit), false},
      {"strictly inner box", unit.contains(aabox_t{{0.1f, 0.1f, 0.1f}, {0.9f, 0.9f, 0.9f}}), true},
      {"shared face intersects", unit.intersects(aabox_t{{1, 0, 0}, {2, 1, 1}}), true},
      {"gap does not", unit.intersects(aabox_t{{1.01f, 0, 0}, {2, 1, 1}}), false},
      {"sphere within reach", unit.intersects(sphere_t{{1.4f, 0.5f, 0.5f}, 0.5f}), true},
      {"sphere just touching is out", unit.intersects(sphere_t{{1.5f, 0.5f, 0.5f}, 0.5f}), false},
      // Corners are not rounded: this sphere misses the corner but counts.
      {"conservative near corners", unit.intersects(sphere_t{{1.4f, 1.4f, 1.4f}, 0.5f}), true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;

  aabox_t b = unit;
  b.scale_local(2);
  EXPECT_EQ(b.min, (vec3{-1, -1, -1}));
  EXPECT_EQ(b.max, (vec3{2, 2, 2}));
  b = unit;
  b.scale_local(0);
  EXPECT_EQ(b.min, (vec3{1, 1, 1}));  // swapped
  b.set_reverse_extents();
  std::uint32_t bits;
  std::memcpy(&bits, &b.min.x, 4);
  EXPECT_EQ(bits, 0x7f7fffffu);
  std::memcpy(&bits, &b.max.z, 4);
  EXPECT_EQ(bits, 0xff7fffffu);
  b.enlarge(vec3{1, -2, 3});
  EXPECT_EQ(b.min, (vec3{1, -2, 3}));
  EXPECT_EQ(b.max, (vec3{1, -2, 3}));
  b.enlarge(aabox_t{{0, 0, 0}, {5, 5, 5}});
  EXPECT_EQ(b.min, (vec3{0, -2, 0}));
  EXPECT_EQ(b.max, (vec3{5, 5, 5}));
  EXPECT_EQ(b.get_corner(5), (vec3{5, -2, 5}));  // bits 0 and 2: x and z from max
  EXPECT_EQ(b.get_center(), (vec3{2.5f, 1.5f, 2.5f}));
}

TEST(Aabox, TransformsBoundTheTransformedCorners) {
  std::mt19937 rng(91);
  for (int i = 0; i < 2000; ++i) {
    const vec3 lo = random_vec3(rng, -5, 0), hi = random_vec3(rng, 0.1f, 5);
    const quat_t q = random_unit_quat(rng);
    const dmat r = quat_rotation_reference(to_d(q));
    for (int mode = 0; mode < 2; ++mode) {
      aabox_t b{lo, hi};
      const d3 c = scale(add(to_d(lo), to_d(hi)), 0.5);
      mode == 0 ? b.rotate(q) : b.rotate_local(q);
      d3 emin{1e30, 1e30, 1e30}, emax{-1e30, -1e30, -1e30};
      for (int k = 0; k < 8; ++k) {
        d3 p{(k & 1) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 4) ? hi.z : lo.z};
        p = mode == 0 ? ddir(r, p) : add(ddir(r, sub(p, c)), c);
        for (int a = 0; a < 3; ++a)
          emin[a] = std::min(emin[a], p[a]), emax[a] = std::max(emax[a], p[a]);
      }
      ASSERT_LE(max_diff(b.min, emin, 3), 1e-5);
      ASSERT_LE(max_diff(b.max, emax, 3), 1e-5);
    }
  }
}

TEST(Sphere, ContainmentSegmentsAndMerging) {
  const sphere_t s{{0, 0, 0}, 1};
  EXPECT_FALSE(s.contains(vec3{1, 0, 0}));  // the surface is outside
  EXPECT_FALSE(s.intersects(sphere_t{{2, 0, 0}, 1}));
  EXPECT_TRUE(s.intersects(sphere_t{{1.9f, 0, 0}, 1}));

  std::mt19937 rng(92);
  for (int i = 0; i < 5000; ++i) {
    const sphere_t a{random_vec3(rng, -3, 3), uniform(rng, 0.1f, 2)};
    // Segment test against the distance to the segment, away from the surface.
    const vec3 p = random_vec3(rng, -4, 4), q = random_vec3(rng, -4, 4);
    const d3 e = sub(to_d(q), to_d(p));
    const double t = std::clamp(dot(sub(to_d(a.center), to_d(p)), e) / dot(e, e), 0.0, 1.0);
    const double dist = norm(sub(add(to_d(p), scale(e, t)), to_d(a.center)));
    if (std::fabs(dist - a.radius) > 1e-4) {
      ASSERT_EQ(a.intersects(p, q), dist < a.radius) << i;
    }
    // The merged sphere holds both and is no larger than needed.
    const sphere_t b{random_vec3(rng, -3, 3), uniform(rng, 0.1f, 2)};
    sphere_t m = a;
    m.enlarge(b);
    const double d = norm(sub(to_d(b.center), to_d(a.center)));
    const double expected =
        std::max({double(a.radius), double(b.radius), (a.radius + b.radius + d) / 2});
    ASSERT_NEAR(m.radius, expected, 1e-5);
    for (const sphere_t& part : {a, b})
      ASSERT_LE(norm(sub(to_d(part.center), to_d(m.center))) + part.radius, m.radius + 1e-5);
  }
}

TEST(PlaneType, Constructors) {
  const quarn::plane_t p({0, 1, 0}, vec3{0, 5, 0});
  EXPECT_EQ(p.d, -5.0f);
  EXPECT_EQ(p.get_signed_distance({0, 5, 0}), 0.0f);
  EXPECT_EQ(p.get_distance({3, 2, 1}), 3.0f);
  EXPECT_EQ(p.get_normal_octant(), 2u);
  // Three points, counter-clockwise seen from +z: unit normal +z.
  const quarn::plane_t t({0, 0, 2}, {3, 0, 2}, {0, 3, 2});
  EXPECT_EQ(t.normal, (vec3{0, 0, 1}));
  EXPECT_EQ(t.d, -2.0f);
  // Too small to normalise: left as it is.
  const quarn::plane_t small({0, 0, 0}, {0.001f, 0, 0}, {0, 0.001f, 0});
  EXPECT_FLOAT_EQ(small.normal.z, 1e-6f);
}

TEST(Bbox, CornersPlanesAndTransforms) {
  quarn::bbox_t b;
  b.set(0, 0, 0, 1, 2, 3);
  b.resize({-1, 1, 1});
  b.expand();
  const vec3 c3{1, 0, 3}, c4{-1, 2, 0};  // c3 = (max x, min y, max z), c4 = (min x, max y, min z)
  EXPECT_EQ(b.base_corners[3], c3);
  EXPECT_EQ(b.base_corners[4], c4);
  // Every plane points out: all corners on or behind it, its face's corners on it.
  for (const auto& pl : b.planes) {
    int on = 0;
    for (const vec3& c : b.base_corners) {
      const float s = pl.base.x * c.x + pl.base.y * c.y + pl.base.z * c.z + pl.base.w;
      EXPECT_LE(s, 1e-6f);
      on += std::fabs(s) < 1e-6f;
    }
    EXPECT_EQ(on, 4);
  }
  EXPECT_TRUE(b.inside({0, 0, 0}));  // bounds included, unlike aabox_t::contains
  EXPECT_FALSE(b.inside({0, 0, 3.01f}));

  mat4 m;
  std::mt19937 rng(93);
  const quat_t q = random_unit_quat(rng);
  q.get_matrix(&m);
  m.m[3] = 10;
  b.transform(m);
  for (int i = 0; i < 8; ++i) {
    const d3 p = dpoint(to_d(m), to_d(b.base_corners[i]));
    EXPECT_LE(max_diff(b.trans_corners[i], p, 3), 1e-5);
    for (int a = 0; a < 3; ++a)
      EXPECT_TRUE(b.trans_min[a] <= b.trans_corners[i][a] &&
                  b.trans_corners[i][a] <= b.trans_max[a]);
    EXPECT_TRUE(b.inside_trans(b.trans_corners[i]));
  }
  for (const auto& pl : b.planes)  // transformed planes hold the transformed corners behind them
    for (const vec3& c : b.trans_corners)
      EXPECT_LE(pl.trans.x * c.x + pl.trans.y * c.y + pl.trans.z * c.z + pl.trans.w, 1e-4f);

  quarn::bbox_t small;
  small.set(0.2f, 0.2f, 0.2f, 0.5f, 0.5f, 0.5f);
  small.expand();
  small.transform({{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}});
  quarn::bbox_t half = small;
  half.transform({{1, 0, 0, 0.6f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}});  // x 0.8 .. 1.1
  quarn::bbox_t unit;
  unit.set(0, 0, 0, 1, 1, 1);
  EXPECT_TRUE(unit.overlap(small));
  EXPECT_FALSE(unit.overlap(half));
  EXPECT_TRUE(unit.intersect(half));
  const vec4 base_plane = half.planes[0].base;
  half.transform_base({{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 5, 0, 0, 0, 1}});
  EXPECT_EQ(half.base_min.z, 5.2f);            // base box replaced (0.2 moved by 5)
  EXPECT_EQ(half.planes[0].base, base_plane);  // base planes kept
}

TEST(Bsphere, GrowthAndOverlap) {
  quarn::bsphere_t a, b;
  a.set({0, 0, 0}, 1);
  a.expand();
  EXPECT_FLOAT_EQ(a.radius, 1.01f);
  EXPECT_FLOAT_EQ(a.radius2, 1.01f * 1.01f);
  a.set({0, 0, 0}, 1);
  b.set({5, 0, 0}, 1);
  b.transform({{1, 0, 0, -3, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}});  // moved to x = 2: touching
  EXPECT_TRUE(a.overlap(b));
  b.transform({{1, 0, 0, -2.9f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}});
  EXPECT_FALSE(a.overlap(b));
  a.resize(vec3{3, 0, 0});  // spans −1 .. 3
  EXPECT_EQ(a.center, (vec3{1, 0, 0}));
  EXPECT_EQ(a.radius, 2.0f);
  EXPECT_EQ(a.radius2, 4.0f);
  a.resize(vec3{0, 0.5f, 0});  // inside: unchanged
  EXPECT_EQ(a.radius, 2.0f);
  a.resize({6, 0, 0}, 1);  // spans −1 .. 7
  EXPECT_EQ(a.center, (vec3{3, 0, 0}));
  EXPECT_EQ(a.radius2, 16.0f);
}

TEST(Frustum, DefaultFrustumAtTheOrigin) {
  quarn::frustum_t f;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(f.get_world_planes()[i].normal, (vec3{0, 1, 0}));
  f.update({0, 0, 0}, quat_t::zero);
  EXPECT_TRUE(f.contains({0, 0, -10}));
  EXPECT_FALSE(f.contains({0, 0, 10}));
  EXPECT_FALSE(f.contains({0, 0, -0.5f}));
  EXPECT_FALSE(f.contains({0, 0, -1001}));
  EXPECT_TRUE(f.contains({9.9f, 0, -10}));  // 90°: the sides are at 45°
  EXPECT_FALSE(f.contains({10.1f, 0, -10}));
  f.set_fov(60);
  EXPECT_TRUE(f.contains({9.9f, 0, -10}));  // planes change only on update
  f.update({0, 0, 0}, quat_t::zero);
  EXPECT_FALSE(f.contains({9.9f, 0, -10}));
}

// Points placed in camera space at a known margin inside or outside the
// frustum, then moved to the world with the camera's placement.
TEST(Frustum, CullsAgainstPointsPlacedInCameraSpace) {
  std::mt19937 rng(94);
  for (int i = 0; i < 300; ++i) {
    const float fov = uniform(rng, 30, 120), aspect = uniform(rng, 0.5f, 1.5f);
    const float n = uniform(rng, 0.1f, 2), f = n + uniform(rng, 10, 500);
    quarn::frustum_t view(fov, aspect, n, f);
    const quat_t rot = random_unit_quat(rng);
    const vec3 pos = random_vec3(rng, -50, 50);
    view.update(pos, rot);
    const dmat r = quat_rotation_reference(to_d(rot));
    const double tx = std::tan(fov * PI / 360);
    auto world = [&](const d3& cam) {
      const d3 w = add(ddir(r, cam), to_d(pos));
      return vec3{float(w[0]), float(w[1]), float(w[2])};
    };
    for (int k = 0; k < 50; ++k) {
      const double depth = uniform(rng, n * 1.01f, f * 0.99f);
      const double fx = uniform(rng, -0.98f, 0.98f), fy = uniform(rng, -0.98f, 0.98f);
      const d3 inside{fx * depth * tx, fy * depth * tx * aspect, -depth};
      ASSERT_TRUE(view.contains(world(inside)));
      ASSERT_TRUE(view.intersects(sphere_t{world(inside), 0.01f}));
      const vec3 wi = world(inside);
      ASSERT_TRUE(
          view.intersects(aabox_t{wi - vec3{0.1f, 0.1f, 0.1f}, wi + vec3{0.1f, 0.1f, 0.1f}}));
      // Outside: beyond one side, behind the eye, past the far plane.
      const d3 outside[3] = {{(1.05 + fx * fx) * depth * tx, 0, -depth},
                             {0, fy * depth * tx * aspect, depth},
                             {0, 0, -f * 1.02 - 1}};
      for (const d3& o : outside) {
        ASSERT_FALSE(view.contains(world(o)));
        ASSERT_FALSE(view.intersects(sphere_t{world(o), 0.001f}));
      }
    }
    // Wholly behind the camera: a box and a sphere are culled.
    const vec3 behind = world({0, 0, 20});
    ASSERT_FALSE(view.intersects(aabox_t{behind - vec3{1, 1, 1}, behind + vec3{1, 1, 1}}));
    ASSERT_FALSE(view.intersects(sphere_t{behind, 5}));
    ASSERT_TRUE(view.intersects(sphere_t{behind, 25}));
  }
}

TEST(Projection, MatricesMapTheViewVolumeToClipSpace) {
  mat4 m, inv;
  auto ndc = [](const mat4& p, const d3& v) {
    const d4 c = dapply(to_d(p), {v[0], v[1], v[2], 1});
    return d3{c[0] / c[3], c[1] / c[3], c[2] / c[3]};
  };
  struct {
    quarn::rect_t rect;
    float n, f, fov;
    double right, top;  // half-extents of the near window, worked out by hand
  } cases[] = {
      {{0, 640, 640, 0}, 1, 100, 90, 1, 1},
      {{0, 800, 400, 0}, 0.5f, 50, 60, 0.5 * std::tan(PI / 6), 0.25 * std::tan(PI / 6)},  // wide
      {{0, 300, 600, 0}, 2, 80, 90, 1, 2},  // tall: the width takes the angle
  };
  for (const auto& c : cases) {
    quarn::r_frustum_projection_matrix(&m, c.rect, c.n, c.f, c.fov);
    quarn::r_frustum_projection_inverse_matrix(&inv, c.rect, c.n, c.f, c.fov);
    const double n = c.n, f = c.f;
    EXPECT_LE(max_diff(ndc(m, {c.right, c.top, -n}), d3{1, 1, -1}, 3), 1e-5);
    EXPECT_LE(max_diff(ndc(m, {-c.right * f / n, 0, -f}), d3{-1, 0, 1}, 3), 1e-4);
    EXPECT_LE(max_diff(dmul(to_d(inv), to_d(m)), DIDENTITY, 16), 1e-5);
  }
  const quarn::rect_t r{-4, 6, 3, -1};
  quarn::r_ortho_projection_matrix(&m, r, 2, 10);
  quarn::r_ortho_projection_inverse_matrix(&inv, r, 2, 10);
  EXPECT_LE(max_diff(dpoint(to_d(m), {-4, -1, -2}), d3{-1, -1, -1}, 3), 1e-6);
  EXPECT_LE(max_diff(dpoint(to_d(m), {6, 3, -10}), d3{1, 1, 1}, 3), 1e-6);
  // The inverse undoes x and y; its z row takes clip −1 to far and +1 to near
  // (z = (n − f)/2·zc + (n + f)/2), not back to −near and −far.
  const d3 back_near = dpoint(to_d(inv), dpoint(to_d(m), {-4, -1, -2}));
  const d3 back_far = dpoint(to_d(inv), dpoint(to_d(m), {6, 3, -10}));
  EXPECT_LE(max_diff(back_near, d3{-4, -1, 10}, 3), 1e-5);
  EXPECT_LE(max_diff(back_far, d3{6, 3, 2}, 3), 1e-5);
}

}  // namespace
