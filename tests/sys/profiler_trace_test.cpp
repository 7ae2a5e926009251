// The profiler's trace file: written through the file system, read back by
// Python's json (check_trace.py), whose events must nest into exactly the
// tree the profiler recorded, frame by frame; and the writer's failures.
#include "qxcore/sys/profiler_trace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

#include "qxcore/core/lifecycle.h"
#include "qxcore/fs/file.h"
#include "qxcore/strings/string.h"
#include "qxcore/sys/cpu_dispatch.h"
#include "qxcore/sys/profiler.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"
#include "tests/support/temp_dir.h"

namespace {

using quarn::profiler_node_t;
using quarn::profiler_sample_t;

// A name with a quote and a backslash tests the writer's escaping.
const char FRAME[] = "frame", PHYSICS[] = "physics", RENDER[] = "render \"main\\view\"",
           SHADOWS[] = "shadows", SIM[] = "sim", GFX[] = "gfx";

void restart() {
  quarn::qxcore_shutdown();
  qxtest::install_counting_hooks();
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

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

class FailingFile : public quarn::file_t {
 public:
  FailingFile() : file_t(nullptr, quarn::string::EMPTY) {}
  bool write(const void*, unsigned int) override { return false; }
};

TEST(ProfilerTrace, NestsLikeTheRecordedTree) {
  restart();
  quarn::get_cpu_speed();  // the cycle rate, measured outside the frames
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

  const std::map<const char*, const char*> zones = {{quarn::profiler_tree()->name, "?"},
                                                    {FRAME, "?"},
                                                    {PHYSICS, SIM},
                                                    {RENDER, GFX},
                                                    {SHADOWS, GFX}};
  std::string expected = "[";
  for (unsigned int slot = 0; slot < 3; ++slot)
    expected += (slot ? "," : "") + expected_node(quarn::profiler_tree(), slot, zones);
  dir.write("expected.json", expected + "]");
  const std::string command = std::string(QXTEST_PYTHON) + " " + QXTEST_CHECK_TRACE + " " +
                              (dir / "trace.json") + " " + (dir / "expected.json");
  EXPECT_EQ(std::system(command.c_str()), 0) << expected;
  restart();
}

TEST(ProfilerTrace, FailuresAreReported) {
  restart();
  {
    qxtest::capture_sink_t sink;
    FailingFile failing;
    EXPECT_FALSE(quarn::profiler_write_trace(&failing));
    EXPECT_FALSE(quarn::profiler_write_trace(nullptr));
    EXPECT_FALSE(quarn::profiler_write_trace(quarn::string_alias_t("/no/such/dir/t.json"),
                                             quarn::FS_TYPE_VIRTUAL));
    EXPECT_EQ(sink.errors(),
              (std::vector<std::string>{
                  "[sys] profiler: cannot write the trace to ''",
                  "[sys] profiler: no file to write the trace into",
                  "[sys] profiler: cannot create the trace file '/no/such/dir/t.json'"}));
  }
  quarn::qxcore_shutdown();
  EXPECT_FALSE(quarn::profiler_write_trace(nullptr));  // not running
  restart();
}

}  // namespace
