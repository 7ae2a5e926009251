// Placements, transform nodes and axial_t against double-precision
// references: rotations by Rodrigues, compositions spelled out here.
#include "qxcore/math/placement.h"

#include <cstring>
#include <memory>
#include <vector>

#include "qxcore/math/axial.h"
#include "qxcore/math/transform_node.h"
#include "tests/math/math_test_util.h"
#include "tests/support/capture_sink.h"

namespace {

using namespace mtest;
using quarn::placement_t;

d3 rot(const quat_t& q, const d3& v) { return ddir(quat_rotation_reference(to_d(q)), v); }
d3 rot_inv(const quat_t& q, const d3& v) { return ddir(quat_rotation_reference(to_d(-q)), v); }
placement_t random_placement(std::mt19937& rng) {
  return {random_vec3(rng, -10, 10), random_unit_quat(rng)};
}
// Reference of the node composition: P.rot ⊗ rel.rot at P.pos + R(P.rot)·rel.pos.
void compose(const d3& ppos, const quat_t& prot, const placement_t& rel, d3* pos, quat_t* r) {
  *pos = add(ppos, rot(prot, to_d(rel.pos)));
  *r = prot * rel.rot;
}

TEST(Placement, ConversionsAndMatrices) {
  std::mt19937 rng(81);
  for (int i = 0; i < 3000; ++i) {
    const placement_t pl = random_placement(rng), other = random_placement(rng);
    const vec3 p = random_vec3(rng, -10, 10);
    const d3 world = add(rot(pl.rot, to_d(p)), to_d(pl.pos));
    const double tol = 1e-5;
    ASSERT_LE(max_diff(pl.from_local_space(p), world, 3), tol);
    ASSERT_LE(max_diff(pl.to_local_space(p), rot_inv(pl.rot, sub(to_d(p), to_d(pl.pos))), 3), tol);
    mat4 m, inv;
    pl.compute_matrix(&m);
    pl.compute_inverse_matrix(&inv);
    ASSERT_LE(max_diff(dpoint(to_d(m), to_d(p)), world, 3), tol);
    ASSERT_LE(max_diff(dmul(to_d(inv), to_d(m)), DIDENTITY, 16), tol);

    placement_t out;
    pl.from_local_space(&out, other);
    ASSERT_LE(max_diff(out.pos, add(rot(pl.rot, to_d(other.pos)), to_d(pl.pos)), 3), tol);
    ASSERT_TRUE(out.rot == other.rot * pl.rot);
    pl.to_local_space(&out, other);
    ASSERT_LE(max_diff(out.pos, rot_inv(pl.rot, sub(to_d(other.pos), to_d(pl.pos))), 3), tol);
    ASSERT_TRUE(out.rot == other.rot / pl.rot);

    // Motion: translate_local, rotate_global, rotate_local.
    const quat_t q = random_unit_quat(rng);
    placement_t t = pl;
    t.translate_local(p);
    ASSERT_LE(max_diff(t.pos, world, 3), tol);
    t = pl;
    t.rotate_global(q);
    ASSERT_LE(max_diff(t.pos, rot(q, to_d(pl.pos)), 3), tol);
    ASSERT_TRUE(t.rot == pl.rot * q);
    t = pl;
    t.rotate_local(p, q);
    const d3 w = rot(pl.rot, to_d(p));
    ASSERT_LE(max_diff(t.pos, add(rot(q, sub(to_d(pl.pos), w)), w), 3), tol);
    ASSERT_TRUE(t.rot == pl.rot * q);

    // Interpolation: linear position, slerped rotation.
    const float f = uniform(rng, 0, 1);
    t.interpolate(pl, other, f);
    quat_t s;
    s.slerp(pl.rot, other.rot, f);
    ASSERT_LE(max_diff(t.pos, add(scale(to_d(pl.pos), 1 - f), scale(to_d(other.pos), f)), 3), tol);
    ASSERT_TRUE(t.rot == s);
  }
}

TEST(Placement, ScaledPlacements) {
  std::mt19937 rng(82);
  for (int i = 0; i < 2000; ++i) {
    const quat_t q = random_unit_quat(rng);
    const vec3 pos = random_vec3(rng, -10, 10), p = random_vec3(rng, -10, 10);
    const vec3 s3{uniform(rng, 0.5f, 3), uniform(rng, 0.5f, 3), uniform(rng, 0.5f, 3)};
    const quarn::placement_scale_t ps{pos, s3.x, q};
    const quarn::placement_nonuniform_t pn{pos, s3, q};
    const double tol = 1e-4;
    // Matrix: scale along the local axes, rotate, translate.
    const d3 local_scaled{s3.x * p.x, s3.y * p.y, s3.z * p.z};
    mat4 m, inv;
    pn.compute_matrix(&m);
    ASSERT_LE(max_diff(dpoint(to_d(m), to_d(p)), add(rot(q, local_scaled), to_d(pos)), 3), tol);
    ASSERT_TRUE(pn.compute_inverse_matrix(&inv));
    ASSERT_LE(max_diff(dpoint(dmul(to_d(inv), to_d(m)), to_d(p)), to_d(p), 3), tol);
    ps.compute_matrix(&m);
    const d3 world = add(rot(q, scale(to_d(p), s3.x)), to_d(pos));
    ASSERT_LE(max_diff(dpoint(to_d(m), to_d(p)), world, 3), tol);
    ASSERT_TRUE(ps.compute_inverse_matrix(&inv));
    ASSERT_LE(max_diff(dpoint(dmul(to_d(inv), to_d(m)), to_d(p)), to_d(p), 3), tol);
    // Uniform vectors agree with the matrix and round-trip.
    ASSERT_LE(max_diff(ps.from_local_space(p), world, 3), tol);
    ASSERT_LE(max_diff(ps.to_local_space(ps.from_local_space(p)), to_d(p), 3), tol);
    placement_t out, back;
    ps.from_local_space(&out, {p, q});
    ps.to_local_space(&back, out);
    ASSERT_LE(max_diff(out.pos, world, 3), tol);
    ASSERT_LE(max_diff(back.pos, to_d(p), 3), tol);
    // Non-uniform vectors scale along the world axes after rotating.
    const d3 r = rot(q, to_d(p));
    ASSERT_LE(max_diff(pn.from_local_space(p),
                       add(d3{s3.x * r[0], s3.y * r[1], s3.z * r[2]}, to_d(pos)), 3),
              tol);
    ASSERT_LE(max_diff(pn.to_local_space(pn.from_local_space(p)), to_d(p), 3), tol);
  }
}

// Composition itself is checked on a random forest below.
TEST(TransformNode, AbsolutePlacementsAndCycles) {
  quarn::placement_node_t parent, child, grandchild;
  EXPECT_EQ(parent.get_state(), 1);
  child.set_parent(&parent);
  grandchild.set_parent(&child);
  EXPECT_EQ(grandchild.get_absolute().pos, (vec3{0, 0, 0}));
  // A change high up reaches the grandchild's next read.
  parent.set_relative({{3, 4, 5}, quat_t::zero});
  EXPECT_EQ(grandchild.get_state(), 0);
  EXPECT_EQ(grandchild.get_absolute().pos, (vec3{3, 4, 5}));
  // set_absolute under an unrotated parent stores pos − parent pos.
  child.set_absolute({{1, 1, 1}, quat_t::zero});
  EXPECT_EQ(child.get_relative().pos, (vec3{-2, -3, -4}));
  // A node cannot go under itself or its descendants.
  qxtest::capture_sink_t sink;
  parent.set_parent(&grandchild);
  EXPECT_EQ(parent.get_parent(), nullptr);
  EXPECT_EQ(sink.errors(), std::vector<std::string>{"[math] set_parent: a node cannot become a "
                                                    "child of itself or of its descendants"});
}

TEST(TransformNode, MoveCopyAndDestroy) {
  quarn::placement_node_t root, a, b, c, target;
  a.set_parent(&root);
  b.set_parent(&root);  // root's children: b, a
  c.set_parent(&b);
  b.set_relative({{1, 2, 3}, quat_t::zero});
  b.move_to(target);
  EXPECT_EQ(b.get_parent(), nullptr);
  EXPECT_EQ(b.get_first_child(), nullptr);
  EXPECT_EQ(b.get_next_sibling(), nullptr);
  EXPECT_EQ(root.get_first_child(), &target);
  EXPECT_EQ(target.get_next_sibling(), &a);
  EXPECT_EQ(target.get_parent(), &root);
  EXPECT_EQ(target.get_first_child(), &c);
  EXPECT_EQ(c.get_parent(), &target);
  EXPECT_EQ(c.get_absolute().pos, (vec3{1, 2, 3}));

  {
    quarn::placement_node_t copy(a);  // a child of root too, first in the list
    EXPECT_EQ(copy.get_parent(), &root);
    EXPECT_EQ(root.get_first_child(), &copy);
    EXPECT_EQ(copy.get_state(), 0);
  }
  EXPECT_EQ(root.get_first_child(), &target);  // the copy unlinked itself
  {
    quarn::placement_node_t parent;
    parent.set_relative({{5, 0, 0}, quat_t::zero});
    a.set_parent(&parent);
    a.set_relative({{1, 0, 0}, quat_t::zero});
    EXPECT_EQ(a.get_absolute().pos, (vec3{6, 0, 0}));
  }
  // The destroyed parent left `a` a root.
  EXPECT_EQ(a.get_parent(), nullptr);
  EXPECT_EQ(a.get_absolute().pos, (vec3{1, 0, 0}));
}

// A random forest, changed and re-read repeatedly, against a reference that
// recomputes every absolute placement from the roots.
TEST(TransformNode, RandomHierarchyStaysConsistent) {
  std::mt19937 rng(83);
  const int n = 300;
  std::vector<std::unique_ptr<quarn::matrix_node_t>> nodes;
  std::vector<int> parent(n, -1);
  for (int i = 0; i < n; ++i) {
    nodes.emplace_back(new quarn::matrix_node_t);
    if (i > 0 && rng() % 8 != 0) parent[i] = int(rng() % i);
    if (parent[i] >= 0) nodes[i]->set_parent(nodes[parent[i]].get());
    nodes[i]->set_relative({random_vec3(rng, -2, 2), random_unit_quat(rng)});
  }
  for (int round = 0; round < 40; ++round) {
    for (int k = 0; k < 10; ++k) {  // a few changes, then reads
      const int i = int(rng() % n);
      if (rng() % 3 == 0 && i > 0) {
        parent[i] = rng() % 4 == 0 ? -1 : int(rng() % i);  // lower index: no cycles
        nodes[i]->set_parent(parent[i] < 0 ? nullptr : nodes[parent[i]].get());
      } else {
        nodes[i]->set_relative({random_vec3(rng, -2, 2), random_unit_quat(rng)});
      }
    }
    std::vector<d3> pos(n);
    std::vector<quat_t> r(n);
    for (int i = 0; i < n; ++i) {
      const placement_t& rel = nodes[i]->get_relative();
      if (parent[i] < 0)
        pos[i] = to_d(rel.pos), r[i] = rel.rot;
      else
        compose(pos[parent[i]], r[parent[i]], rel, &pos[i], &r[i]);
    }
    for (int k = 0; k < 30; ++k) {
      const int i = int(rng() % n);
      const placement_t& abs = nodes[i]->get_absolute();
      ASSERT_LE(max_diff(abs.pos, pos[i], 3), 1e-4) << i;
      ASSERT_LE(max_diff(&abs.rot.w, to_d(r[i]), 4), 1e-5) << i;
      mat4 m;
      abs.compute_matrix(&m);
      ASSERT_EQ(0, std::memcmp(nodes[i]->get_matrix().m, m.m, sizeof m.m));
      ASSERT_EQ(nodes[i]->get_state(), 2);
    }
  }
  // Children before parents, so no destructor walks a large subtree.
  while (!nodes.empty()) nodes.pop_back();
}

TEST(TransformNode, DeepChainsNeedNoRecursion) {
  const int depth = 100000;
  std::unique_ptr<quarn::placement_node_t[]> chain(new quarn::placement_node_t[depth]);
  for (int i = 1; i < depth; ++i) {
    chain[i].set_parent(&chain[i - 1]);
    chain[i].set_relative({{1, 0, 0}, quat_t::zero});
  }
  EXPECT_EQ(chain[depth - 1].get_absolute().pos, (vec3{depth - 1.0f, 0, 0}));
  chain[0].set_relative({{0, 5, 0}, quat_t::zero});  // marks the whole chain
  EXPECT_EQ(chain[depth - 1].get_state(), 0);
  EXPECT_EQ(chain[depth - 1].get_absolute().pos, (vec3{depth - 1.0f, 5, 0}));
}

TEST(Axial, InverseFollowsEveryOperation) {
  std::mt19937 rng(84);
  for (int i = 0; i < 300; ++i) {
    quarn::axial_t ax;
    dmat ref = to_d(ax.m);
    for (int step = 0; step < 12; ++step) {
      const vec3 v = random_vec3(rng, -3, 3);
      const quat_t q = random_unit_quat(rng);
      mat4 x;  // the elementary transform that acts first
      switch (rng() % 6) {
        case 0:
          ax.translate(v), x = {{1, 0, 0, v.x, 0, 1, 0, v.y, 0, 0, 1, v.z, 0, 0, 0, 1}};
          break;
        case 1:
          ax.neg_translate(v), x = {{1, 0, 0, -v.x, 0, 1, 0, -v.y, 0, 0, 1, -v.z, 0, 0, 0, 1}};
          break;
        case 2:
          ax.qrotate(q), q.get_matrix(&x);
          break;
        case 3:
          ax.neg_qrotate(q), q.get_imatrix(&x);
          break;
        case 4: {
          const vec3 s{uniform(rng, 0.5f, 2), uniform(rng, 0.5f, 2), uniform(rng, 0.5f, 2)};
          ax.scale(s), x = {{s.x, 0, 0, 0, 0, s.y, 0, 0, 0, 0, s.z, 0, 0, 0, 0, 1}};
          break;
        }
        default: {
          const vec3 ypr = random_vec3(rng, -180, 180);
          ax.rotate(ypr);
          quat_t e;
          e.set_ypr(ypr);
          e.get_matrix(&x);
        }
      }
      ref = dmul(ref, to_d(x));
    }
    ASSERT_LE(max_diff(ax.m.m, ref, 16), 1e-3);
    ASSERT_LE(max_diff(dmul(to_d(ax.m), to_d(ax.inv)), DIDENTITY, 16), 1e-3);
    // The identity rotation changes nothing.
    const quarn::axial_t before = ax;
    ax.qrotate(quat_t::zero);
    ax.neg_qrotate(quat_t::zero);
    ASSERT_EQ(0, std::memcmp(&before, &ax, sizeof ax));
  }
}

TEST(Axial, FramesFromOneAxis) {
  std::mt19937 rng(85);
  bool (quarn::axial_t::*setters[3])(const vec3&) = {&quarn::axial_t::set_x, &quarn::axial_t::set_y,
                                                     &quarn::axial_t::set_z};
  for (int i = 0; i < 3000; ++i) {
    vec3 v = random_vec3(rng, -5, 5);
    if (i % 5 == 0) v = {0, 0, 0}, v[i % 3] = uniform(rng, 0.1f, 2);  // along an axis
    const int named = i % 3;
    quarn::axial_t ax;
    ax.translate({1, 2, 3});
    ASSERT_TRUE((ax.*setters[named])(v));
    const d3 unit = scale(to_d(v), 1 / norm(to_d(v)));
    d3 rows[3];
    for (int r = 0; r < 3; ++r) rows[r] = {ax.m.m[4 * r], ax.m.m[4 * r + 1], ax.m.m[4 * r + 2]};
    ASSERT_LE(max_diff(rows[named], unit, 3), 2 * EPS);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) ASSERT_NEAR(dot(rows[r], rows[c]), r == c ? 1 : 0, 4 * EPS);
    ASSERT_NEAR(dot(cross(rows[0], rows[1]), rows[2]), 1, 4 * EPS);  // right-handed
    ASSERT_EQ(ax.m.m[3], 0.0f);                                      // translation dropped
    ASSERT_TRUE(is_transpose(ax.inv, ax.m));
  }
  quarn::axial_t ax;
  const quarn::axial_t before = ax;
  EXPECT_FALSE(ax.set_x({0, 0, 0}));
  EXPECT_FALSE(ax.set_y({std::nanf(""), 0, 0}));
  EXPECT_EQ(0, std::memcmp(&before, &ax, sizeof ax));
}

}  // namespace
