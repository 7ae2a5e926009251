// The spatial hash against a brute-force list: long random sequences of
// insert, update, remove and query with boxes of every size class, and the
// query result compared with a scan of all boxes after every query. Designed
// cases, the shared-bucket move and refused memory come first.
#include "qxcore/spatial/spatialhash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

struct box_t {
  vec3 min, max;
};

// Distinct object addresses.
char objects[512];
void* object(int i) { return &objects[i]; }

std::vector<void*> listed(const quarn::vptrlist_t& list) {
  std::vector<void*> v;
  for (quarn::vptrlist_node_t* n : list) v.push_back(n->ptr);
  return v;
}

// Every box that touches q (closed boxes), in address order.
std::vector<void*> scan(const std::map<void*, box_t>& boxes, const box_t& q) {
  std::vector<void*> hits;
  for (const auto& [obj, b] : boxes) {
    bool touch = true;
    for (int i = 0; i < 3; ++i)
      touch = touch && b.min[i] <= std::max(q.min[i], q.max[i]) &&
              b.max[i] >= std::min(q.min[i], q.max[i]);
    if (touch) hits.push_back(obj);
  }
  std::sort(hits.begin(), hits.end(), [](void* a, void* b) {
    return reinterpret_cast<std::uintptr_t>(a) < reinterpret_cast<std::uintptr_t>(b);
  });
  return hits;
}

// The designed cell hash, byte by byte: 12 little-endian bytes, h = 2h + b
// with b signed, modulo the bucket count.
unsigned int reference_bucket(int x, int y, int z, unsigned int buckets) {
  unsigned char bytes[12];
  std::memcpy(bytes, &x, 4), std::memcpy(bytes + 4, &y, 4), std::memcpy(bytes + 8, &z, 4);
  std::uint32_t h = 0;
  for (unsigned char b : bytes) h = h * 2 + static_cast<std::uint32_t>(static_cast<std::int8_t>(b));
  return h % buckets;
}

TEST(SpatialHash, DesignedLevelsAndCells) {
  spatialhash_t grid;
  ASSERT_EQ(grid.level_count(), 4u);
  const int sizes[] = {102400, 12800, 1600, 200};
  const unsigned int buckets[] = {1021, 4093, 16381, 65537};
  for (unsigned int k = 0; k < 4; ++k) {
    EXPECT_EQ(grid.level(k).cell_size[0], sizes[k]);
    EXPECT_EQ(grid.level(k).bucket_count, buckets[k]);
  }
  // Truncating division: −150 and 150 share cell 0 of the 200 level.
  struct {
    float x;
    int cell;
  } cells[] = {{-150, 0}, {150, 0}, {-199, 0}, {-199.5f, -1}, {-250, -1}, {200, 1}, {-401, -2}};
  for (const auto& c : cells) EXPECT_EQ(grid.cell_of(3, {c.x, 0, 0}).x, c.cell) << c.x;
  // The bucket of a cell is the designed byte-wise hash.
  const vec3 points[] = {{0, 0, 0}, {-250, 1e6f, 77}, {3e9f, -3e9f, 450}, {12345, -67, 8}};
  for (const vec3& p : points)
    for (unsigned int k = 0; k < 4; ++k) {
      const auto c = grid.cell_of(k, p);
      EXPECT_EQ(grid.bucket_of(k, p), reference_bucket(c.x, c.y, c.z, buckets[k]));
    }

  // 500 / 200 = 2.5 cells fits the finest level; 700 / 200 = 3.5 does not.
  grid.insert({0, 0, 0}, {500, 10, 10}, object(1));
  grid.insert({0, 0, 0}, {10, 700, 10}, object(2));
  EXPECT_EQ(grid.object_level(object(1)), 3);
  EXPECT_EQ(grid.object_level(object(2)), 2);
  EXPECT_EQ(grid.object_level(object(3)), -1);
  // A larger box keeps the level on update; insert chooses again.
  EXPECT_TRUE(grid.update(object(1), {0, 0, 0}, {5000, 10, 10}));
  EXPECT_EQ(grid.object_level(object(1)), 3);
  grid.insert({0, 0, 0}, {5000, 10, 10}, object(1));
  EXPECT_EQ(grid.object_level(object(1)), 1);
  EXPECT_EQ(grid.record_count(), 2u);
}

