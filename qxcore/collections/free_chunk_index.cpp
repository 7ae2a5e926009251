#include "qxcore/collections/free_chunk_index.h"

#include <cstring>

#include "qxcore/collections/chunk_space.h"
#include "qxcore/core/host_memory.h"

namespace quarn {

namespace {

constexpr unsigned int SMALLEST_CAPACITY = 16;

chunk_t* chunk_of(vdatalist_node_t* node) { return static_cast<chunk_t*>(node->data()); }

// A leaf holds the size plus one, so that a free chunk of 0 bytes still
// counts as present.
unsigned int leaf_value(vdatalist_node_t* node) { return (chunk_of(node)->size_and_flag & ~1u) + 1; }

unsigned int capacity_for(unsigned int chunks) {
  unsigned int capacity = SMALLEST_CAPACITY;
  while (capacity < 2ull * chunks) capacity *= 2;
  return capacity;
}

}  // namespace

free_chunk_index_t::~free_chunk_index_t() { release(); }

void free_chunk_index_t::release() {
  host_free_vector(slots_);
  slots_ = nullptr;
  largest_ = nullptr;
  capacity_ = used_ = live_ = 0;
}

void free_chunk_index_t::reset() {
  if (slots_ == nullptr) return;
  std::memset(slots_, 0, sizeof(void*) * used_);
  std::memset(largest_, 0, sizeof(unsigned int) * 2 * capacity_);
  used_ = live_ = 0;
}

void free_chunk_index_t::set_leaf(unsigned int slot, unsigned int value) {
  unsigned int node = capacity_ + slot;
  largest_[node] = value;
  for (node >>= 1; node != 0; node >>= 1) {
    unsigned int left = largest_[2 * node], right = largest_[2 * node + 1];
    unsigned int top = left > right ? left : right;
    if (largest_[node] == top) break;  // nothing above changes either
    largest_[node] = top;
  }
}

bool free_chunk_index_t::reorganise(unsigned int capacity) {
  vdatalist_node_t** slots = slots_;
  if (capacity != capacity_) {
    std::size_t bytes = (sizeof(void*) + 2 * sizeof(unsigned int)) * static_cast<std::size_t>(capacity);
    slots = static_cast<vdatalist_node_t**>(host_alloc_vector(bytes));
    if (slots == nullptr) return false;
  }
  // Dense renumbering keeps the slots' order, and so the chain's.
  unsigned int live = 0;
  for (unsigned int slot = 0; slot < used_; ++slot)
    if (vdatalist_node_t* chunk = slots_[slot]) {
      slots[live] = chunk;
      chunk_of(chunk)->index_slot = live++;
    }
  if (slots != slots_) host_free_vector(slots_);
  slots_ = slots;
  capacity_ = capacity;
  largest_ = reinterpret_cast<unsigned int*>(slots_ + capacity);
  used_ = live_ = live;
  std::memset(slots_ + live, 0, sizeof(void*) * (capacity - live));
  std::memset(largest_, 0, sizeof(unsigned int) * 2 * capacity);
  for (unsigned int slot = 0; slot < live; ++slot) largest_[capacity + slot] = leaf_value(slots_[slot]);
  for (unsigned int node = capacity - 1; node != 0; --node) {
    unsigned int left = largest_[2 * node], right = largest_[2 * node + 1];
    largest_[node] = left > right ? left : right;
  }
  return true;
}

bool free_chunk_index_t::build(vdatalist_node_t* head, unsigned int length) {
  release();
  unsigned int capacity = capacity_for(length);
  std::size_t bytes = (sizeof(void*) + 2 * sizeof(unsigned int)) * static_cast<std::size_t>(capacity);
  slots_ = static_cast<vdatalist_node_t**>(host_alloc_vector(bytes));
  if (slots_ == nullptr) return false;
  // The front of the chain takes the highest slot.
  used_ = live_ = 0;
  unsigned int slot = length;
  for (vdatalist_node_t* chunk = head; chunk != nullptr && slot != 0; chunk = chunk_of(chunk)->chain_next) {
    slots_[--slot] = chunk;
    chunk_of(chunk)->index_slot = slot;
  }
  used_ = length;
  return reorganise(capacity);  // the same capacity: fills the tree in place
}

void free_chunk_index_t::push_front(vdatalist_node_t* chunk) {
  if (slots_ == nullptr) return;
  if (used_ == capacity_ && !reorganise(capacity_for(live_ + 1))) {
    release();
    return;
  }
  unsigned int slot = used_++;
  ++live_;
  slots_[slot] = chunk;
  chunk_of(chunk)->index_slot = slot;
  set_leaf(slot, leaf_value(chunk));
}

void free_chunk_index_t::remove(vdatalist_node_t* chunk) {
  if (slots_ == nullptr) return;
  unsigned int slot = chunk_of(chunk)->index_slot;
  slots_[slot] = nullptr;
  --live_;
  set_leaf(slot, 0);
}

void free_chunk_index_t::resized(vdatalist_node_t* chunk) {
  if (slots_ != nullptr) set_leaf(chunk_of(chunk)->index_slot, leaf_value(chunk));
}

vdatalist_node_t* free_chunk_index_t::first_fit(unsigned int n) const {
  if (live_ == 0) return nullptr;
  unsigned int need = n + 1;
  // From the newest slot leftwards: test a subtree, and when it holds
  // nothing large enough move to the subtree just left of it.
  unsigned int node = capacity_ + used_ - 1;
  while (largest_[node] < need) {
    while ((node & 1) == 0) node >>= 1;
    if (node == 1) return nullptr;
    --node;
  }
  while (node < capacity_) node = largest_[2 * node + 1] >= need ? 2 * node + 1 : 2 * node;
  return slots_[node - capacity_];
}

}  // namespace quarn
