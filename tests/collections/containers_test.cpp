// The containers: the block pool's sizes, accounting and reuse; the pooled
// lists beside std::list models, one random driver for both kinds plus the
// operations only each has; list_t<T> and the arrays holding an element type
// that owns heap memory (a missed destructor is a leak), the arrays beside a
// literal model of the designed storage and growth.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <list>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/collections/arrays/array_fixed.h"
#include "qxcore/collections/bmem_manager.h"
#include "qxcore/collections/list.h"
#include "qxcore/collections/vdatalist.h"
#include "qxcore/collections/vptrlist.h"
#include "qxcore/strings/string_dyn.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

TEST(BmemManager, ElementSizesArePointerMultiples) {
  for (auto [asked, expected] :
       {std::pair{0u, 8u}, {1, 8}, {8, 8}, {9, 16}, {17, 24}, {100, 104}}) {
    quarn::bmem_manager_t pool;
    pool.set_pars(asked, 4);
    EXPECT_EQ(pool.element_size(), expected) << asked;
  }
}

// Destruction gives every block back, live elements or not: the leak check
// sees to that.
TEST(BmemManager, OneHostBlockServesAWholeBlockOfElements) {
  auto before = qxtest::allocation_stats();
  quarn::bmem_manager_t pool;
  pool.set_pars(24, 16);
  void* elements[40];
  for (void*& e : elements) ASSERT_NE(e = pool.alloc(), nullptr);
  // 40 elements at 16 a block: three blocks, each one vector allocation of a
  // link word plus 16 elements, and nothing else.
  auto during = qxtest::allocation_stats();
  EXPECT_EQ(pool.block_count(), 3u);
  EXPECT_EQ(during.vector_allocations - before.vector_allocations, 3u);
  EXPECT_EQ(during.live_bytes - before.live_bytes, 3 * (sizeof(void*) + 16 * 24));
  // Released elements come back last in, first out, without new blocks.
  pool.free(elements[3]);
  pool.free(elements[7]);
  EXPECT_EQ(pool.alloc(), elements[7]);
  EXPECT_EQ(pool.alloc(), elements[3]);
  for (void* e : elements) pool.free(e);
  for (int i = 0; i < 40; ++i) pool.alloc();
  EXPECT_EQ(pool.block_count(), 3u);
}

TEST(BmemManager, MisuseAndRefusalAnswerNull) {
  qxtest::capture_sink_t sink;
  quarn::bmem_manager_t unset;
  EXPECT_EQ(unset.alloc(), nullptr);
  EXPECT_EQ(sink.errors(), std::vector<std::string>{"[bmem_manager_t] alloc before set_pars"});

  quarn::bmem_manager_t pool;
  pool.set_pars(8, 2);
  {
    qxtest::allocation_failure_scope_t refuse(0);
    EXPECT_EQ(pool.alloc(), nullptr);
  }
  EXPECT_NE(pool.alloc(), nullptr);
  pool.free(nullptr);  // ignored
}

// Under AddressSanitizer (as CI builds it) a free pool element is poisoned:
// touching it after release is caught like a use after free.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QXTEST_UNDER_ASAN 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define QXTEST_UNDER_ASAN 1
#endif
#ifdef QXTEST_UNDER_ASAN
TEST(BmemManagerDeathTest, UseAfterReleaseToThePoolIsCaught) {
  EXPECT_DEATH(
      {
        quarn::bmem_manager_t pool;
        pool.set_pars(16, 4);
        auto* p = static_cast<volatile int*>(pool.alloc());
        pool.free(const_cast<int*>(p));
        p[1] = 42;
      },
      "use-after-poison");
}
#endif

using quarn::vdatalist_node_t;
using quarn::vdatalist_t;
using quarn::vptrlist_node_t;
using quarn::vptrlist_t;
using model_t = std::list<int>;

void* as_ptr(int v) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(v)); }
int as_int(const void* p) { return static_cast<int>(reinterpret_cast<std::intptr_t>(p)); }
int value(const vptrlist_node_t* n) { return as_int(n->ptr); }
int value(const vdatalist_node_t* n) { return *static_cast<const int*>(n->data()); }

template <class Node>
int ascending(const void* a, const void* b) {
  int x = value(*static_cast<Node*const*>(a)), y = value(*static_cast<Node*const*>(b));
  return (x > y) - (x < y);
}