TEST(SpatialHash, ConstructorsCountLevels) {
  const float five[] = {1000, 100, 10, 5, 1}, two[] = {64, 8, 0, 4}, none[] = {-1, 10};
  struct {
    const char* what;
    spatialhash_t grid;
    unsigned int levels;
  } cases[] = {
      {"five levels asked", {200.0f, 8.0f, 5, 3.0f}, 0},
      {"six is six mod 5", {200.0f, 8.0f, 6, 3.0f}, 1},
      {"five sizes", {five, 3.0f}, 0},
      {"stops at the first non-positive", {two, 3.0f}, 2},
      {"negative first", {none, 3.0f}, 0},
      {"zero cell size", {0.0f, 8.0f, 3, 3.0f}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.grid.level_count(), c.levels) << c.what;
  EXPECT_EQ(cases[3].grid.level(1).bucket_count, 65537u);  // finest of two
  EXPECT_EQ(cases[3].grid.level(0).bucket_count, 16381u);
}

TEST(SpatialHash, DesignedQueries) {
  spatialhash_t grid;
  EXPECT_TRUE(grid.query({-1e30f, -1e30f, -1e30f}, {1e30f, 1e30f, 1e30f}).empty());
  grid.insert({-300, -300, -300}, {-100, -100, -100}, object(1));
  grid.insert({100, 100, 100}, {150, 150, 150}, object(2));
  const float inf = std::numeric_limits<float>::infinity();
  struct {
    const char* what;
    box_t q;
    std::vector<void*> expected;
  } cases[] = {
      {"corners as (max, min)", {{-100, -100, -100}, {-300, -300, -300}}, {object(1)}},
      {"face contact", {{-100, -200, -200}, {0, 0, 0}}, {object(1)}},
      {"corner contact", {{150, 150, 150}, {1000, 1000, 1000}}, {object(2)}},
      {"a gap", {{-99.9f, -99.9f, -99.9f}, {99.9f, 99.9f, 99.9f}}, {}},
      {"outside the bounds", {{5000, 0, 0}, {6000, 10, 10}}, {}},
      {"everything", {{-inf, -inf, -inf}, {inf, inf, inf}}, {object(1), object(2)}},
  };
  for (const auto& c : cases) EXPECT_EQ(listed(grid.query(c.q.min, c.q.max)), c.expected) << c.what;

  // An identical update changes nothing; unknown objects are refused.
  EXPECT_TRUE(grid.update(object(2), {150, 150, 150}, {100, 100, 100}));
  EXPECT_FALSE(grid.update(object(3), {0, 0, 0}, {1, 1, 1}));
  EXPECT_FALSE(grid.remove(object(3)));
  // Removal leaves the bounds until recompute.
  EXPECT_TRUE(grid.remove(object(1)));
  EXPECT_FALSE(grid.remove(object(1)));
  EXPECT_EQ(grid.bounds_min().x, -300);
  grid.recompute();
  EXPECT_EQ(grid.bounds_min().x, 100);
  EXPECT_TRUE(grid.query({-300, -300, -300}, {-100, -100, -100}).empty());
  grid.clear();
  EXPECT_EQ(grid.record_count(), 0u);
  EXPECT_TRUE(grid.query({100, 100, 100}, {150, 150, 150}).empty());
  EXPECT_FALSE(grid.remove(object(2)));
}

TEST(SpatialHash, BadInputIsReported) {
  qxtest::capture_sink_t sink;
  spatialhash_t none(200.0f, 8.0f, 0, 3.0f);
  EXPECT_FALSE(none.insert({0, 0, 0}, {1, 1, 1}, object(1)));
  EXPECT_TRUE(none.query({0, 0, 0}, {1, 1, 1}).empty());
  EXPECT_FALSE(none.update(object(1), {0, 0, 0}, {1, 1, 1}));
  EXPECT_FALSE(none.remove(object(1)));

  spatialhash_t grid;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(grid.insert({0, nan, 0}, {1, 1, 1}, object(1)));
  grid.insert({0, 0, 0}, {1, 1, 1}, object(2));
  EXPECT_FALSE(grid.update(object(2), {0, 0, 0}, {1, 1, nan}));
  EXPECT_TRUE(grid.query({nan, 0, 0}, {1, 1, 1}).empty());
  EXPECT_EQ(listed(grid.query({0, 0, 0}, {1, 1, 1})), std::vector<void*>{object(2)});
  grid.cell_of(4, {0, 0, 0});

  const float tiny[] = {0.25f, 0};
  spatialhash_t fine(tiny, 3.0f);
  EXPECT_EQ(fine.level(0).cell_size[0], 1);

  char text[4][160];
  std::snprintf(text[0], sizeof text[0],
                "[spatialhash] insert: the hash has no levels; object %p is not filed", object(1));
  std::snprintf(text[1], sizeof text[1],
                "[spatialhash] insert: the box of object %p has a NaN coordinate", object(1));
  std::snprintf(text[2], sizeof text[2],
                "[spatialhash] update: the box of object %p has a NaN coordinate", object(2));
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{text[0], text[1], text[2],
                                      "[spatialhash] query: the query box has a NaN coordinate",
                                      "[spatialhash] there is no level 4; the hash has 4"}));
  EXPECT_EQ(sink.warnings(), std::vector<std::string>{
                                 "[spatialhash] cell size 0.25 of level 0 rounds to 0; cells of 1 "
                                 "are used"});
}

