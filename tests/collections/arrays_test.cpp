// Arrays: the designed growth, the checks and their exact reports, removal
// during a forward loop, and random operations beside a literal model of the
// designed storage with an element type that owns heap memory (so a missed
// destructor is a leak).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/collections/arrays/array_fixed.h"
#include "qxcore/strings/string_dyn.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using text_t = quarn::string_dyn_t<>;

TEST(Arrays, GrowthFollowsCapacityTimesTwoPlusTwo) {
  quarn::array_dyn_t<int> a;
  std::vector<unsigned int> capacities;
  for (int i = 0; i < 62; ++i) {
    ASSERT_TRUE(a.push_back(i));
    if (capacities.empty() || capacities.back() != a.capacity()) capacities.push_back(a.capacity());
  }
  EXPECT_EQ(capacities, (std::vector<unsigned int>{2, 6, 14, 30, 62}));
  EXPECT_EQ(qxtest::block_size(a.data()), 62 * sizeof(int));
  EXPECT_FALSE(qxtest::is_scalar_block(a.data()));
  for (int i = 0; i < 62; ++i) EXPECT_EQ(a[i], i);

  a.resize(10);
  a.trim();  // gives the spare room back
  EXPECT_EQ(a.capacity(), 10u);
  EXPECT_EQ(a[9], 9);
  a.clear();
  a.trim();
  EXPECT_EQ(a.capacity(), 0u);
  EXPECT_EQ(a.data(), nullptr);
}

TEST(Arrays, ChecksReportAndNeverReachOutsideTheStorage) {
  qxtest::capture_sink_t sink;
  quarn::array_fixed_t<int, 4> a;
  a.push_back(7);
  a[1] = 99;       // index past the live elements: reported, lands in scratch
  a[100000] = 98;  // far past the storage
  int read = a[2];
  (void)read;
  auto before = a.begin() - 1;
  *before = 5;
  auto past = a.end();
  *past = 6;
  EXPECT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0], 7);
  const char* module = "collections/arrays/arrays_base_impl.h";
  std::string overflow =
      std::string(module) + ":1261: unknown fn: [array_t] boundary check failed - index overflow";
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{
                overflow, overflow, overflow,
                std::string(module) +
                    ":1277: unknown fn: [array_t] boundary check failed - iterator underflow",
                std::string(module) +
                    ":1281: unknown fn: [array_t] boundary check failed - iterator overflow"}));
}

TEST(Arrays, GrowthRefusedForWantOfRoomOrMemoryChangesNothing) {
  quarn::array_fixed_t<text_t, 3> fixed;
  EXPECT_TRUE(fixed.resize(3));
  EXPECT_FALSE(fixed.push_back(text_t("x")));
  EXPECT_FALSE(fixed.resize(4));
  EXPECT_EQ(fixed.size(), 3u);
  fixed[2] = quarn::string_alias_t("kept");
  EXPECT_TRUE(fixed.resize(1));  // only the count goes down
  EXPECT_EQ(fixed.size(), 1u);
  EXPECT_TRUE(fixed.resize(3));
  EXPECT_STREQ(fixed[2].c_str(), "kept");

  quarn::array_dyn_t<int> grown;
  grown.push_back(1);
  grown.push_back(2);
  qxtest::allocation_failure_scope_t refuse(0);
  EXPECT_FALSE(grown.push_back(3));
  EXPECT_FALSE(grown.resize(100));
  EXPECT_EQ(grown.size(), 2u);
  EXPECT_EQ(grown.capacity(), 2u);
  EXPECT_EQ(grown[1], 2);
}

TEST(Arrays, RemovalInAForwardLoopKeepsOrderAndVisitsEveryElement) {
  quarn::array_dyn_t<int> a;
  for (int i = 0; i < 10; ++i) a.push_back(i);
  std::vector<int> visited;
  for (auto it = a.begin(); it != a.end(); ++it) {
    visited.push_back(*it);
    if (*it % 3 == 0) it = a.remove(it);
  }
  EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(std::vector<int>(a.data(), a.data() + a.size()), (std::vector<int>{1, 2, 4, 5, 7, 8}));
  EXPECT_EQ(a.remove(0).index(), -1);  // the position before the first element
}

// The designed storage, literally: every slot of the buffer holds a value;
// shrinking lowers the count, a reallocation copies only the live elements,
// removal swaps a default value to the end of the live ones.
struct array_model_t {
  std::vector<std::string> slots;  // the buffer, capacity long
  unsigned int count = 0;
  void reserve(unsigned int n) {
    std::size_t capacity = slots.size();
    while (capacity < n) capacity = capacity * 2 + 2;
    slots.resize(count);
    slots.resize(capacity);
  }
  void resize(unsigned int n) {
    if (slots.size() < n) reserve(n);
    count = n;
  }
  void push_back(const std::string& value) {
    resize(count + 1);
    slots[count - 1] = value;
  }
  void remove(unsigned int i) {
    slots[i] = "";
    for (; i + 1 < count; ++i) std::swap(slots[i], slots[i + 1]);
    --count;
  }
};

TEST(Arrays, RandomOperationsMatchTheDesignedStorage) {
  quarn::array_dyn_t<text_t> a;
  array_model_t model;
  std::mt19937 rng(9);
  for (int step = 0; step < 5000; ++step) {
    unsigned int op = rng() % 5, i = model.count == 0 ? 0 : rng() % model.count;
    if (op == 3) {
      unsigned int n = rng() % 40;
      ASSERT_TRUE(a.resize(n));
      model.resize(n);
    } else if (op == 2 && model.count != 0) {
      a.remove(i);
      model.remove(i);
    } else if (op == 4 && model.count != 0) {  // an element appended from the array itself
      ASSERT_TRUE(a.push_back(a[i]));
      model.push_back(std::string(model.slots[i]));
    } else {
      model.push_back("v" + std::to_string(step));
      ASSERT_TRUE(a.push_back(text_t(model.slots[model.count - 1].c_str())));
    }
    ASSERT_EQ(a.size(), model.count);
    ASSERT_EQ(a.capacity(), model.slots.size());
    for (unsigned int i = 0; i < model.count; ++i)
      ASSERT_STREQ(a[i].c_str(), model.slots[i].c_str()) << step;
  }
  quarn::array_dyn_t<text_t> copy(a);  // its elements own copies of their own
  ASSERT_EQ(copy.size(), a.size());
  for (unsigned int i = 0; i < a.size(); ++i) {
    EXPECT_STREQ(copy[i].c_str(), model.slots[i].c_str());
    EXPECT_TRUE(model.slots[i].empty() || copy[i].c_str() != a[i].c_str()) << i;
  }
}

}  // namespace
