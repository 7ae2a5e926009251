// vptrlist_t and vdatalist_t driven through long random operation sequences
// beside a std::list model; contents, order (both directions) and counts are
// compared after every step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <list>
#include <random>
#include <vector>

#include "qxcore/collections/vdatalist.h"
#include "qxcore/collections/vptrlist.h"
#include "tests/support/capture_sink.h"

namespace {

using model_t = std::list<int>;

void* as_ptr(int v) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(v)); }
int ptr_value(const quarn::vptrlist_node_t* n) { return static_cast<int>(reinterpret_cast<std::intptr_t>(n->ptr)); }
int data_value(const quarn::vdatalist_node_t* n) { return *static_cast<const int*>(n->data()); }

// Walks both directions and checks the end links.
template <class List, class Value>
void expect_matches(const List& list, const model_t& model, Value value) {
  ASSERT_EQ(list.size(), model.size());
  ASSERT_EQ(list.empty(), model.empty());
  std::vector<int> forward, backward;
  for (auto* node : list) forward.push_back(value(node));
  for (auto* node = list.last(); node != nullptr; node = node->prev) backward.push_back(value(node));
  std::reverse(backward.begin(), backward.end());
  ASSERT_EQ(forward, std::vector<int>(model.begin(), model.end()));
  ASSERT_EQ(backward, forward);
  if (!model.empty()) {
    ASSERT_EQ(list.first()->prev, nullptr);
    ASSERT_EQ(list.last()->next, nullptr);
  }
}

template <class List>
auto node_at(const List& list, std::size_t index) {
  auto* node = list.first();
  while (index-- > 0) node = node->next;
  return node;
}

int ascending_ptr(const void* a, const void* b) {
  int x = ptr_value(*static_cast<quarn::vptrlist_node_t* const*>(a));
  int y = ptr_value(*static_cast<quarn::vptrlist_node_t* const*>(b));
  return (x > y) - (x < y);
}

int ascending_data(const void* a, const void* b) {
  int x = data_value(*static_cast<quarn::vdatalist_node_t* const*>(a));
  int y = data_value(*static_cast<quarn::vdatalist_node_t* const*>(b));
  return (x > y) - (x < y);
}

TEST(VptrList, RandomOperationsMatchTheModel) {
  quarn::bmem_manager_t pool;
  quarn::vptrlist_t list;
  list.init_mm(8, &pool);
  model_t model;
  std::mt19937 rng(21);
  int next_value = 1;

  for (int step = 0; step < 20000; ++step) {
    std::size_t n = model.size();
    std::size_t k = n ? rng() % n : 0;
    int op = static_cast<int>(rng() % 13);
    if (n == 0 && op >= 4 && op <= 9) op = static_cast<int>(rng() % 4);
    int v = next_value++;
    switch (op) {
      case 0: list.insert(as_ptr(v)); model.push_front(v); break;
      case 1: list.append(as_ptr(v)); model.push_back(v); break;
      case 2: {  // before a node; null means at the end
        bool at_null = rng() % 4 == 0 || n == 0;
        list.insert(at_null ? nullptr : node_at(list, k), as_ptr(v));
        model.insert(at_null ? model.end() : std::next(model.begin(), k), v);
        break;
      }
      case 3: {  // after a node; null means at the front
        bool at_null = rng() % 4 == 0 || n == 0;
        list.append(at_null ? nullptr : node_at(list, k), as_ptr(v));
        model.insert(at_null ? model.begin() : std::next(model.begin(), k + 1), v);
        break;
      }
      case 4: list.move_to_start(node_at(list, k)); model.splice(model.begin(), model, std::next(model.begin(), k)); break;
      case 5: list.move_to_end(node_at(list, k)); model.splice(model.end(), model, std::next(model.begin(), k)); break;
      case 6: ASSERT_EQ(list.remove_first(), as_ptr(model.front())); model.pop_front(); break;
      case 7: ASSERT_EQ(list.remove_last(), as_ptr(model.back())); model.pop_back(); break;
      case 8: {
        auto it = std::next(model.begin(), k);
        ASSERT_EQ(list.remove_pos(node_at(list, k)), as_ptr(*it));
        model.erase(it);
        break;
      }
      case 9: {  // search from a node for a value before it, at it, and after it
        std::size_t from = rng() % n;
        auto* start = node_at(list, from);
        auto found = list.find_ptr(as_ptr(*std::next(model.begin(), k)), start);
        if (k >= from)
          ASSERT_EQ(found, node_at(list, k));
        else
          ASSERT_EQ(found, nullptr);
        ASSERT_EQ(list.find_ptr(as_ptr(-1)), nullptr);
        break;
      }
      case 10: {  // splice a second list in front or behind, in O(1)
        quarn::vptrlist_t other;
        other.init_mm(8, &pool);
        model_t other_model;
        for (int i = static_cast<int>(rng() % 4); i > 0; --i) {
          other.append(as_ptr(next_value));
          other_model.push_back(next_value++);
        }
        if (rng() % 2) {
          list.minsert_all(&other);
          model.splice(model.begin(), other_model);
        } else {
          list.mappend_all(&other);
          model.splice(model.end(), other_model);
        }
        ASSERT_TRUE(other.empty());
        ASSERT_EQ(other.first(), nullptr);
        break;
      }
      case 11:
        if (rng() % 8 == 0) {
          std::vector<quarn::vptrlist_node_t*> nodes_before(list.begin(), list.end());
          list.sort(ascending_ptr);
          model.sort();
          // Payloads move, nodes stay where they were.
          ASSERT_EQ(std::vector<quarn::vptrlist_node_t*>(list.begin(), list.end()), nodes_before);
        }
        break;
      case 12:
        if (rng() % 50 == 0) {
          list.remove_all();
          model.clear();
        }
        break;
    }
    ASSERT_NO_FATAL_FAILURE(expect_matches(list, model, ptr_value)) << "step " << step << " op " << op;
  }
}