TEST(SpatialHash, MoveBetweenCellsThatShareABucket) {
  // Cells (1, 0, 0) and (0, 16, 0) hash alike: 1·2^11 = 16·2^7.
  const float unit[] = {1, 0};
  spatialhash_t grid(unit, 3.0f);
  ASSERT_EQ(reference_bucket(1, 0, 0, 65537), reference_bucket(0, 16, 0, 65537));
  ASSERT_EQ(grid.bucket_of(0, {1.5f, 0.5f, 0.5f}), grid.bucket_of(0, {0.5f, 16.5f, 0.5f}));
  struct {
    const char* what;
    box_t from, to;
  } cases[] = {
      // Leaves (1,0,0) for (0,16,0): the bucket it leaves is the one it enters.
      {"one cell to its twin",
       {{1.2f, 0.2f, 0.2f}, {1.8f, 0.8f, 0.8f}},
       {{0.2f, 16.2f, 0.2f}, {0.8f, 16.8f, 0.8f}}},
      // Keeps (0,16,0) covered while leaving (1,0,0) behind.
      {"shrinks away from the twin",
       {{0.2f, 0.2f, 0.2f}, {1.8f, 16.8f, 0.8f}},
       {{0.2f, 15.2f, 0.2f}, {0.8f, 16.8f, 0.8f}}},
  };
  for (const auto& c : cases) {
    grid.clear();
    ASSERT_TRUE(grid.insert(c.from.min, c.from.max, object(1)));
    ASSERT_TRUE(grid.update(object(1), c.to.min, c.to.max));
    EXPECT_EQ(listed(grid.query({0.5f, 16.5f, 0.5f}, {0.5f, 16.5f, 0.5f})),
              std::vector<void*>{object(1)})
        << c.what;
    EXPECT_TRUE(grid.query({1.5f, 0.5f, 0.5f}, {1.5f, 0.5f, 0.5f}).empty()) << c.what;
  }
}

TEST(SpatialHash, RefusedMemoryChangesNothing) {
  // One level of unit cells: a box of thousands of cells goes to all 65537
  // buckets, far more nodes than earlier tests left in the shared pool.
  const float unit[] = {1, 0};
  spatialhash_t grid(unit, 3.0f);
  grid.insert({0, 0, 0}, {10, 10, 10}, object(1));
  qxtest::capture_sink_t sink;
  const vec3 far{4e4f, 4e4f, 4e4f};
  {
    qxtest::allocation_failure_scope_t refuse(0);
    EXPECT_FALSE(grid.insert(-far, far, object(2)));
    EXPECT_FALSE(grid.update(object(1), -far, far));
  }
  char text[2][100];
  std::snprintf(text[0], sizeof text[0], "[spatialhash] out of memory filing object %p", object(2));
  std::snprintf(text[1], sizeof text[1], "[spatialhash] out of memory filing object %p", object(1));
  EXPECT_EQ(sink.errors(), (std::vector<std::string>{text[0], text[1]}));
  EXPECT_EQ(grid.record_count(), 1u);
  EXPECT_EQ(listed(grid.query({5, 5, 5}, {6, 6, 6})), std::vector<void*>{object(1)});
  EXPECT_TRUE(grid.query({100, 100, 100}, {200, 200, 200}).empty());
}

