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

unsigned int collecting() {
  const unsigned int slot = quarn::profiler_pause().collecting;
  quarn::profiler_unpause();
  return slot;
}

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

TEST_F(Profiler, TreeChainsAndZones) {
  const profiler_node_t* root = quarn::profiler_tree();
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root->name, "PROFILED_CODE");
  EXPECT_TRUE(root->calls[0] == 1 && root->depth == 1);  // entered in slot 0 at the start
  EXPECT_STREQ(quarn::profiler_zones()->name, "?");
  {
    profiler_sample_t a(WORK, SIM);
    profiler_sample_t p(PHYSICS, SIM);
  }
  {
    profiler_sample_t b(WORK_TWIN);  // same text, another pointer: another node
    { profiler_sample_t p(PHYSICS, SIM); }
    for (int i = 0; i < 2; ++i) profiler_sample_t r(RENDER, GFX);
  }
  profiler_node_t *work = child(root, WORK), *twin = child(root, WORK_TWIN);
  ASSERT_TRUE(work && twin && child(work, PHYSICS) && child(twin, PHYSICS) && child(twin, RENDER));
  EXPECT_EQ(root->first_child, twin);  // newest child first
  EXPECT_EQ(child(twin, RENDER)->calls[0], 2u);
  EXPECT_EQ(root->tree_calls(0), 1u + 2 + 2 + 2);

  // Zones: "?" first, then the newest; sim holds the chains of physics (two
  // nodes) and work, the root zone that of the twin (a null zone).
  const quarn::profiler_zone_t* zones = quarn::profiler_zones();
  ASSERT_TRUE(zones->next && zones->next->next);
  const quarn::profiler_zone_t *gfx = zones->next, *sim = gfx->next;
  EXPECT_TRUE(gfx->name == GFX && sim->name == SIM && sim->next == nullptr);
  EXPECT_EQ(zones->first_chain, twin);
  ASSERT_EQ(sim->first_chain, child(work, PHYSICS));
  EXPECT_EQ(sim->first_chain->chain_next, child(twin, PHYSICS));
  EXPECT_EQ(sim->first_chain->next_chain, work);
  EXPECT_EQ(sim->first_chain->chain_calls(0), 2u);
  EXPECT_EQ(sim->subtree_calls(0), 3u);
  EXPECT_EQ(gfx->subtree_calls(0), 2u);
}

TEST_F(Profiler, TimesAgreeWithTheMillisecondClock) {
  // The clock ticks in whole milliseconds; the cycle rate is measured to a few percent.
  auto tolerance = [](double us) { return 1000 + 0.05 * us; };
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
  const double outer = double(quarn::tmr_read() - outer_start),
               inner = double(inner_end - inner_start);
  const profiler_node_t* work = child(quarn::profiler_tree(), WORK);
  const profiler_node_t* physics = child(work, PHYSICS);
  EXPECT_NEAR(double(work->total_time[0]), outer, tolerance(outer));
  EXPECT_NEAR(double(physics->total_time[0]), inner, tolerance(inner));
  EXPECT_GE(physics->total_time[0], 30000 * 0.95);
  EXPECT_EQ(work->child_time[0], physics->total_time[0]);
  EXPECT_EQ(work->chain_total_time(0), work->total_time[0]);
  EXPECT_NEAR(double(work->chain_self_time(0)), outer - inner, 2 * tolerance(outer));
  EXPECT_GE(quarn::profiler_elapsed_time(), 50000 * 0.95);

  // Recursion deepens one node, and its time runs from the outermost entry
  // only: about 30 ms here, not 45.
  const unsigned long long start = quarn::tmr_read();
  {
    profiler_sample_t outer_sample(RENDER);
    sleep_ms(15);
    profiler_sample_t inner_sample(RENDER);
    EXPECT_EQ(child(quarn::profiler_tree(), RENDER)->depth, 2u);
    sleep_ms(15);
  }
  const double elapsed = double(quarn::tmr_read() - start);
  const profiler_node_t* render = child(quarn::profiler_tree(), RENDER);
  EXPECT_TRUE(render->first_child == nullptr && render->calls[0] == 2 && render->depth == 0);
  EXPECT_NEAR(double(render->total_time[0]), elapsed, tolerance(elapsed));
}

TEST_F(Profiler, FrameRingWrapsAfter64AndPauseReusesASlot) {
  frame([] { profiler_sample_t w(WORK); });
  EXPECT_EQ(collecting(), 1u);
  const profiler_node_t* root = quarn::profiler_tree();
  const profiler_node_t* f = child(root, FRAME);
  EXPECT_EQ(child(f, WORK)->calls[0], 1u);
  EXPECT_GT(root->total_time[0], 0u);  // the root's time closes with its frame
  for (int i = 1; i < 63; ++i) frame([] {});
  EXPECT_EQ(collecting(), 63u);
  EXPECT_EQ(child(f, WORK)->calls[0], 1u);  // slot 0 still holds the first frame
  frame([] {});
  EXPECT_EQ(collecting(), 0u);  // wrapped, and slot 0 cleared before reuse
  EXPECT_TRUE(child(f, WORK)->calls[0] == 0 && f->calls[0] == 0 && f->calls[63] == 1);
  EXPECT_EQ(root->calls[0], 1u);  // entered afresh

  // While paused, each advance clears and re-collects the same slot.
  quarn::profiler_pause();
  for (int i = 0; i < 3; ++i) frame([] { profiler_sample_t p(PHYSICS); });
  EXPECT_EQ(quarn::profiler_pause().collecting, 0u);
  EXPECT_TRUE(child(f, PHYSICS)->calls[0] == 0 && f->calls[0] == 0 && f->calls[63] == 1);
  quarn::profiler_unpause();
  frame([] {});
  EXPECT_EQ(collecting(), 1u);
}

TEST_F(Profiler, MisuseIsReportedAndSamplesOutsideTheLifetimeDoNothing) {
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

  auto* open = new profiler_sample_t(RENDER);
  quarn::qxcore_shutdown();
  EXPECT_EQ(quarn::profiler_tree(), nullptr);
  { profiler_sample_t ignored(PHYSICS); }
  delete open;  // its node went with the shut-down
  EXPECT_EQ(quarn::profiler_elapsed_time(), 0u);
  qxtest::install_counting_hooks();
  EXPECT_EQ(quarn::profiler_tree()->first_child, nullptr);
}

}  // namespace
