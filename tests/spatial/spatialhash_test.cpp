// The spatial hash against a brute-force list: long random sequences of
// insert, update, remove and query with boxes of every size class, the query
// result compared with a scan of all boxes after every query (with unit
// cells near the origin, many moves go between cells that share a bucket).
// Worked cases and refused memory come first.
#include "qxcore/spatial/spatialhash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using quarn::spatialhash_t;
using vec3 = quarn::vec_t<float, 3>;
using objects_t = std::vector<void*>;

struct box_t {
  vec3 min, max;
};

char objects[512];  // distinct addresses, in address order
void* object(int i) { return &objects[i]; }

objects_t listed(const quarn::vptrlist_t& list) {
  objects_t v;
  for (quarn::vptrlist_node_t* n : list) v.push_back(n->ptr);
  return v;
}

// The cell hash, byte by byte: 12 little-endian bytes, h = 2h + b
// with b signed, modulo the bucket count.
unsigned int reference_bucket(int x, int y, int z, unsigned int buckets) {
  unsigned char bytes[12];
  std::memcpy(bytes, &x, 4), std::memcpy(bytes + 4, &y, 4), std::memcpy(bytes + 8, &z, 4);
  std::uint32_t h = 0;
  for (unsigned char b : bytes) h = h * 2 + static_cast<std::uint32_t>(static_cast<std::int8_t>(b));
  return h % buckets;
}

std::string text(const char* format, void* p) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, p);
  return buffer;
}

TEST(SpatialHash, LevelsCellsAndBuckets) {
  spatialhash_t grid;
  ASSERT_EQ(grid.level_count(), 4u);
  const int sizes[] = {102400, 12800, 1600, 200};
  const unsigned int buckets[] = {1021, 4093, 16381, 65537};
  const vec3 points[] = {{0, 0, 0}, {-250, 1e6f, 77}, {3e9f, -3e9f, 450}, {12345, -67, 8}};
  for (unsigned int k = 0; k < 4; ++k) {
    EXPECT_EQ(grid.level(k).cell_size[0], sizes[k]);
    EXPECT_EQ(grid.level(k).bucket_count, buckets[k]);
    for (const vec3& p : points) {
      const auto c = grid.cell_of(k, p);
      EXPECT_EQ(grid.bucket_of(k, p), reference_bucket(c.x, c.y, c.z, buckets[k]));
    }
  }
  // Division toward zero: −150 and 150 share cell 0 of the 200 level.
  const float xs[] = {-150, 150, -199, -199.5f, -250, 200, -401};
  const int cells[] = {0, 0, 0, -1, -1, 1, -2};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(grid.cell_of(3, {xs[i], 0, 0}).x, cells[i]) << xs[i];

  // 500 / 200 = 2.5 cells fits the finest level, 700 / 200 = 3.5 does not;
  // a larger box keeps the level on update, and insert chooses again.
  grid.insert({0, 0, 0}, {500, 10, 10}, object(1));
  grid.insert({0, 0, 0}, {10, 700, 10}, object(2));
  EXPECT_EQ(grid.object_level(object(1)), 3);
  EXPECT_EQ(grid.object_level(object(2)), 2);
  EXPECT_EQ(grid.object_level(object(3)), -1);
  EXPECT_TRUE(grid.update(object(1), {0, 0, 0}, {5000, 10, 10}));
  EXPECT_EQ(grid.object_level(object(1)), 3);
  grid.insert({0, 0, 0}, {5000, 10, 10}, object(1));
  EXPECT_EQ(grid.object_level(object(1)), 1);
  EXPECT_EQ(grid.record_count(), 2u);

  // Level counts, mod 5: five (asked for or given as sizes) give none, seven
  // sizes two levels.
  const float five[] = {1000, 100, 10, 5, 1, 0}, two[] = {64, 8, 0, 4}, negative[] = {-1, 10},
              seven[] = {700, 600, 500, 400, 300, 200, 100, -1};
  const spatialhash_t counted[] = {
      {200.0f, 8.0f, 5, 3.0f}, {200.0f, 8.0f, 6, 3.0f}, {five, 3.0f}, {two, 3.0f},
      {negative, 3.0f},        {0.0f, 8.0f, 3, 3.0f},   {seven, 3.0f}};
  const unsigned int levels[] = {0, 1, 0, 2, 0, 0, 2};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(counted[i].level_count(), levels[i]) << i;
  EXPECT_EQ(counted[3].level(1).bucket_count, 65537u);  // the finest of two
  EXPECT_EQ(counted[6].level(1).cell_size[0], 600);
}