// Four forms place a node: 0 at the front, 1 at the end, 2 before `pos` (null:
// at the end), 3 after `pos` (null: at the front). As a model index, with i
// pos's index or the size for a null pos:
std::size_t model_index(int form, std::size_t i, std::size_t size) {
  return form == 0 ? 0 : form == 1 ? size : form == 2 ? i : i == size ? 0 : i + 1;
}
vptrlist_node_t* add(vptrlist_t& list, int form, vptrlist_node_t* pos, int v) {
  return form == 0   ? list.insert(as_ptr(v))
         : form == 1 ? list.append(as_ptr(v))
         : form == 2 ? list.insert(pos, as_ptr(v))
                     : list.append(pos, as_ptr(v));
}
vdatalist_node_t* add(vdatalist_t& list, int form, vdatalist_node_t* pos, int v) {
  vdatalist_node_t* node = form == 0   ? list.insert()
                           : form == 1 ? list.append()
                           : form == 2 ? list.insert(pos)
                                       : list.append(pos);
  *static_cast<int*>(node->data()) = v;
  return node;
}

template <class List>
auto* node_at(const List& list, std::size_t index) {
  auto* node = list.first();
  while (index-- > 0) node = node->next;
  return node;
}

// Walks both directions and checks the end links.
template <class List>
void expect_matches(const List& list, const model_t& model) {
  ASSERT_EQ(list.size(), model.size());
  ASSERT_EQ(list.empty(), model.empty());
  std::vector<int> forward, backward;
  for (auto* node : list) forward.push_back(value(node));
  for (auto* node = list.last(); node != nullptr; node = node->prev)
    backward.push_back(value(node));
  std::reverse(backward.begin(), backward.end());
  ASSERT_EQ(forward, std::vector<int>(model.begin(), model.end()));
  ASSERT_EQ(backward, forward);
  if (!model.empty()) {
    ASSERT_TRUE(list.first()->prev == nullptr && list.last()->next == nullptr);
  }
}

// vptrlist_t alone: a short second list spliced in front or behind in O(1),
// or the whole list emptied.
void extra_step(vptrlist_t& list, model_t& model, vptrlist_t& spare, model_t&, std::mt19937& rng,
                int& next_value) {
  if (rng() % 50 == 0) {
    list.remove_all();
    model.clear();
    return;
  }
  model_t other;
  for (int i = static_cast<int>(rng() % 4); i > 0; --i) other.push_back(next_value++);
  for (int v : other) spare.append(as_ptr(v));
  bool front = rng() % 2;
  front ? list.minsert_all(&spare) : list.mappend_all(&spare);
  model.splice(front ? model.begin() : model.end(), other);
  ASSERT_TRUE(spare.empty() && spare.first() == nullptr);
}

// vdatalist_t alone: a node unlinked and relinked in one of the four forms
// without the pool, or moved to the spare list and maybe one moved back.
void extra_step(vdatalist_t& list, model_t& model, vdatalist_t& spare, model_t& spare_model,
                std::mt19937& rng, int&) {
  if (model.empty()) return;
  std::size_t n = model.size(), k = rng() % n;
  vdatalist_node_t* node = node_at(list, k);
  int v = value(node);
  model.erase(std::next(model.begin(), k));
  if (rng() % 2) {
    if (k == 0 && rng() % 2) {
      ASSERT_EQ(list.tremove_first(), node);
    } else if (k == n - 1 && rng() % 2) {
      ASSERT_EQ(list.tremove_last(), node);
    } else {
      list.tremove_pos(node);
    }
    int form = static_cast<int>(rng() % 4);
    std::size_t i = rng() % 4 ? rng() % n : n - 1;  // n - 1: a null position
    vdatalist_node_t* pos = i < n - 1 ? node_at(list, i) : nullptr;
    form == 0   ? list.tinsert(node)
    : form == 1 ? list.tappend(node)
    : form == 2 ? list.tinsert(pos, node)
                : list.tappend(pos, node);
    model.insert(std::next(model.begin(), model_index(form, i, n - 1)), v);
    return;
  }
  bool front = rng() % 2;
  front ? spare.minsert(&list, node) : spare.mappend(&list, node);
  spare_model.insert(front ? spare_model.begin() : spare_model.end(), v);
  if (rng() % 2) {
    model.push_back(spare_model.front());
    spare_model.pop_front();
    list.mappend(&spare, spare.first());
  }
}

