// Start-up and shut-down: the four service objects, their order of release,
// repeated cycles and the refused second start.
#include "qxcore/core/lifecycle.h"

#include <gtest/gtest.h>

#include "qxcore/sys/profiler.h"
#include "qxcore/units/unit_resource_tie.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using qxtest::allocation_stats;

// Hooks that must never be installed by a refused qxcore_init.
void* foreign_new(unsigned int) { return nullptr; }
void foreign_delete(void*) {}

// Each cycle finds the holders empty again and rebuilds the four one-byte
// service objects through the scalar hook, with the default resource tie and
// the profiler's root node and root zone; a second shutdown finds nothing.
TEST(Lifecycle, EveryCycleReleasesAndRebuildsFourOneByteScalarServices) {
  const std::size_t blocks = 4 + 1 + 2;
  const std::size_t bytes = 4 + sizeof(quarn::unit_resource_tie_t) +
                            sizeof(quarn::profiler_node_t) + sizeof(quarn::profiler_zone_t);
  for (int cycle = 0; cycle < 3; ++cycle) {
    SCOPED_TRACE(cycle);
    auto running = allocation_stats();
    quarn::qxcore_shutdown();
    auto down = allocation_stats();
    EXPECT_FALSE(quarn::qxcore_is_initialised());
    // The hooks stay in place so that leftovers can still be freed.
    EXPECT_EQ(quarn::qxcore_system_delete, &qxtest::counting_delete);
    quarn::qxcore_shutdown();
    EXPECT_EQ(allocation_stats().live, down.live);
    qxtest::install_counting_hooks();
    auto up = allocation_stats();
    EXPECT_TRUE(quarn::qxcore_is_initialised());
    // Releases through the vector hook would fail the test as wrong partners;
    // any other block would show in the live bytes.
    EXPECT_EQ(down.scalar_releases - running.scalar_releases, blocks);
    EXPECT_EQ(up.scalar_allocations - down.scalar_allocations, blocks);
    EXPECT_EQ(up.live_bytes - down.live_bytes, bytes);
  }
}

TEST(Lifecycle, SecondInitWithoutShutdownIsRefusedWithAWarning) {
  qxtest::capture_sink_t sink;
  auto before = allocation_stats();
  quarn::qxcore_init(foreign_new, foreign_new, foreign_delete, foreign_delete, 0);
  auto after = allocation_stats();
  EXPECT_EQ(sink.warnings(),
            std::vector<std::string>{"[qxcore] qxcore_init called again without qxcore_shutdown; "
                                     "the call is ignored"});
  // Nothing was rebuilt and the first hooks are still the ones in use.
  EXPECT_EQ(after.scalar_allocations, before.scalar_allocations);
  EXPECT_EQ(after.scalar_releases, before.scalar_releases);
  EXPECT_EQ(quarn::qxcore_system_new, &qxtest::counting_new);
  EXPECT_TRUE(quarn::qxcore_is_initialised());
}

TEST(Lifecycle, ServiceWhoseAllocationFailsIsLeftOutSilently) {
  quarn::qxcore_shutdown();
  qxtest::capture_sink_t sink;
  {
    // Two services get memory, the other two do not.
    qxtest::allocation_failure_scope_t failing(2);
    qxtest::install_counting_hooks();
  }
  // Only the code-path set-up speaks; the missing services say nothing.
  EXPECT_EQ(sink.messages.size(), 1u);
  EXPECT_TRUE(quarn::qxcore_is_initialised());
  auto before = allocation_stats();
  quarn::qxcore_shutdown();
  EXPECT_EQ(allocation_stats().scalar_releases - before.scalar_releases, 2u);
  qxtest::install_counting_hooks();
}

}  // namespace
