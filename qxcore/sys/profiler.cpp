#include "qxcore/sys/profiler.h"

#include <cstring>

#include "qxcore/core/messages.h"
#include "qxcore/core/service_initializers.h"
#include "qxcore/sys/timers.h"

namespace quarn {

namespace {

const char ROOT_NAME[] = "PROFILED_CODE";
const char ROOT_ZONE_NAME[] = "?";

// The profiler's process-wide state, set up by profiler_initializer_t.
struct profiler_state_t {
  profiler_node_t* root;
  profiler_node_t* current;
  profiler_zone_t* zones;  // the root zone first
  profiler_frame_iterator_t frames;
  unsigned long long frame_start;  // cycle counter when the current frame began
  bool advance_requested;
  bool paused;
  unsigned int generation;  // counts starts, so a sample never leaves a node of an earlier one
};
constinit profiler_state_t state = {};

bool valid_slot(unsigned int slot) {
  if (slot < PROFILER_FRAMES) return true;
  error("[sys] profiler: frame slot %u is not below %u", slot, PROFILER_FRAMES);
  return false;
}

void enter(profiler_node_t* node, unsigned int slot) {
  if (node->depth++ == 0) {
    node->start_cycles = tmr_get_cycles();
    node->frame = slot;
  }
  ++node->calls[node->frame];
}

// True when the outermost entry was left and the time was booked.
bool leave(profiler_node_t* node) {
  if (node->depth == 0 || --node->depth > 0) return false;
  const unsigned long long elapsed = tmr_cycles_to_usec(tmr_get_cycles() - node->start_cycles);
  node->total_time[node->frame] += elapsed;
  if (node->parent != nullptr) node->parent->child_time[node->frame] += elapsed;
  return true;
}

// Pre-order walk of the nodes below `top` (not `top` itself); null at the end.
profiler_node_t* next_below(const profiler_node_t* top, profiler_node_t* n) {
  if (n->first_child != nullptr) return n->first_child;
  while (n != top && n->next_sibling == nullptr) n = n->parent;
  return n == top ? nullptr : n->next_sibling;
}

void clear_slot(profiler_node_t* root, unsigned int slot) {
  for (profiler_node_t* n = root; n != nullptr; n = next_below(root, n)) {
    n->total_time[slot] = n->child_time[slot] = 0;
    n->calls[slot] = 0;
    n->start_cycles = 0;
    n->frame = 0;
    n->depth = 0;
  }
}

void advance_frame() {
  leave(state.root);
  if (!state.paused) {
    state.frames.newest = (state.frames.newest + 1) % PROFILER_FRAMES;
    state.frames.collecting = state.frames.newest;
  }
  clear_slot(state.root, state.frames.collecting);
  enter(state.root, state.frames.collecting);
  state.frame_start = tmr_get_cycles();
  state.advance_requested = false;
}

profiler_zone_t* find_or_add_zone(const char* zone) {
  const char* name = zone != nullptr ? zone : ROOT_ZONE_NAME;
  for (profiler_zone_t* z = state.zones; z != nullptr; z = z->next)
    if (z->name == name) return z;
  auto* z = new profiler_zone_t(name);
  if (z != nullptr) {
    z->next = state.zones->next;  // right after the root zone
    state.zones->next = z;
  }
  return z;
}

// A new child of the current node, at the front of its children and in the
// chain of its name within its zone.
profiler_node_t* add_node(const char* name, const char* zone_name) {
  profiler_zone_t* zone = find_or_add_zone(zone_name);
  profiler_node_t* node = zone != nullptr ? new profiler_node_t(name, state.current) : nullptr;
  if (node == nullptr) {
    error("[sys] profiler: out of memory for the region '%s'", name);
    return nullptr;
  }
  node->next_sibling = state.current->first_child;
  state.current->first_child = node;
  for (profiler_node_t* head = zone->first_chain; head != nullptr; head = head->next_chain) {
    if (head->name == name) {
      node->chain_next = head->chain_next;
      head->chain_next = node;
      return node;
    }
  }
  node->next_chain = zone->first_chain;
  zone->first_chain = node;
  return node;
}

void delete_tree(profiler_node_t* root) {
  // Children first: take a leaf, unlink it, delete it.
  profiler_node_t* n = root;
  while (n != nullptr) {
    if (n->first_child != nullptr) {
      n = n->first_child;
      continue;
    }
    profiler_node_t* parent = n->parent;
    if (parent != nullptr) parent->first_child = n->next_sibling;
    delete n;
    n = parent;
  }
}

}  // namespace

profiler_node_t::profiler_node_t(const char* name, profiler_node_t* parent)
    : name(name),
      total_time{},
      child_time{},
      calls{},
      parent(parent),
      first_child(nullptr),
      next_sibling(nullptr),
      chain_next(nullptr),
      next_chain(nullptr),
      start_cycles(0),
      frame(0),
      depth(0) {}

unsigned int profiler_node_t::tree_calls(unsigned int slot) const {
  if (!valid_slot(slot)) return 0;
  unsigned int total = calls[slot];
  for (profiler_node_t* n = first_child; n != nullptr; n = next_below(this, n))
    total += n->calls[slot];
  return total;
}

unsigned int profiler_node_t::chain_calls(unsigned int slot) const {
  if (!valid_slot(slot)) return 0;
  unsigned int total = 0;
  for (const profiler_node_t* n = this; n != nullptr; n = n->chain_next) total += n->calls[slot];
  return total;
}

unsigned long long profiler_node_t::chain_total_time(unsigned int slot) const {
  if (!valid_slot(slot)) return 0;
  unsigned long long total = 0;
  for (const profiler_node_t* n = this; n != nullptr; n = n->chain_next)
    total += n->total_time[slot];
  return total;
}

unsigned long long profiler_node_t::chain_self_time(unsigned int slot) const {
  if (!valid_slot(slot)) return 0;
  unsigned long long total = 0;
  for (const profiler_node_t* n = this; n != nullptr; n = n->chain_next)
    total += n->total_time[slot] - n->child_time[slot];
  return total;
}

profiler_zone_t::~profiler_zone_t() {
  // One at a time, so a long list does not recurse.
  profiler_zone_t* z = next;
  next = nullptr;
  while (z != nullptr) {
    profiler_zone_t* after = z->next;
    z->next = nullptr;
    delete z;
    z = after;
  }
}

unsigned int profiler_zone_t::subtree_calls(unsigned int slot) const {
  if (!valid_slot(slot)) return 0;
  unsigned int total = 0;
  for (const profiler_node_t* head = first_chain; head != nullptr; head = head->next_chain)
    total += head->chain_calls(slot);
  return total;
}

unsigned long long profiler_zone_t::self_time(unsigned int slot) const {
  if (!valid_slot(slot)) return 0;
  unsigned long long total = 0;
  for (const profiler_node_t* head = first_chain; head != nullptr; head = head->next_chain)
    total += head->chain_self_time(slot);
  return total;
}

profiler_sample_t::profiler_sample_t(const char* name, const char* zone)
    : node_(nullptr), generation_(state.generation) {
  profiler_node_t* current = state.current;
  if (current == nullptr) return;  // not running: before qxcore_init or after shutdown
  if (name == nullptr) {
    error("[sys] profiler: a sample needs a region name");
    return;
  }
  profiler_node_t* node = nullptr;
  if (name == current->name) {
    node = current;  // recursion deepens the node
  } else {
    for (profiler_node_t* child = current->first_child; child != nullptr;
         child = child->next_sibling)
      if (child->name == name) {
        node = child;
        break;
      }
    if (node == nullptr && (node = add_node(name, zone)) == nullptr) return;
  }
  state.current = node;
  enter(node, state.frames.collecting);
  node_ = node;
}

profiler_sample_t::~profiler_sample_t() {
  if (node_ == nullptr || generation_ != state.generation || state.current == nullptr) return;
  if (state.current != node_) {
    error(
        "[sys] profiler: the sample '%s' closed while '%s' was open; samples close in reverse "
        "order",
        node_->name, state.current->name);
    return;
  }
  if (leave(node_)) state.current = node_->parent;
  if (state.advance_requested && state.current == state.root) advance_frame();
}

void profiler_advance_frame() { state.advance_requested = true; }

const profiler_frame_iterator_t& profiler_pause() {
  state.paused = true;
  return state.frames;
}

void profiler_unpause() { state.paused = false; }

unsigned long long profiler_elapsed_time() {
  if (state.root == nullptr) return 0;
  return tmr_cycles_to_usec(tmr_get_cycles() - state.frame_start);
}

profiler_node_t* profiler_tree() { return state.root; }

profiler_zone_t* profiler_zones() { return state.zones; }

// Started fourth by qxcore_init. A refused allocation leaves the profiler
// off, as a refused service object does: samples then record nothing.
profiler_initializer_t::profiler_initializer_t() {
  auto* root = new profiler_node_t(ROOT_NAME, nullptr);
  auto* zone = root != nullptr ? new profiler_zone_t(ROOT_ZONE_NAME) : nullptr;
  if (zone == nullptr) {
    delete root;
    return;
  }
  state.root = state.current = root;
  state.frames = profiler_frame_iterator_t();
  state.frame_start = tmr_get_cycles();
  state.zones = zone;
  state.advance_requested = state.paused = false;
  ++state.generation;
  enter(root, 0);
}

profiler_initializer_t::~profiler_initializer_t() {
  if (state.root == nullptr) return;
  delete_tree(state.root);
  delete state.zones;
  const unsigned int generation = state.generation;
  state = {};
  state.generation = generation;
}

}  // namespace quarn