template <class List>
void run_against_model(unsigned int seed, List& list, List& spare) {
  using node_t = std::remove_pointer_t<decltype(list.first())>;
  constexpr bool is_ptr_list = std::is_same_v<List, vptrlist_t>;
  model_t model, spare_model;
  std::mt19937 rng(seed);
  int next_value = 1;
  for (int step = 0; step < 15000; ++step) {
    std::size_t n = model.size(), k = n ? rng() % n : 0;
    int op = static_cast<int>(rng() % 9);
    if (n == 0 && op >= 2 && op <= 6) op = 0;
    auto at_k = std::next(model.begin(), k);
    switch (op) {
      case 0: {  // a new node in one of the four forms
        int form = static_cast<int>(rng() % 4);
        std::size_t i = rng() % 4 ? k : n;  // n: a null position
        add(list, form, i < n ? node_at(list, i) : nullptr, next_value);
        model.insert(std::next(model.begin(), model_index(form, i, n)), next_value++);
        break;
      }
      case 1:
        ASSERT_NO_FATAL_FAILURE(extra_step(list, model, spare, spare_model, rng, next_value));
        break;
      case 2: {
        bool front = rng() % 2;
        front ? list.move_to_start(node_at(list, k)) : list.move_to_end(node_at(list, k));
        model.splice(front ? model.begin() : model.end(), model, at_k);
        break;
      }
      case 3:
      case 4:
      case 5: {  // vptrlist_t answers the removed payload
        auto it = op == 3 ? model.begin() : op == 4 ? std::prev(model.end()) : at_k;
        auto* node = node_at(list, k);
        auto remove = [&] {
          return op == 3   ? list.remove_first()
                 : op == 4 ? list.remove_last()
                           : list.remove_pos(node);
        };
        if constexpr (is_ptr_list) {
          ASSERT_EQ(as_int(remove()), *it);
        } else {
          remove();
        }
        model.erase(it);
        break;
      }
      case 6: {  // vptrlist_t searches from a node for a value before, at and after
        auto* node = node_at(list, k);
        if constexpr (is_ptr_list) {
          std::size_t from = rng() % n;
          ASSERT_EQ(list.find_ptr(node->ptr, node_at(list, from)), k >= from ? node : nullptr);
          ASSERT_EQ(list.find_ptr(as_ptr(-1)), nullptr);
        } else {
          int outside = 0;
          ASSERT_EQ(list.find_data(node->data()), node);
          ASSERT_EQ(list.find_data(&outside), nullptr);
        }
        break;
      }
      case 7:
        if (rng() % 8 == 0) {
          std::vector<node_t*> nodes_before(list.begin(), list.end());
          list.sort(ascending<node_t>);
          model.sort();
          // vptrlist_t moves the payloads and leaves the nodes where they were.
          if constexpr (is_ptr_list) {
            ASSERT_EQ(std::vector<node_t*>(list.begin(), list.end()), nodes_before);
          }
        }
        break;
    }
    ASSERT_NO_FATAL_FAILURE(expect_matches(list, model)) << "step " << step << " op " << op;
    ASSERT_NO_FATAL_FAILURE(expect_matches(spare, spare_model)) << "step " << step;
  }
}

TEST(PooledLists, RandomOperationsMatchTheModel) {
  quarn::bmem_manager_t pool;
  vptrlist_t ptrs, ptr_spare;
  vdatalist_t data, data_spare;
  for (vptrlist_t* l : {&ptrs, &ptr_spare}) l->init_mm(8, &pool);
  for (vdatalist_t* l : {&data, &data_spare}) l->init_mm(sizeof(int), 8, &pool);
  ASSERT_NO_FATAL_FAILURE(run_against_model(21, ptrs, ptr_spare));
  ASSERT_NO_FATAL_FAILURE(run_against_model(22, data, data_spare));
}

// Null positions are among the random operations above.
TEST(PooledLists, SortOfTinyListsAndMisuse) {
  quarn::bmem_manager_t pool, other_pool;
  vptrlist_t single, foreign;
  vdatalist_t no_pool;
  single.init_mm(4, &pool);
  foreign.init_mm(4, &other_pool);
  single.append(as_ptr(9));
  single.sort(ascending<vptrlist_node_t>);  // one node: nothing to do

  qxtest::capture_sink_t sink;
  foreign.append(as_ptr(5));
  single.mappend_all(&foreign);  // refused: the nodes belong to another pool
  expect_matches(foreign, {5});
  expect_matches(single, {9});
  single.remove_first();
  EXPECT_EQ(single.remove_first(), nullptr);
  EXPECT_EQ(single.remove_last(), nullptr);
  EXPECT_EQ(no_pool.append(), nullptr);
  EXPECT_EQ(sink.errors(), (std::vector<std::string>{
                               "[vptrlist_t] cannot move nodes between lists of different pools",
                               "[vptrlist_t] remove_first on an empty list",
                               "[vptrlist_t] remove_last on an empty list",
                               "[vdatalist_t] insertion before init_mm"}));
}

