// The profiler: the call tree it grows, chains and zones, times against the
// millisecond clock (tmr_read) for regions that sleep known durations,
// recursion, the 64-slot frame ring and pause. Each test starts and ends on
// a freshly started library, so the tree holds only what the test made.
#include "qxcore/sys/profiler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "qxcore/core/lifecycle.h"
#include "qxcore/sys/cpu_dispatch.h"
#include "qxcore/sys/timers.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using quarn::profiler_node_t;
using quarn::profiler_sample_t;

// Names are identified by address: arrays, so equal texts stay distinct.
const char FRAME[] = "frame", WORK[] = "work", WORK_TWIN[] = "work", PHYSICS[] = "physics",
           RENDER[] = "render", SIM[] = "sim", GFX[] = "gfx";

void restart() {
  quarn::qxcore_shutdown();
  qxtest::install_counting_hooks();
}

class Profiler : public testing::Test {
 protected:
  // The first conversion to microseconds after a start measures the cycle
  // rate (a busy wait); done here, it stays out of the regions under test.
  void SetUp() override {
    restart();
    quarn::get_cpu_speed();
  }
  void TearDown() override { restart(); }
};

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

unsigned int slot() { return quarn::profiler_pause().collecting; }

// The child of `parent` with this name pointer, or null.
profiler_node_t* child(const profiler_node_t* parent, const char* name) {
  for (profiler_node_t* c = parent->first_child; c != nullptr; c = c->next_sibling)
    if (c->name == name) return c;
  return nullptr;
}

// A frame: the outermost sample, with the advance asked for inside it.
template <class F>
void frame(F&& body) {
  profiler_sample_t s(FRAME);
  body();
  quarn::profiler_advance_frame();
}

TEST_F(Profiler, StartsWithTheRootEnteredInSlotZero) {
  const profiler_node_t* root = quarn::profiler_tree();
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root->name, "PROFILED_CODE");
  EXPECT_EQ(root->calls[0], 1u);
  EXPECT_EQ(root->depth, 1u);
  EXPECT_STREQ(quarn::profiler_zones()->name, "?");
  EXPECT_EQ(quarn::profiler_zones()->next, nullptr);
  const quarn::profiler_frame_iterator_t& frames = quarn::profiler_pause();
  EXPECT_EQ(frames.newest, 0u);
  EXPECT_EQ(frames.collecting, 0u);
}

TEST_F(Profiler, TreeChainsAndZones) {
  {
    profiler_sample_t a(WORK, SIM);
    { profiler_sample_t p(PHYSICS, SIM); }
  }
  {
    profiler_sample_t b(WORK_TWIN);  // same text, another pointer: another node
    { profiler_sample_t p(PHYSICS, SIM); }
    { profiler_sample_t r(RENDER, GFX); }
    { profiler_sample_t r(RENDER, GFX); }
  }
  const profiler_node_t* root = quarn::profiler_tree();
  profiler_node_t* work = child(root, WORK);
  profiler_node_t* twin = child(root, WORK_TWIN);
  ASSERT_TRUE(work && twin);
  EXPECT_EQ(root->first_child, twin);  // newest child first
  ASSERT_TRUE(child(work, PHYSICS) && child(twin, PHYSICS) && child(twin, RENDER));
  EXPECT_EQ(child(twin, RENDER)->calls[0], 2u);
  EXPECT_EQ(root->tree_calls(0), 1u + 2 + 2 + 2);

  // Zones: "?" first, then the newest zone; sim holds the chains of work
  // and physics, the root zone that of the twin.
  const quarn::profiler_zone_t* zones = quarn::profiler_zones();
  ASSERT_TRUE(zones->next && zones->next->next);
  EXPECT_EQ(zones->next->name, GFX);
  EXPECT_EQ(zones->next->next->name, SIM);
  EXPECT_EQ(zones->next->next->next, nullptr);
  EXPECT_EQ(zones->first_chain, twin);
  const quarn::profiler_zone_t* sim = zones->next->next;
  ASSERT_EQ(sim->first_chain, child(work, PHYSICS));  // newest chain first
  EXPECT_EQ(sim->first_chain->chain_next, child(twin, PHYSICS));
  EXPECT_EQ(sim->first_chain->chain_calls(0), 2u);
  EXPECT_EQ(sim->first_chain->next_chain, work);
  EXPECT_EQ(sim->subtree_calls(0), 3u);
  EXPECT_EQ(zones->next->subtree_calls(0), 2u);
}

TEST_F(Profiler, TimesAgreeWithTheMillisecondClock) {
  // work sleeps 20 ms itself and 30 ms in physics.
  const unsigned long long outer_start = quarn::tmr_read();
  unsigned long long inner_start, inner_end;
  {
    profiler_sample_t w(WORK);
    sleep_ms(20);
    inner_start = quarn::tmr_read();
    {
      profiler_sample_t p(PHYSICS);
      sleep_ms(30);
    }
    inner_end = quarn::tmr_read();
  }
  const unsigned long long outer_end = quarn::tmr_read();
  const profiler_node_t* work = child(quarn::profiler_tree(), WORK);
  const profiler_node_t* physics = child(work, PHYSICS);
  // The clock ticks in whole milliseconds; the cycle rate is measured to a few percent.
  auto tolerance = [](double us) { return 1000 + 0.05 * us; };
  const double outer = double(outer_end - outer_start), inner = double(inner_end - inner_start);
  EXPECT_NEAR(double(work->total_time[0]), outer, tolerance(outer));
  EXPECT_NEAR(double(physics->total_time[0]), inner, tolerance(inner));
  EXPECT_GE(physics->total_time[0], 30000 * 0.95);
  EXPECT_EQ(work->child_time[0], physics->total_time[0]);
  // Its own time is what it spent outside physics: at least the 20 ms sleep.
  EXPECT_NEAR(double(work->chain_self_time(0)), outer - inner, 2 * tolerance(outer));
  EXPECT_GE(work->chain_self_time(0), 20000 * 0.95);
  EXPECT_EQ(work->chain_total_time(0), work->total_time[0]);
  EXPECT_GE(quarn::profiler_elapsed_time(), 50000 * 0.95);
}