TEST(SpatialHash, QueryCases) {
  spatialhash_t grid;
  const vec3 everywhere{1e30f, 1e30f, 1e30f};
  EXPECT_TRUE(grid.query(-everywhere, everywhere).empty());
  grid.insert({-300, -300, -300}, {-100, -100, -100}, object(1));
  grid.insert({100, 100, 100}, {150, 150, 150}, object(2));
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    const char* what;
    box_t q;
    objects_t expected;
  } cases[] = {
      {"corners as (max, min)", {{-100, -100, -100}, {-300, -300, -300}}, {object(1)}},
      {"face contact", {{-100, -200, -200}, {0, 0, 0}}, {object(1)}},
      {"corner contact", {{150, 150, 150}, {1000, 1000, 1000}}, {object(2)}},
      {"a gap", {{-99.9f, -99.9f, -99.9f}, {99.9f, 99.9f, 99.9f}}, {}},
      {"outside the bounds", {{5000, 0, 0}, {6000, 10, 10}}, {}},
      {"everything", {{-inf, -inf, -inf}, {inf, inf, inf}}, {object(1), object(2)}},
  };
  for (const auto& c : cases) EXPECT_EQ(listed(grid.query(c.q.min, c.q.max)), c.expected) << c.what;
  // What update and remove return is checked by the scan below.
  EXPECT_TRUE(grid.update(object(2), {150, 150, 150}, {100, 100, 100}));  // the same box
  grid.remove(object(1));
  EXPECT_EQ(grid.bounds_min().x, -300);  // until recompute
  grid.recompute();
  EXPECT_EQ(grid.bounds_min().x, 100);
  grid.clear();
  EXPECT_EQ(grid.record_count(), 0u);
  EXPECT_TRUE(grid.query(-everywhere, everywhere).empty());
}

TEST(SpatialHash, BadInputAndRefusedMemory) {
  qxtest::capture_sink_t sink;
  spatialhash_t none(200.0f, 8.0f, 0, 3.0f);
  EXPECT_FALSE(none.insert({0, 0, 0}, {1, 1, 1}, object(1)));
  EXPECT_TRUE(none.query({0, 0, 0}, {1, 1, 1}).empty());
  EXPECT_FALSE(none.update(object(1), {0, 0, 0}, {1, 1, 1}) || none.remove(object(1)));

  // One level of unit cells: a box of thousands of cells goes to all 65537
  // buckets, more nodes than the shared pool has spare.
  const float unit[] = {1, 0}, tiny[] = {0.25f, 0};
  spatialhash_t grid(unit, 3.0f);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(grid.insert({0, nan, 0}, {1, 1, 1}, object(1)));
  grid.insert({0, 0, 0}, {10, 10, 10}, object(2));
  EXPECT_FALSE(grid.update(object(2), {0, 0, 0}, {1, 1, nan}));
  EXPECT_TRUE(grid.query({nan, 0, 0}, {1, 1, 1}).empty());
  const vec3 far{4e4f, 4e4f, 4e4f};
  {
    qxtest::allocation_failure_scope_t refuse(0);
    EXPECT_FALSE(grid.insert(-far, far, object(3)));
    EXPECT_FALSE(grid.update(object(2), -far, far));
  }
  EXPECT_EQ(grid.record_count(), 1u);
  EXPECT_EQ(listed(grid.query({5, 5, 5}, {6, 6, 6})), objects_t{object(2)});
  EXPECT_TRUE(grid.query({100, 100, 100}, {200, 200, 200}).empty());
  grid.cell_of(1, {0, 0, 0});
  EXPECT_EQ(spatialhash_t(tiny, 3.0f).level(0).cell_size[0], 1);

  EXPECT_EQ(
      sink.errors(),
      (std::vector<std::string>{
          text("[spatialhash] insert: the hash has no levels; object %p is not filed", object(1)),
          text("[spatialhash] insert: the box of object %p has a NaN coordinate", object(1)),
          text("[spatialhash] update: the box of object %p has a NaN coordinate", object(2)),
          "[spatialhash] query: the query box has a NaN coordinate",
          text("[spatialhash] out of memory filing object %p", object(3)),
          text("[spatialhash] out of memory filing object %p", object(2)),
          "[spatialhash] there is no level 1; the hash has 1"}));
  EXPECT_EQ(sink.warnings(), std::vector<std::string>{"[spatialhash] cell size 0.25 of level 0 "
                                                      "rounds to 0; cells of 1 are used"});
}

