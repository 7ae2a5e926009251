// qxcore_demo: a host program that uses the library the way an engine does.
// It brings its own allocation hooks, starts the library, registers a console
// sink, tours each subsystem, shuts down and checks that nothing is left.
#include <cstdio>

#include "qxcore/qxcore.h"
#include "tools/demo_host/host_hooks.h"
#include "tools/demo_host/tour.h"

namespace demo {

void section(const char* title) { std::printf("\n== %s ==\n", title); }

}  // namespace demo

int main(int argc, char** argv) {
  // Line-buffered even into a pipe, so the console sink's two streams interleave in order.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::printf("qxcore demo host\n");
  quarn::qxcore_init(demo::host_new, demo::host_new_vector, demo::host_delete,
                     demo::host_delete_vector, 0x40000002);
  std::printf("qxcore_init: %zu service objects live\n", demo::hook_counts().scalar_outstanding);
  quarn::cdl_init(argc, argv);  // copied: the library keeps no pointer into argv

  {
    quarn::message_stdio_t console;  // registers itself; unregisters at the end of scope
    demo::tour_messages();
    demo::tour_strings();
    demo::tour_paths();
    demo::tour_collections();
    demo::tour_fs();
    demo::tour_units();
    demo::tour_resources();
    demo::tour_plugins();
    demo::tour_math();
    demo::tour_images();
    demo::tour_platform();
    demo::tour_profiler();
    demo::tour_units_io();
  }

  quarn::qxcore_shutdown();
  demo::hook_counts_t counts = demo::hook_counts();
  // The shared pools keep their blocks until the library unloads, by design.
  std::size_t pooled = quarn::process_pool_blocks();
  std::size_t outstanding = counts.scalar_outstanding + counts.vector_outstanding - pooled;
  demo::section("shut down");
  std::printf("allocations made through the hooks: %zu\n", counts.allocations);
  std::printf("blocks the shared pools keep until unload: %zu\n", pooled);
  std::printf("allocations still outstanding: %zu\n", outstanding);
  return outstanding == 0 ? 0 : 1;
}
