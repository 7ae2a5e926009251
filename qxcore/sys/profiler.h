// A hierarchical frame profiler. Instrumented code opens a profiler_sample_t
// for a region; the library grows a call tree with one node per distinct
// path of region names, and keeps each node's time and call count for each
// of the last 64 frames. Nodes of one region name are linked into chains,
// and chains into named zones, for totals across the tree.
//
//   void step_world() {
//     quarn::profiler_sample_t frame("frame");    // the outermost region
//     { quarn::profiler_sample_t s("physics", "simulation"); simulate(); }
//     quarn::profiler_advance_frame();            // takes effect as "frame" closes
//   }
//
// Region and zone names are identified by their address, not their text:
// pass string constants. Times are in microseconds.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/core/host_memory.h"

namespace quarn {

constexpr unsigned int PROFILER_FRAMES = 64;  // frame slots kept per node

// One region on one path of the call tree.
struct QX_API profiler_node_t : host_allocated_t {
  const char* name;  // region name; identity is the pointer
  unsigned long long
      total_time[PROFILER_FRAMES];  // per slot: time in the region, children included
  unsigned long long child_time[PROFILER_FRAMES];  // per slot: time in child regions
  unsigned int calls[PROFILER_FRAMES];             // per slot: entries
  profiler_node_t* parent;                         // null for the root
  profiler_node_t* first_child;                    // newest child first
  profiler_node_t* next_sibling;
  profiler_node_t* chain_next;      // next node of the same name in the zone
  profiler_node_t* next_chain;      // on a chain's head: the zone's next chain
  unsigned long long start_cycles;  // cycle counter at the outermost entry
  unsigned int frame;               // slot of the running measurement
  unsigned int depth;               // entries not yet left (recursion)

  profiler_node_t(const char* name, profiler_node_t* parent);

  // For a frame slot below PROFILER_FRAMES (others are reported and give 0):
  unsigned int tree_calls(unsigned int slot) const;   // this node and all below it
  unsigned int chain_calls(unsigned int slot) const;  // this node and those after it in its chain
  unsigned long long chain_total_time(unsigned int slot) const;
  unsigned long long chain_self_time(unsigned int slot) const;  // without child time
};

// A named group of chains; the zones form a list that starts at the root
// zone "?".
struct QX_API profiler_zone_t : host_allocated_t {
  const char* name;  // identity is the pointer
  profiler_zone_t* next = nullptr;
  profiler_node_t* first_chain = nullptr;  // head of the first chain

  explicit profiler_zone_t(const char* name) : name(name) {}
  ~profiler_zone_t();  // releases the zones after this one in the list
  profiler_zone_t(const profiler_zone_t&) = delete;
  profiler_zone_t& operator=(const profiler_zone_t&) = delete;

  unsigned int subtree_calls(unsigned int slot) const;    // chain_calls of every chain
  unsigned long long self_time(unsigned int slot) const;  // chain_self_time of every chain
};

struct QX_API profiler_frame_iterator_t {
  unsigned int newest;      // the newest frame slot
  unsigned int collecting;  // the slot samples are counted in now

  constexpr profiler_frame_iterator_t() : newest(0), collecting(0) {}
};

// Enters the region `name` (under the current one) for its lifetime. A null
// zone files a new node under the root zone "?". Samples must close in the
// reverse order of opening, on one thread.
class QX_API profiler_sample_t {
 public:
  explicit profiler_sample_t(const char* name, const char* zone = nullptr);
  ~profiler_sample_t();
  profiler_sample_t(const profiler_sample_t&) = delete;
  profiler_sample_t& operator=(const profiler_sample_t&) = delete;

 private:
  profiler_node_t* node_;    // the node entered; null when none was
  unsigned int generation_;  // which start of the profiler it belongs to
};

// Asks for the next frame; it begins when the outermost open sample closes.
QX_API void profiler_advance_frame();
// While paused, advancing clears and reuses the collecting slot, so the
// other slots keep their history.
QX_API const profiler_frame_iterator_t& profiler_pause();
QX_API void profiler_unpause();
QX_API unsigned long long profiler_elapsed_time();  // since the current frame began
QX_API profiler_node_t* profiler_tree();   // the root "PROFILED_CODE"; null when not running
QX_API profiler_zone_t* profiler_zones();  // the root zone; the list goes on through next

}  // namespace quarn