TEST(VdataList, RandomOperationsMatchTheModel) {
  quarn::bmem_manager_t pool;
  quarn::vdatalist_t list, spare;
  list.init_mm(sizeof(int), 8, &pool);
  spare.init_mm(sizeof(int), 8, &pool);
  model_t model, spare_model;
  std::mt19937 rng(22);
  int next_value = 1;
  auto put = [&](quarn::vdatalist_node_t* node) {
    *static_cast<int*>(node->data()) = next_value;
    return next_value++;
  };

  for (int step = 0; step < 20000; ++step) {
    std::size_t n = model.size();
    std::size_t k = n ? rng() % n : 0;
    int op = static_cast<int>(rng() % 12);
    if (n == 0 && op >= 4 && op <= 9) op = static_cast<int>(rng() % 4);
    switch (op) {
      case 0: model.push_front(put(list.insert())); break;
      case 1: model.push_back(put(list.append())); break;
      case 2: {
        bool at_null = rng() % 4 == 0 || n == 0;
        int v = put(list.insert(at_null ? nullptr : node_at(list, k)));
        model.insert(at_null ? model.end() : std::next(model.begin(), k), v);
        break;
      }
      case 3: {
        bool at_null = rng() % 4 == 0 || n == 0;
        int v = put(list.append(at_null ? nullptr : node_at(list, k)));
        model.insert(at_null ? model.begin() : std::next(model.begin(), k + 1), v);
        break;
      }
      case 4: {  // unlink a node and relink it elsewhere without the pool
        auto* node = node_at(list, k);
        int v = data_value(node);
        list.tremove_pos(node);
        model.erase(std::next(model.begin(), k));
        std::size_t to = model.empty() ? 0 : rng() % model.size();
        if (rng() % 2 && !model.empty()) {
          list.tinsert(node_at(list, to), node);
          model.insert(std::next(model.begin(), to), v);
        } else {
          list.tappend(model.empty() ? nullptr : node_at(list, to), node);
          model.insert(model.empty() ? model.begin() : std::next(model.begin(), to + 1), v);
        }
        break;
      }
      case 5: list.remove_first(); model.pop_front(); break;
      case 6: list.remove_last(); model.pop_back(); break;
      case 7: list.remove_pos(node_at(list, k)); model.erase(std::next(model.begin(), k)); break;
      case 8: {
        auto* node = node_at(list, k);
        ASSERT_EQ(list.find_data(node->data()), node);
        int outside = 0;
        ASSERT_EQ(list.find_data(&outside), nullptr);
        break;
      }
      case 9: {  // hand a node to the spare list and maybe take one back
        auto* node = node_at(list, k);
        int v = data_value(node);
        if (rng() % 2) {
          spare.minsert(&list, node);
          spare_model.push_front(v);
        } else {
          spare.mappend(&list, node);
          spare_model.push_back(v);
        }
        model.erase(std::next(model.begin(), k));
        if (!spare.empty() && rng() % 2) {
          int back = data_value(spare.first());
          list.mappend(&spare, spare.first());
          spare_model.pop_front();
          model.push_back(back);
        }
        break;
      }
      case 10:
        if (rng() % 8 == 0) {
          list.sort(ascending_data);
          model.sort();
        }
        break;
      case 11: {
        quarn::vdatalist_node_t* node = list.tremove_last();
        if (node != nullptr) {
          list.tinsert(node);
          model.push_front(model.back());
          model.pop_back();
        }
        break;
      }
    }
    ASSERT_NO_FATAL_FAILURE(expect_matches(list, model, data_value)) << "step " << step << " op " << op;
    ASSERT_NO_FATAL_FAILURE(expect_matches(spare, spare_model, data_value)) << "step " << step;
  }
}

