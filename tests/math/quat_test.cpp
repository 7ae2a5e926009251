// Quaternions: algebra against the vector form of the Hamilton product,
// matrices against Rodrigues rotations, slerp against powers of the relative
// rotation, squad against uniform rotations, Euler angles against products of
// axis rotations.
#include "qxcore/math/quat.h"

#include <utility>

#include "tests/math/math_test_util.h"

namespace {

using namespace mtest;

// (s1 s2 − v1·v2, s1 v2 + s2 v1 + v1 × v2)
d4 hamilton(const d4& a, const d4& b) {
  const d3 va{a[1], a[2], a[3]}, vb{b[1], b[2], b[3]};
  const d3 v = add(add(scale(vb, a[0]), scale(va, b[0])), cross(va, vb));
  return {a[0] * b[0] - dot(va, vb), v[0], v[1], v[2]};
}
d4 conj(const d4& q) { return {q[0], -q[1], -q[2], -q[3]}; }

// q^t for a unit quaternion, through its axis and half-angle.
d4 power(const d4& q, double t) {
  const double vlen = std::sqrt(q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  if (vlen == 0) return {1, 0, 0, 0};
  const double half = std::atan2(vlen, q[0]);
  const double s = std::sin(t * half) / vlen;
  return {std::cos(t * half), q[1] * s, q[2] * s, q[3] * s};
}

d4 reference_slerp(const d4& a, d4 b, double t, bool shorter) {
  const double c = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
  if (shorter && c < 0) b = {-b[0], -b[1], -b[2], -b[3]};
  return hamilton(a, power(hamilton(conj(a), b), t));
}

double quat_diff(const quat_t& q, const d4& r) { return max_diff(&q.w, r, 4); }

TEST(Quaternion, AlgebraFollowsTheHamiltonProduct) {
  std::mt19937 rng(61);
  for (int i = 0; i < 5000; ++i) {
    const quat_t a = random_unit_quat(rng), b = random_unit_quat(rng);
    const d4 da = to_d(a), db = to_d(b);
    const d4 ab = hamilton(da, db), ba = hamilton(db, da), a_b = hamilton(da, conj(db)),
             b_a = hamilton(db, conj(da));
    quat_t m = a, d = a, r, l, rd, ld;
    m *= b, d /= b;
    r.rmul(a, b), l.lmul(a, b), rd.rdiv(a, b), ld.ldiv(a, b);
    const std::pair<quat_t, d4> forms[] = {{a * b, ab}, {m, ab},      {r, ab},
                                           {l, ba},     {a / b, a_b}, {d, a_b},
                                           {rd, a_b},   {ld, b_a},    {a.get_delta(b), b_a}};
    for (const auto& [got, want] : forms) ASSERT_LE(quat_diff(got, want), 8 * EPS);
    quat_t x = -a;
    ASSERT_TRUE(x == (quat_t{a.w, -a.x, -a.y, -a.z}));
    x.invert();
    ASSERT_TRUE(x == a);
    // a ⊗ b rotates by b first: its matrix is R(a)·R(b).
    mat4 mab;
    (a * b).get_matrix(&mab);
    ASSERT_LE(max_diff(mab.m, dmul(quat_rotation_reference(da), quat_rotation_reference(db)), 16),
              16 * EPS);
  }
}

TEST(Quaternion, EqualityNormalizeAndIdentity) {
  const float nan = std::nanf("");
  EXPECT_TRUE((quat_t{1, 2, 3, 4} == quat_t{1, 2, 3, 4}));
  EXPECT_FALSE((quat_t{1, 2, 3, nan} == quat_t{1, 2, 3, nan}));
  EXPECT_TRUE((quat_t{0, -0.0f, 0, 0} == quat_t{-0.0f, 0, 0, 0}));
  EXPECT_TRUE(quat_t::zero.is_zero() && (quat_t::zero == quat_t{1, 0, 0, 0}));
  EXPECT_FALSE((quat_t{-1, 0, 0, 0}.is_zero()));  // same rotation, not the identity value
  EXPECT_FALSE((quat_t{0.99999994f, 0, 0, 0}.is_zero()));
  quat_t q{0, 3, 0, 4}, z{0, 0, 0, 0};
  q.normalize(), z.normalize();
  EXPECT_TRUE((q == quat_t{0, 0.6f, 0, 0.8f}));
  EXPECT_TRUE((z == quat_t{0, 0, 0, 0}));
}

TEST(Quaternion, AxisAngleMatchesRodrigues) {
  std::mt19937 rng(62);
  for (int i = 0; i < 5000; ++i) {
    const vec3 axis = random_vec3(rng, -3, 3);
    const float angle = uniform(rng, -360, 360);
    quat_t q;
    q.set(axis, angle);
    const d3 da = to_d(axis);
    const dmat ref = rodrigues_matrix(scale(da, 1 / norm(da)), angle * PI / 180);
    mat4 m, mi, pm, pi;
    q.get_matrix(&m);
    q.get_imatrix(&mi);
    q.get_matrix_pair(&pm, &pi);
    ASSERT_LE(max_diff(m.m, ref, 16), 16 * EPS) << angle;
    ASSERT_TRUE(is_transpose(mi, m) && is_transpose(pi, m) && to_d(pm) == to_d(m));
    // get_rotation gives the angle back in [0, 360].
    double expected = std::fabs(std::fmod(double(angle), 720.0));
    if (expected > 360) expected = 720 - expected;
    ASSERT_NEAR(q.get_rotation(), expected, 0.05) << angle;  // acos is ill-conditioned near w = ±1
    ASSERT_NEAR(q.get_rotation_rad(), expected * PI / 180, 0.001);
  }
}

TEST(Quaternion, FromMatrixRecoversTheRotation) {
  std::mt19937 rng(63);
  for (int i = 0; i < 20000; ++i) {
    // Every branch: random angles, angles near 180° (trace ≤ 0) about each axis.
    d3 axis = to_d(random_vec3(rng));
    if (i % 3 == 1) axis[i % 7 % 3] *= 20;
    axis = scale(axis, 1 / norm(axis));
    const double angle = (i % 2) ? uniform(rng, -PI, PI) : PI - uniform(rng, 0, 0.3f);
    const dmat r = rodrigues_matrix(axis, angle);
    mat4 m;
    for (int k = 0; k < 16; ++k) m.m[k] = float(r[k]);
    quat_t q;
    q.set_matrix(m);
    const d4 expected{std::cos(angle / 2), axis[0] * std::sin(angle / 2),
                      axis[1] * std::sin(angle / 2), axis[2] * std::sin(angle / 2)};
    const d4 negated{-expected[0], -expected[1], -expected[2], -expected[3]};
    ASSERT_LE(std::min(quat_diff(q, expected), quat_diff(q, negated)), 16 * EPS) << i;
  }
}

TEST(Quaternion, SlerpFollowsTheShorterArc) {
  std::mt19937 rng(65);
  for (int i = 0; i < 20000; ++i) {
    const quat_t a = random_unit_quat(rng), b = random_unit_quat(rng);
    const float t = uniform(rng, -0.25f, 1.25f);
    const d4 da = to_d(a), db = to_d(b);
    const double c = std::fabs(da[0] * db[0] + da[1] * db[1] + da[2] * db[2] + da[3] * db[3]);
    if (1 - c <= 0.001) continue;  // the linear blend, checked below
    quat_t s;
    s.slerp(a, b, t);
    // sin θ divides: the closer the ends, the larger the rounding.
    const double tol = 32 * EPS / std::sqrt(1 - c * c);
    ASSERT_LE(quat_diff(s, reference_slerp(da, db, t, true)), tol) << i;
    quat_t n;
    n.slerp_noinv(a, b, t);
    const double cn = da[0] * db[0] + da[1] * db[1] + da[2] * db[2] + da[3] * db[3];
    if (std::fabs(cn) < 0.94) {
      ASSERT_LE(quat_diff(n, reference_slerp(da, db, t, false)), tol) << i;
    }
  }
}

TEST(Quaternion, SlerpDesignedCases) {
  std::mt19937 rng(66);
  for (int i = 0; i < 2000; ++i) {
    const quat_t a = random_unit_quat(rng), minus_a{-a.w, -a.x, -a.y, -a.z};
    quat_t s;
    s.slerp(a, minus_a, 0.5f);  // the same rotation: nothing to travel
    ASSERT_LE(quat_diff(s, to_d(a)), 4 * EPS);
    // Ends exact, inside and outside the spherical range of slerp_noinv.
    const quat_t b = i % 2 ? a * quat_t{0.9999f, 0.01f, 0, 0} : random_unit_quat(rng);
    s.slerp_noinv(a, b, 0);
    ASSERT_TRUE(s == a);
    s.slerp_noinv(a, b, 1);
    ASSERT_TRUE(s == b);
    // Close ends blend linearly (not normalised).
    const quat_t near = a * quat_t{0.99999994f, 0.0001f, 0, 0};
    s.slerp(a, near, 0.25f);
    for (int k = 0; k < 4; ++k)
      ASSERT_NEAR((&s.w)[k], 0.75 * (&a.w)[k] + 0.25 * (&near.w)[k], 4 * EPS);
  }
}

// Rotations about one axis at evenly spaced angles: the spline control point
// of a key is the key itself, and squad moves uniformly between keys. (log
// and exp are checked through the control point formula below.) Steps
// stay above 36.4°, where slerp_noinv's ends are far enough apart (dot < 0.95)
// for the spherical weights; closer keys blend linearly by design.
TEST(Quaternion, SquadOfUniformKeysIsUniform) {
  std::mt19937 rng(67);
  for (int i = 0; i < 500; ++i) {
    const vec3 axis = random_vec3(rng);
    const float start = uniform(rng, -90, 90), step = uniform(rng, 37, 120);
    quat_t k[4];
    for (int j = 0; j < 4; ++j) k[j].set(axis, start + j * step);
    quat_t s1, s2;
    s1.spline(k[0], k[1], k[2]);
    s2.spline(k[1], k[2], k[3]);
    ASSERT_LE(quat_diff(s1, to_d(k[1])), 1e-4);
    ASSERT_LE(quat_diff(s2, to_d(k[2])), 1e-4);
    for (float t : {0.0f, 0.2f, 0.5f, 0.9f, 1.0f}) {
      quat_t q, expected;
      q.squad(k[1], k[2], s1, s2, t);
      expected.set(axis, start + (1 + t) * step);
      ASSERT_LE(quat_diff(q, to_d(expected)), 1e-4) << t;
    }
  }
}

TEST(Quaternion, SplineControlPointFormula) {
  // Non-uniform keys: the control point is exp(−(log(prev q⁻¹) + log(next q⁻¹))/4) q.
  std::mt19937 rng(68);
  auto dlog = [](const d4& q) {
    const double vlen = std::sqrt(q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    const double th = std::acos(std::max(-1.0, std::min(1.0, q[0])));
    return vlen == 0 ? d3{0, 0, 0} : scale(d3{q[1], q[2], q[3]}, th / std::sin(th));
  };
  for (int i = 0; i < 2000; ++i) {
    quat_t p = random_unit_quat(rng), q = random_unit_quat(rng), n = random_unit_quat(rng);
    quat_t s;
    s.spline(p, q, n);
    const d3 l1 = dlog(hamilton(to_d(p), conj(to_d(q)))),
             l2 = dlog(hamilton(to_d(n), conj(to_d(q))));
    const d3 v = scale(add(l1, l2), -0.25);
    const double len = norm(v);
    const d4 e = len == 0 ? d4{1, 0, 0, 0}
                          : d4{std::cos(len), v[0] * std::sin(len) / len,
                               v[1] * std::sin(len) / len, v[2] * std::sin(len) / len};
    ASSERT_LE(quat_diff(s, hamilton(e, to_d(q))), 2e-3) << i;
  }
}

// set_ypr is checked against the axis rotations with the matrix builders.
TEST(Quaternion, EulerAnglesRebuildTheRotation) {
  std::mt19937 rng(70);
  // Any rotation in the regular case: the triple read back rebuilds the
  // rotation as Ry(yaw)·Rz(roll)·Rx(pitch).
  for (int i = 0; i < 5000; ++i) {
    const quat_t q = random_unit_quat(rng);
    vec3 v;
    q.get_ypr(&v);
    if (std::fabs(v.z) > 85) continue;  // near the poles the angles lose digits
    const double r = PI / 180;
    const dmat rebuilt =
        dmul(rodrigues_matrix({0, 1, 0}, v.y * r),
             dmul(rodrigues_matrix({0, 0, 1}, v.z * r), rodrigues_matrix({1, 0, 0}, v.x * r)));
    ASSERT_LE(max_diff(rebuilt, to_d([&] {
                         mat4 m;
                         q.get_matrix(&m);
                         return m;
                       }()),
                       16),
              1e-4);
  }
}

TEST(Quaternion, EulerPoleBranches) {
  // Every matrix entry of these is exact, with m[2] = −1 and m[10] = 0, so
  // asin(±1) puts A at ±90: m[4] = −1 gives pitch = −atan2(1, 0) = −90 and
  // roll = −A; m[4] = +1 the opposite signs. Yaw is −0 in both.
  const struct {
    quat_t q;
    float pitch_and_roll;
  } poles[] = {{{0.5f, 0.5f, -0.5f, -0.5f}, -90}, {{0.5f, -0.5f, -0.5f, 0.5f}, 90}};
  for (const auto& p : poles) {
    const vec3 v = p.q.get_ypr();
    EXPECT_NEAR(v.x, p.pitch_and_roll, 1e-4);
    EXPECT_NEAR(v.z, p.pitch_and_roll, 1e-4);
    EXPECT_TRUE(v.y == 0.0f && std::signbit(v.y));
  }
}

// set_cartes goes through cartes_2_ypr and set_ypr, each checked on its own.
TEST(Quaternion, ForwardDirections) {
  EXPECT_EQ(quat_t::zero.get_cartes(), (vec3{0, 0, -1}));
  quat_t q;
  q.set_cartes({1, 0, 1});
  EXPECT_LE(max_diff(q.get_cartes(), d3{std::sqrt(0.5), 0, std::sqrt(0.5)}, 3), 1e-6);
  std::mt19937 rng(71);
  for (int i = 0; i < 3000; ++i) {
    // get_cartes rotates (0, 0, −1) as the rotation matrix does.
    const quat_t r = random_unit_quat(rng);
    vec3 out;
    r.get_cartes(&out);
    ASSERT_LE(max_diff(out, ddir(quat_rotation_reference(to_d(r)), {0, 0, -1}), 3), 8 * EPS);
  }
}

}  // namespace
