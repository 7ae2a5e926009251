// Start-up and shut-down: the four service objects, their order of release,
// repeated cycles and the refused second start.
#include "qxcore/core/lifecycle.h"

#include <gtest/gtest.h>

#include <cstring>

#include "qxcore/sys/profiler.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using qxtest::allocation_stats;

// Besides the four one-byte service objects, a start creates the profiler's
// root node and root zone, and a shut-down releases them.
constexpr std::size_t SERVICE_BLOCKS = 4 + 2;

// Hooks that must never be installed by a refused qxcore_init.
void* foreign_new(unsigned int) { return nullptr; }
void foreign_delete(void*) {}

TEST(Lifecycle, BookkeepingVariablesStartEmpty) {
  ASSERT_NE(quarn::qxcore_allocation_file, nullptr);
  ASSERT_NE(quarn::qxcore_allocation_fn, nullptr);
  EXPECT_STREQ(quarn::qxcore_allocation_file, "");
  EXPECT_STREQ(quarn::qxcore_allocation_fn, "");
  EXPECT_EQ(quarn::qxcore_allocation_line, 0u);
}

TEST(Lifecycle, ShutdownReleasesFourServiceObjectsThroughTheScalarHook) {
  auto before = allocation_stats();
  quarn::qxcore_shutdown();
  auto after_shutdown = allocation_stats();
  EXPECT_EQ(after_shutdown.scalar_releases - before.scalar_releases, SERVICE_BLOCKS);
  EXPECT_EQ(after_shutdown.vector_releases, before.vector_releases);
  EXPECT_EQ(before.live - after_shutdown.live, SERVICE_BLOCKS);
  EXPECT_FALSE(quarn::qxcore_is_initialised());
  // The hooks stay in place so that leftovers can still be freed.
  EXPECT_EQ(quarn::qxcore_system_delete, &qxtest::counting_delete);

  qxtest::install_counting_hooks();
  auto after_init = allocation_stats();
  EXPECT_EQ(after_init.scalar_allocations - after_shutdown.scalar_allocations, SERVICE_BLOCKS);
  EXPECT_EQ(after_init.live - after_shutdown.live, SERVICE_BLOCKS);
  // The code-path set-up message borrows from the vector hook and gives it back.
  EXPECT_EQ(after_init.vector_allocations - after_init.vector_releases,
            after_shutdown.vector_allocations - after_shutdown.vector_releases);
  EXPECT_TRUE(quarn::qxcore_is_initialised());
}

TEST(Lifecycle, ServiceObjectsAreOneByteScalarBlocks) {
  // Find the service objects as the blocks a fresh start adds.
  quarn::qxcore_shutdown();
  auto before = allocation_stats();
  qxtest::install_counting_hooks();
  auto after = allocation_stats();
  EXPECT_EQ(after.live - before.live, SERVICE_BLOCKS);
  EXPECT_EQ(after.live_bytes - before.live_bytes,
            4u + sizeof(quarn::profiler_node_t) + sizeof(quarn::profiler_zone_t));
  EXPECT_EQ(after.scalar_allocations - before.scalar_allocations, SERVICE_BLOCKS);
}

TEST(Lifecycle, RepeatedCyclesBalance) {
  auto before = allocation_stats();
  for (int cycle = 0; cycle < 50; ++cycle) {
    quarn::qxcore_shutdown();
    qxtest::install_counting_hooks();
  }
  auto after = allocation_stats();
  EXPECT_EQ(after.live, before.live);
  EXPECT_EQ(after.scalar_allocations - before.scalar_allocations, 50 * SERVICE_BLOCKS);
  EXPECT_EQ(after.scalar_releases - before.scalar_releases, 50 * SERVICE_BLOCKS);
}

TEST(Lifecycle, SecondShutdownDoesNothing) {
  quarn::qxcore_shutdown();
  auto once = allocation_stats();
  quarn::qxcore_shutdown();
  auto twice = allocation_stats();
  EXPECT_EQ(twice.scalar_releases, once.scalar_releases);
  EXPECT_EQ(twice.live, once.live);
  qxtest::install_counting_hooks();
}

TEST(Lifecycle, SecondInitWithoutShutdownIsRefusedWithAWarning) {
  qxtest::capture_sink_t sink;
  auto before = allocation_stats();
  quarn::qxcore_init(foreign_new, foreign_new, foreign_delete, foreign_delete, 0);
  auto after = allocation_stats();

  ASSERT_EQ(sink.warnings().size(), 1u);
  EXPECT_EQ(sink.warnings()[0],
            "[qxcore] qxcore_init called again without qxcore_shutdown; the call is ignored");
  // Nothing was rebuilt and the first hooks are still the ones in use.
  EXPECT_EQ(after.scalar_allocations, before.scalar_allocations);
  EXPECT_EQ(after.scalar_releases, before.scalar_releases);
  EXPECT_EQ(quarn::qxcore_system_new, &qxtest::counting_new);
  EXPECT_EQ(quarn::qxcore_system_delete_vector, &qxtest::counting_delete_vector);
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
  EXPECT_TRUE(sink.errors().empty());
  EXPECT_TRUE(sink.warnings().empty());
  EXPECT_EQ(sink.texts(quarn::message_t::TYPE_MESSAGE),
            std::vector<std::string>{"[qxcore] Setting up code base to default C++ versions"});
  EXPECT_TRUE(quarn::qxcore_is_initialised());
  auto before = allocation_stats();
  quarn::qxcore_shutdown();
  EXPECT_EQ(allocation_stats().scalar_releases - before.scalar_releases, 2u);
  qxtest::install_counting_hooks();
}

}  // namespace