TEST(PooledLists, NullPositionsSortOfTinyListsAndMisuse) {
  quarn::bmem_manager_t pool;
  quarn::vptrlist_t list;
  list.init_mm(4, &pool);
  list.insert(nullptr, as_ptr(1));  // null position: at the end
  list.append(nullptr, as_ptr(0));  // null position: at the front
  list.insert(nullptr, as_ptr(2));
  expect_matches(list, {0, 1, 2}, ptr_value);

  quarn::vptrlist_t single;
  single.init_mm(4, &pool);
  single.sort(ascending_ptr);  // nothing to do on an empty list
  auto* only = single.append(as_ptr(9));
  single.sort(ascending_ptr);
  EXPECT_EQ(single.first(), only);
  EXPECT_EQ(single.size(), 1u);

  qxtest::capture_sink_t sink;
  quarn::vptrlist_t empty;
  empty.init_mm(4, &pool);
  EXPECT_EQ(empty.remove_first(), nullptr);
  EXPECT_EQ(empty.remove_last(), nullptr);
  quarn::vdatalist_t no_pool;
  EXPECT_EQ(no_pool.append(), nullptr);
  quarn::bmem_manager_t other_pool;
  quarn::vptrlist_t foreign;
  foreign.init_mm(4, &other_pool);
  foreign.append(as_ptr(5));
  list.mappend_all(&foreign);  // refused: the nodes belong to another pool
  EXPECT_EQ(foreign.size(), 1u);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(sink.errors(), (std::vector<std::string>{
                               "[vptrlist_t] remove_first on an empty list",
                               "[vptrlist_t] remove_last on an empty list",
                               "[vdatalist_t] insertion before init_mm",
                               "[vptrlist_t] cannot move nodes between lists of different pools"}));
}

TEST(PooledLists, LargeSortsAndNodeReuse) {
  quarn::bmem_manager_t pool;
  quarn::vdatalist_t list;
  list.init_mm(sizeof(int), 64, &pool);
  std::mt19937 rng(4);
  std::vector<int> values(100000);
  for (int& v : values) {
    v = static_cast<int>(rng() % 1000);
    *static_cast<int*>(list.append()->data()) = v;
  }
  list.sort(ascending_data);  // far past what fits on the stack
  std::sort(values.begin(), values.end());
  std::vector<int> sorted;
  for (auto* node : list) sorted.push_back(data_value(node));
  EXPECT_EQ(sorted, values);

  unsigned int blocks = pool.block_count();
  list.remove_all();
  for (int i = 0; i < 100000; ++i) list.append();
  EXPECT_EQ(pool.block_count(), blocks);  // the pool reused every node
}

}  // namespace