// Boxes of every size class: points, inside one cell, across cells, across
// levels, and larger than the coarsest cells, on both sides of zero.
box_t random_box(std::mt19937& rng, float world, const float* extents, int classes) {
  std::uniform_real_distribution<float> pos(-world, world), unit(0, 1);
  const float size = extents[std::uniform_int_distribution<int>(0, classes - 1)(rng)];
  box_t b;
  for (int i = 0; i < 3; ++i) {
    b.min[i] = pos(rng);
    b.max[i] = b.min[i] + size * unit(rng);
  }
  if (unit(rng) < 0.2f) std::swap(b.min, b.max);  // corners in either order
  return b;
}

void run_against_scan(spatialhash_t& grid, float world, const float* extents, int classes,
                      unsigned seed) {
  std::mt19937 rng(seed);
  std::map<void*, box_t> model;
  std::uniform_int_distribution<int> pick(0, 299), op(0, 99);
  for (int step = 0; step < 20000; ++step) {
    void* obj = object(pick(rng));
    const int what = op(rng);
    if (what < 30) {
      const box_t b = random_box(rng, world, extents, classes);
      ASSERT_TRUE(grid.insert(b.min, b.max, obj));
      model[obj] = {
          {std::min(b.min.x, b.max.x), std::min(b.min.y, b.max.y), std::min(b.min.z, b.max.z)},
          {std::max(b.min.x, b.max.x), std::max(b.min.y, b.max.y), std::max(b.min.z, b.max.z)}};
    } else if (what < 55) {
      // Small moves mostly, so cell ranges overlap and buckets are shared.
      box_t b = model.count(obj) ? model[obj] : random_box(rng, world, extents, classes);
      const float shift = extents[1] * std::uniform_real_distribution<float>(-1, 1)(rng);
      b.min.x += shift, b.max.x += shift, b.max.y += std::abs(shift);
      ASSERT_EQ(grid.update(obj, b.min, b.max), model.count(obj) == 1) << step;
      if (model.count(obj)) model[obj] = b;
    } else if (what < 65) {
      ASSERT_EQ(grid.remove(obj), model.erase(obj) == 1) << step;
    } else if (what < 66) {
      grid.recompute();
    } else {
      const box_t q = random_box(rng, world, extents, classes);
      ASSERT_EQ(listed(grid.query(q.min, q.max)), scan(model, q)) << "step " << step;
    }
  }
  ASSERT_EQ(grid.record_count(), model.size());
  grid.clear();
  ASSERT_TRUE(grid.query({-1e30f, -1e30f, -1e30f}, {1e30f, 1e30f, 1e30f}).empty());
}

TEST(SpatialHash, DefaultGridAgainstABruteForceScan) {
  spatialhash_t grid;
  const float extents[] = {0, 150, 600, 5000, 40000, 300000, 3e8f};
  run_against_scan(grid, 400000, extents, 7, 1);
}

TEST(SpatialHash, SmallCellsWithManySharedBucketsAgainstABruteForceScan) {
  // Whole-unit cells around the origin: coordinates of a few bytes make many
  // cells share buckets, and large boxes cover more cells than there are
  // buckets on the coarse level.
  const float sizes[] = {8, 2, 1, 0};
  spatialhash_t grid(sizes, 2.0f);
  const float extents[] = {0, 0.7f, 3, 12, 60, 400};
  run_against_scan(grid, 40, extents, 6, 2);
}

TEST(SpatialHash, ReinsertionChoosesTheLevelOfAFreshInsertion) {
  std::mt19937 rng(3);
  const float extents[] = {0, 150, 600, 5000, 40000};
  spatialhash_t grid, fresh;
  for (int i = 0; i < 500; ++i) {
    const box_t b = random_box(rng, 50000, extents, 5);
    grid.insert(b.min, b.max, object(i % 20));
    fresh.clear();
    fresh.insert(b.min, b.max, object(i % 20));
    ASSERT_EQ(grid.object_level(object(i % 20)), fresh.object_level(object(i % 20)));
  }
  EXPECT_EQ(grid.record_count(), 20u);
}

}  // namespace
