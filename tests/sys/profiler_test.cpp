// The profiler: the call tree it grows, zones, times against the
// millisecond clock (tmr_read) for regions that sleep known durations,
// recursion, the 64-slot frame ring and pause; and its trace file, read back
// by Python's json (check_trace.py), whose events must nest into exactly the
// tree the profiler recorded, frame by frame. Each test starts and ends on a
// freshly started library, so the tree holds only what the test made.
#include "qxcore/sys/profiler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "qxcore/core/lifecycle.h"
#include "qxcore/fs/file.h"
#include "qxcore/strings/string.h"
#include "qxcore/sys/cpu_dispatch.h"
#include "qxcore/sys/profiler_trace.h"
#include "qxcore/sys/timers.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"
#include "tests/support/temp_dir.h"

namespace {

using quarn::profiler_node_t;
using quarn::profiler_sample_t;

// Names are identified by address: arrays, so equal texts stay distinct. A
// name with a quote and a backslash tests the trace writer's escaping.
const char FRAME[] = "frame", WORK[] = "work", PHYSICS[] = "physics",
           RENDER[] = "render \"main\\view\"", SHADOWS[] = "shadows", SIM[] = "sim", GFX[] = "gfx";

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

// Millisecond-clock readings around a region: outside it (before entering,
// after leaving) and just inside it, so that a preemption anywhere only widens
// the bounds. The clock ticks in whole milliseconds; the cycle rate is
// measured to a few percent.
struct span_t {
  unsigned long long outside_start, inside_start, inside_end, outside_end;
  double low() const { return (inside_end - inside_start) * 0.95 - 1000; }
  double high() const { return (outside_end - outside_start) * 1.05 + 1000; }
};
void expect_within(unsigned long long measured, const span_t& s) {
  EXPECT_GE(double(measured), s.low());
  EXPECT_LE(double(measured), s.high());
}

// Runs `body` in a sample of `name`, reading the clock around it.
template <class F>
span_t timed(const char* name, F&& body) {
  span_t s;
  s.outside_start = quarn::tmr_read();
  {
    profiler_sample_t sample(name);
    s.inside_start = quarn::tmr_read();
    body();
    s.inside_end = quarn::tmr_read();
  }
  s.outside_end = quarn::tmr_read();
  return s;
}

TEST_F(Profiler, TimesAgreeWithTheMillisecondClock) {
  // work sleeps 20 ms itself and 30 ms in physics.
  span_t physics_span;
  const span_t work_span = timed(WORK, [&] {
    sleep_ms(20);
    physics_span = timed(PHYSICS, [] { sleep_ms(30); });
  });
  const profiler_node_t* work = child(quarn::profiler_tree(), WORK);
  const profiler_node_t* physics = child(work, PHYSICS);
  expect_within(work->total_time[0], work_span);
  expect_within(physics->total_time[0], physics_span);
  EXPECT_EQ(work->child_time[0], physics->total_time[0]);
  EXPECT_EQ(work->chain_total_time(0), work->total_time[0]);
  const double self = double(work->chain_self_time(0));
  EXPECT_GE(self, work_span.low() - physics_span.high());
  EXPECT_LE(self, work_span.high() - physics_span.low());
  EXPECT_GE(quarn::profiler_elapsed_time(), 50000 * 0.95);

  // Recursion deepens one node, and its time runs from the outermost entry
  // only: about 30 ms here, not 45.
  span_t render_span = timed(RENDER, [] {
    sleep_ms(15);
    profiler_sample_t inner(RENDER);
    EXPECT_EQ(child(quarn::profiler_tree(), RENDER)->depth, 2u);
    sleep_ms(15);
  });
  const profiler_node_t* render = child(quarn::profiler_tree(), RENDER);
  EXPECT_TRUE(render->first_child == nullptr && render->calls[0] == 2 && render->depth == 0);
  expect_within(render->total_time[0], render_span);
}

TEST_F(Profiler, FrameRingWrapsAfter64AndPauseReusesASlot) {
  frame([] { profiler_sample_t w(WORK); });
  const profiler_node_t *root = quarn::profiler_tree(), *f = child(root, FRAME);
  EXPECT_GT(root->total_time[0], 0u);  // the root's time closes with its frame
  for (int i = 1; i < 63; ++i) frame([] {});
  EXPECT_EQ(child(f, WORK)->calls[0], 1u);  // slot 0 still holds the first frame
  frame([] {});
  EXPECT_EQ(collecting(), 0u);  // wrapped, and slot 0 cleared before reuse
  EXPECT_TRUE(child(f, WORK)->calls[0] == 0 && f->calls[0] == 0 && f->calls[63] == 1);
  EXPECT_EQ(root->calls[0], 1u);  // entered afresh

  // While paused, each advance clears and re-collects the same slot.
  quarn::profiler_pause();
  for (int i = 0; i < 3; ++i) frame([] { profiler_sample_t p(PHYSICS); });
  EXPECT_EQ(quarn::profiler_pause().collecting, 0u);
  EXPECT_TRUE(child(f, PHYSICS)->calls[0] == 0 && f->calls[0] == 0);
  quarn::profiler_unpause();
  frame([] {});
  EXPECT_EQ(collecting(), 1u);
}

// A file whose every write fails.
class FailingFile : public quarn::file_t {
 public:
  FailingFile() : file_t(nullptr, quarn::string::EMPTY) {}
  bool write(const void*, unsigned int) override { return false; }
};

TEST_F(Profiler, MisuseAndTraceFailuresAreReportedAndNothingWorksOutsideTheLifetime) {
  qxtest::capture_sink_t sink;
  EXPECT_EQ(quarn::profiler_tree()->tree_calls(64), 0u);
  EXPECT_EQ(quarn::profiler_zones()->self_time(100), 0u);
  { profiler_sample_t nameless(nullptr); }
  auto* outer = new profiler_sample_t(WORK);
  auto* inner = new profiler_sample_t(PHYSICS);
  delete outer;  // out of order: reported, nothing left
  delete inner;
  FailingFile failing;
  EXPECT_FALSE(quarn::profiler_write_trace(&failing));
  EXPECT_FALSE(quarn::profiler_write_trace(nullptr));
  EXPECT_FALSE(quarn::profiler_write_trace(quarn::string_alias_t("/no/such/dir/t.json"),
                                           quarn::FS_TYPE_VIRTUAL));
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{
                "[sys] profiler: frame slot 64 is not below 64",
                "[sys] profiler: frame slot 100 is not below 64",
                "[sys] profiler: a sample needs a region name",
                "[sys] profiler: the sample 'work' closed while 'physics' was "
                "open; samples close in reverse order",
                "[sys] profiler: cannot write the trace to ''",
                "[sys] profiler: no file to write the trace into",
                "[sys] profiler: cannot create the trace file '/no/such/dir/t.json'"}));

  auto* open = new profiler_sample_t(RENDER);
  quarn::qxcore_shutdown();
  EXPECT_EQ(quarn::profiler_tree(), nullptr);
  { profiler_sample_t ignored(PHYSICS); }
  delete open;  // its node went with the shut-down
  EXPECT_EQ(quarn::profiler_elapsed_time(), 0u);
  EXPECT_FALSE(quarn::profiler_write_trace(nullptr));
  qxtest::install_counting_hooks();
  EXPECT_EQ(quarn::profiler_tree()->first_child, nullptr);
}