// Boxes of every size class: points, inside one cell, across cells, across
// levels and beyond the coarsest cells, on both sides of zero.
box_t random_box(std::mt19937& rng, float world, const std::vector<float>& extents) {
  std::uniform_real_distribution<float> pos(-world, world), unit(0, 1);
  const float size =
      extents[std::uniform_int_distribution<std::size_t>(0, extents.size() - 1)(rng)];
  box_t b;
  for (int i = 0; i < 3; ++i) b.min[i] = pos(rng), b.max[i] = b.min[i] + size * unit(rng);
  return b;
}

TEST(SpatialHash, AgainstABruteForceScan) {
  const float small_cells[] = {8, 2, 1, 0};
  struct {
    spatialhash_t grid, fresh;
    float world;
    std::vector<float> extents;
  } setups[] = {
      {{}, {}, 400000, {0, 150, 600, 5000, 40000, 300000, 3e8f}},
      // Whole-unit cells near the origin: many cells share buckets, and large
      // boxes cover more cells than the coarse level has buckets.
      {{small_cells, 2.0f}, {small_cells, 2.0f}, 40, {0, 0.7f, 3, 12, 60, 400}},
  };
  for (std::size_t s = 0; s < 2; ++s) {
    spatialhash_t &grid = setups[s].grid, &fresh = setups[s].fresh;
    std::mt19937 rng(1 + s);
    std::map<void*, box_t> model;
    for (int step = 0; step < 15000; ++step) {
      void* obj = object(std::uniform_int_distribution<int>(0, 299)(rng));
      const int what = std::uniform_int_distribution<int>(0, 99)(rng);
      box_t b = random_box(rng, setups[s].world, setups[s].extents);
      if (what < 30) {
        // Corners in either order; an object filed again moves to the box
        // and level a fresh insertion would give it.
        ASSERT_TRUE(what < 6 ? grid.insert(b.max, b.min, obj) : grid.insert(b.min, b.max, obj));
        model[obj] = b;
        if (what == 0) {
          fresh.clear();
          fresh.insert(b.min, b.max, obj);
          ASSERT_EQ(grid.object_level(obj), fresh.object_level(obj));
        }
      } else if (what < 55) {
        // Mostly small moves, so old and new cells overlap.
        if (model.count(obj)) b = model[obj];
        const float shift =
            setups[s].extents[1] * std::uniform_real_distribution<float>(-1, 1)(rng);
        b.min.x += shift, b.max.x += shift, b.max.y += std::abs(shift);
        ASSERT_EQ(grid.update(obj, b.min, b.max), model.count(obj) == 1) << step;
        if (model.count(obj)) model[obj] = b;
      } else if (what < 65) {
        ASSERT_EQ(grid.remove(obj), model.erase(obj) == 1) << step;
      } else if (what == 65) {
        grid.recompute();
      } else {
        objects_t hits;  // every box that touches b, in address order (std::map's)
        for (const auto& [o, m] : model)
          if (m.min.x <= b.max.x && m.max.x >= b.min.x && m.min.y <= b.max.y &&
              m.max.y >= b.min.y && m.min.z <= b.max.z && m.max.z >= b.min.z)
            hits.push_back(o);
        ASSERT_EQ(listed(grid.query(b.min, b.max)), hits) << "setup " << s << " step " << step;
      }
    }
    ASSERT_EQ(grid.record_count(), model.size());
    grid.clear();
  }
}

}  // namespace