TEST(PooledLists, LargeSortsAndNodeReuse) {
  quarn::bmem_manager_t pool;
  vdatalist_t list;
  list.init_mm(sizeof(int), 64, &pool);
  std::mt19937 rng(4);
  std::vector<int> values(100000);
  for (int& v : values) v = static_cast<int>(rng() % 1000);
  for (int v : values) add(list, 1, nullptr, v);
  list.sort(ascending<vdatalist_node_t>);  // far past what fits on the stack
  std::sort(values.begin(), values.end());
  std::vector<int> sorted;
  for (auto* node : list) sorted.push_back(value(node));
  EXPECT_EQ(sorted, values);
}

TEST(ListT, RandomOperationsMatchStdList) {
  using text_t = quarn::string_dyn_t<>;
  quarn::list_t<text_t> list;
  std::list<std::string> model;
  std::mt19937 rng(12);
  for (int step = 0; step < 9000; ++step) {
    std::size_t n = model.size(), k = n ? rng() % (n + 1) : 0;
    auto ours = list.begin();
    std::advance(ours, k);
    auto theirs = std::next(model.begin(), k);
    if (rng() % 3 != 0 || n == 0) {
      std::string s = "n" + std::to_string(step);
      ASSERT_STREQ((*list.insert(ours, text_t(s.c_str()))).c_str(), s.c_str());
      model.insert(theirs, s);
    } else if (k < n) {
      ASSERT_EQ(list.erase(ours) == list.end(), model.erase(theirs) == model.end());
    }
    ASSERT_EQ(list.size(), model.size());
  }
  ASSERT_GT(model.size(), 2048u);  // more than two blocks' worth
  std::vector<std::string> forward, backward;
  for (const text_t& value : list) forward.push_back(value.c_str());
  for (auto it = list.end(); it != list.begin();)
    backward.insert(backward.begin(), (--it)->c_str());
  EXPECT_EQ(forward, std::vector<std::string>(model.begin(), model.end()));
  EXPECT_EQ(backward, forward);
  EXPECT_EQ((std::vector<std::string>{list.front().c_str(), list.back().c_str()}),
            (std::vector<std::string>{model.front(), model.back()}));
  list.clear();  // the leak check sees every element and node go
  EXPECT_TRUE(list.empty());
}

TEST(ListT, NodesComeInBlocksOf1024AndAreReused) {
  auto live_before = qxtest::allocation_stats().live;
  auto blocks = [&] { return qxtest::allocation_stats().live - live_before; };
  quarn::list_t<int> list;
  for (int i = 0; i < 1024; ++i) list.push_back(i);
  EXPECT_EQ(blocks(), 1u);
  list.push_front(-1);
  EXPECT_EQ(blocks(), 2u);
  for (int i = 0; i < 500; ++i) list.erase(list.begin());
  for (int i = 0; i < 500; ++i) list.push_back(i);
  EXPECT_EQ(blocks(), 2u);
  EXPECT_EQ(list.size(), 1025u);
  EXPECT_EQ(list.front(), 499);
}

using text_t = quarn::string_dyn_t<>;

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
  fixed[2] = quarn::string_alias_t("kept");
  EXPECT_TRUE(fixed.resize(1));  // only the count goes down
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
  EXPECT_EQ(qxtest::block_size(a.data()), a.capacity() * sizeof(text_t));  // one vector block
  EXPECT_FALSE(qxtest::is_scalar_block(a.data()));
  quarn::array_dyn_t<text_t> copy(a);  // its elements own copies of their own
  ASSERT_EQ(copy.size(), a.size());
  for (unsigned int i = 0; i < a.size(); ++i) {
    EXPECT_STREQ(copy[i].c_str(), model.slots[i].c_str());
    EXPECT_TRUE(model.slots[i].empty() || copy[i].c_str() != a[i].c_str()) << i;
  }
}

}  // namespace