std::string json_text(const char* s) {
  std::string out = "\"";
  for (; *s; ++s) out += (*s == '"' || *s == '\\') ? std::string("\\") + *s : std::string(1, *s);
  return out + "\"";
}

// The recorded tree of one slot as check_trace.py expects it, children in
// the order they were first entered (the node keeps them newest first).
std::string expected_node(const profiler_node_t* n, unsigned int slot,
                          const std::map<const char*, const char*>& zones) {
  std::string children;
  for (const profiler_node_t* c = n->first_child; c != nullptr; c = c->next_sibling)
    if (c->calls[slot] != 0)
      children = expected_node(c, slot, zones) + (children.empty() ? "" : ",") + children;
  return "{\"name\":" + json_text(n->name) + ",\"cat\":" + json_text(zones.at(n->name)) +
         ",\"calls\":" + std::to_string(n->calls[slot]) +
         ",\"total\":" + std::to_string(n->total_time[slot]) + ",\"children\":[" + children + "]}";
}

TEST_F(Profiler, TraceNestsLikeTheRecordedTree) {
  for (int f = 0; f < 3; ++f) {
    profiler_sample_t frame(FRAME);
    for (int i = 0; i < 2; ++i) {
      profiler_sample_t physics(PHYSICS, SIM);
      sleep_ms(2);
    }
    if (f != 1) {  // the middle frame renders nothing
      profiler_sample_t render(RENDER, GFX);
      sleep_ms(1);
      profiler_sample_t shadows(SHADOWS, GFX);
      sleep_ms(1);
    }
    quarn::profiler_advance_frame();
  }
  qxtest::temp_dir_t dir;
  ASSERT_TRUE(quarn::profiler_write_trace(quarn::string_alias_t((dir / "trace.json").c_str()),
                                          quarn::FS_TYPE_NATIVE));

  const profiler_node_t* root = quarn::profiler_tree();
  EXPECT_STREQ(root->name, "PROFILED_CODE");
  EXPECT_EQ(root->tree_calls(0), 1u + 1 + 2 + 1 + 1);
  // The trace files each node under the zone whose chains hold it; the zones'
  // own list has the root zone "?" first, then the newest.
  const quarn::profiler_zone_t* gfx = quarn::profiler_zones()->next;
  ASSERT_TRUE(gfx && gfx->name == GFX && gfx->next && gfx->next->name == SIM);
  EXPECT_TRUE(gfx->subtree_calls(1) == 0 && gfx->subtree_calls(2) == 2);
  EXPECT_EQ(gfx->next->subtree_calls(0), 2u);
  const std::map<const char*, const char*> zones{
      {root->name, "?"}, {FRAME, "?"}, {PHYSICS, SIM}, {RENDER, GFX}, {SHADOWS, GFX}};
  std::string expected = "[";
  for (unsigned int slot = 0; slot < 3; ++slot)
    expected += (slot ? "," : "") + expected_node(root, slot, zones);
  dir.write("expected.json", expected + "]");
  const std::string command = std::string(QXTEST_PYTHON) + " " + QXTEST_CHECK_TRACE + " " +
                              (dir / "trace.json") + " " + (dir / "expected.json");
  EXPECT_EQ(std::system(command.c_str()), 0) << expected;
}

}  // namespace
