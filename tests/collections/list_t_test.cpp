// list_t<T> beside std::list, across several 1024-node blocks, with an
// element type that owns heap memory.
#include <gtest/gtest.h>

#include <iterator>
#include <list>
#include <random>
#include <string>

#include "qxcore/collections/list.h"
#include "qxcore/strings/string_dyn.h"
#include "tests/support/counting_hooks.h"

namespace {

using text_t = quarn::string_dyn_t<>;

TEST(ListT, RandomOperationsMatchStdList) {
  auto before = qxtest::allocation_stats();
  {
    quarn::list_t<text_t> list;
    std::list<std::string> model;
    std::mt19937 rng(12);
    for (int step = 0; step < 9000; ++step) {
      std::size_t n = model.size();
      std::size_t k = n ? rng() % (n + 1) : 0;
      auto ours = list.begin();
      std::advance(ours, k);
      auto theirs = std::next(model.begin(), k);
      if (rng() % 3 != 0 || n == 0) {
        std::string s = "n" + std::to_string(step);
        auto inserted = list.insert(ours, text_t(s.c_str()));
        ASSERT_STREQ((*inserted).c_str(), s.c_str());
        model.insert(theirs, s);
      } else if (k < n) {
        auto after = list.erase(ours);
        auto model_after = model.erase(theirs);
        ASSERT_EQ(after == list.end(), model_after == model.end());
      }
      ASSERT_EQ(list.size(), model.size());
    }
    ASSERT_GT(model.size(), 2048u);  // more than two blocks' worth
    auto expected = model.begin();
    for (const text_t& value : list) ASSERT_STREQ(value.c_str(), (expected++)->c_str());
    auto backward = model.rbegin();
    for (auto it = --list.end();; --it) {
      ASSERT_STREQ(it->c_str(), (backward++)->c_str());
      if (it == list.begin()) break;
    }
    EXPECT_EQ(list.front(), quarn::string_alias_t(model.front().c_str()));
    EXPECT_EQ(list.back(), quarn::string_alias_t(model.back().c_str()));
    list.clear();
    EXPECT_TRUE(list.empty());
  }
  EXPECT_EQ(qxtest::allocation_stats().live, before.live);
}

TEST(ListT, NodesComeInBlocksOf1024AndAreReused) {
  auto live_before = qxtest::allocation_stats().live;
  quarn::list_t<int> list;
  for (int i = 0; i < 1024; ++i) list.push_back(i);
  EXPECT_EQ(qxtest::allocation_stats().live - live_before, 1u);
  list.push_front(-1);
  EXPECT_EQ(qxtest::allocation_stats().live - live_before, 2u);
  for (int i = 0; i < 500; ++i) list.erase(list.begin());
  for (int i = 0; i < 500; ++i) list.push_back(i);
  EXPECT_EQ(qxtest::allocation_stats().live - live_before, 2u);
  EXPECT_EQ(list.size(), 1025u);
  EXPECT_EQ(list.front(), 499);

  // A list created by the library's new is released by the host's delete
  // through the scalar pair.
  auto* owned = new quarn::list_t<int>;
  EXPECT_TRUE(qxtest::is_scalar_block(owned));
  owned->push_back(1);
  delete owned;
}

}  // namespace