TEST_F(Profiler, RecursionDeepensOneNodeAndTimesOnce) {
  const unsigned long long start = quarn::tmr_read();
  {
    profiler_sample_t outer(WORK);
    sleep_ms(15);
    {
      profiler_sample_t inner(WORK);
      EXPECT_EQ(child(quarn::profiler_tree(), WORK)->depth, 2u);
      sleep_ms(15);
    }
  }
  const double elapsed = double(quarn::tmr_read() - start);
  const profiler_node_t* work = child(quarn::profiler_tree(), WORK);
  ASSERT_NE(work, nullptr);
  EXPECT_EQ(work->first_child, nullptr);
  EXPECT_EQ(work->calls[0], 2u);
  EXPECT_EQ(work->depth, 0u);
  // Timed from the outermost entry only: about 30 ms, not 45.
  EXPECT_NEAR(double(work->total_time[0]), elapsed, 1000 + 0.05 * elapsed);
}

TEST_F(Profiler, FrameSlotsWrapAfter64AndAreClearedBeforeReuse) {
  frame([] { profiler_sample_t w(WORK); });
  EXPECT_EQ(slot(), 1u);
  quarn::profiler_unpause();
  const profiler_node_t* root = quarn::profiler_tree();
  profiler_node_t* f = child(root, FRAME);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(child(f, WORK)->calls[0], 1u);
  EXPECT_GT(root->total_time[0], 0u);  // the root's time closes with its frame
  for (int i = 1; i < 63; ++i) frame([] {});
  EXPECT_EQ(slot(), 63u);
  quarn::profiler_unpause();
  EXPECT_EQ(child(f, WORK)->calls[0], 1u);  // slot 0 still holds the first frame
  frame([] {});
  EXPECT_EQ(slot(), 0u);  // wrapped
  quarn::profiler_unpause();
  EXPECT_EQ(child(f, WORK)->calls[0], 0u);
  EXPECT_EQ(f->calls[0], 0u);
  EXPECT_EQ(root->calls[0], 1u);  // entered afresh
  EXPECT_EQ(f->calls[63], 1u);
}

TEST_F(Profiler, PauseReusesTheCollectingSlot) {
  frame([] {});
  frame([] { profiler_sample_t w(WORK); });  // slot 1
  const unsigned int paused_at = quarn::profiler_pause().collecting;
  ASSERT_EQ(paused_at, 2u);
  for (int i = 0; i < 3; ++i) frame([] { profiler_sample_t p(PHYSICS); });
  EXPECT_EQ(quarn::profiler_pause().collecting, paused_at);
  profiler_node_t* f = child(quarn::profiler_tree(), FRAME);
  // The slot was cleared after each paused frame; the earlier ones stay.
  EXPECT_EQ(child(f, PHYSICS)->calls[paused_at], 0u);
  EXPECT_EQ(f->calls[paused_at], 0u);
  EXPECT_EQ(child(f, WORK)->calls[1], 1u);
  EXPECT_EQ(f->calls[0], 1u);
  quarn::profiler_unpause();
  frame([] {});
  EXPECT_EQ(slot(), paused_at + 1);
}

TEST_F(Profiler, MisuseIsReported) {
  qxtest::capture_sink_t sink;
  EXPECT_EQ(quarn::profiler_tree()->tree_calls(64), 0u);
  EXPECT_EQ(quarn::profiler_zones()->self_time(100), 0u);
  { profiler_sample_t nameless(nullptr); }
  auto* outer = new profiler_sample_t(WORK);
  auto* inner = new profiler_sample_t(PHYSICS);
  delete outer;  // out of order: reported, nothing left
  delete inner;
  EXPECT_EQ(sink.errors(), (std::vector<std::string>{
                               "[sys] profiler: frame slot 64 is not below 64",
                               "[sys] profiler: frame slot 100 is not below 64",
                               "[sys] profiler: a sample needs a region name",
                               "[sys] profiler: the sample 'work' closed while 'physics' was "
                               "open; samples close in reverse order"}));
}

TEST_F(Profiler, SamplesOutsideTheLibraryLifetimeDoNothing) {
  auto* open = new profiler_sample_t(WORK);
  quarn::qxcore_shutdown();
  EXPECT_EQ(quarn::profiler_tree(), nullptr);
  { profiler_sample_t ignored(PHYSICS); }
  delete open;  // its node went with the shut-down
  EXPECT_EQ(quarn::profiler_elapsed_time(), 0u);
  qxtest::install_counting_hooks();
  EXPECT_EQ(quarn::profiler_tree()->first_child, nullptr);
}

}  // namespace
