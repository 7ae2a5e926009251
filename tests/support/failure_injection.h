// Every allocation of an operation refused in turn. The operation runs once
// to count its N allocations; then for each k in 1..N it runs with the k-th
// refused, and again with every allocation from the k-th on refused. Each
// run must give back every block it took (through the right partner hook),
// and the operation must succeed again once memory is there. Sanitizers
// watch for the rest.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>

#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace qxtest {

inline std::size_t allocations_made(const allocation_stats_t& s) {
  return s.scalar_allocations + s.vector_allocations + s.refused;
}

inline long live_blocks() {
  return static_cast<long>(allocation_stats().live) - static_cast<long>(retained_blocks());
}

// `operation` answers whether it succeeded; a refused run may answer either.
template <class Operation>
void refuse_each_allocation(Operation&& operation) {
  capture_sink_t quiet;  // reports are expected; they go here instead of the console
  std::size_t before = allocations_made(allocation_stats());
  ASSERT_TRUE(operation()) << "the operation fails with all the memory it wants";
  std::size_t count = allocations_made(allocation_stats()) - before;
  ASSERT_GT(count, 0u) << "the operation takes no memory: nothing to refuse";
  for (bool only_one : {true, false}) {
    for (std::size_t k = 0; k < count; ++k) {
      SCOPED_TRACE(testing::Message() << (only_one ? "only allocation " : "allocations from ")
                                      << k + 1 << " of " << count << " refused");
      long live = live_blocks();
      allocation_stats_t start = allocation_stats();
      {
        allocation_failure_scope_t refuse(k, only_one);
        operation();
      }
      allocation_stats_t end = allocation_stats();
      ASSERT_EQ(live_blocks(), live) << "blocks left behind";
      ASSERT_EQ(end.wrong_partner, start.wrong_partner);
      ASSERT_EQ(end.unknown_releases, start.unknown_releases);
      ASSERT_TRUE(operation()) << "fails again once memory is there";
    }
  }
}

}  // namespace qxtest
