// The block pool: element sizes on a 64-bit target, block accounting through
// the vector hook, last-in first-out reuse and release at destruction.
#include "qxcore/collections/bmem_manager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>

#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

TEST(BmemManager, ElementSizesArePointerMultiples) {
  const std::pair<unsigned int, unsigned int> cases[] = {
      {0, 8}, {4, 8}, {9, 16}, {16, 16}, {24, 24}, {1, 8}, {8, 8}, {10, 16}, {17, 24}, {100, 104}};
  for (const auto& [asked, expected] : cases) {
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
  std::set<std::uintptr_t> seen;
  void* elements[40];
  for (void*& e : elements) {
    e = pool.alloc();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(e) % sizeof(void*), 0u);
    EXPECT_TRUE(seen.insert(reinterpret_cast<std::uintptr_t>(e)).second) << "handed out twice";
  }
  // 40 elements at 16 a block: three blocks, each one vector allocation of a
  // link word plus 16 elements, and nothing else.
  auto during = qxtest::allocation_stats();
  EXPECT_EQ(pool.block_count(), 3u);
  EXPECT_EQ(during.vector_allocations - before.vector_allocations, 3u);
  EXPECT_EQ(during.live_bytes - before.live_bytes, 3 * (sizeof(void*) + 16 * 24));
  // A fresh block hands its elements out in address order.
  for (int i = 1; i < 16; ++i)
    EXPECT_EQ(static_cast<char*>(elements[i]) - static_cast<char*>(elements[i - 1]), 24);

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

}  // namespace

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QXTEST_UNDER_ASAN 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define QXTEST_UNDER_ASAN 1
#endif

#ifdef QXTEST_UNDER_ASAN
namespace {
// Under AddressSanitizer a free pool element is poisoned: touching it after
// release is caught like a use after free.
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
}  // namespace
#endif
