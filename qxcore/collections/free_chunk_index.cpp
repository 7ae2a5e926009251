#include "qxcore/collections/free_chunk_index.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "qxcore/collections/chunk_space.h"
#include "qxcore/core/host_memory.h"

namespace quarn {

namespace {

constexpr unsigned int GROUP = 16;
constexpr unsigned int SMALLEST_CAPACITY = GROUP;

chunk_t* chunk_of(vdatalist_node_t* node) { return static_cast<chunk_t*>(node->data()); }

// A leaf holds the size plus one, so that a free chunk of 0 bytes still
// counts as present.
unsigned int leaf_value(vdatalist_node_t* node) {
  return (chunk_of(node)->size_and_flag & ~1u) + 1;
}

// Room for four times the chunks, so that renumbering is rare.
unsigned int capacity_for(unsigned int chunks) {
  unsigned int capacity = SMALLEST_CAPACITY;
  while (capacity < 4ull * chunks) capacity *= 2;
  return capacity;
}

unsigned int largest_of_group(const unsigned int* group) {
  unsigned int top = 0;
  for (unsigned int i = 0; i < GROUP; ++i) top = group[i] > top ? group[i] : top;
  return top;
}

// Bit i set when entry i of the group is at least `need` (need >= 1).
unsigned int fitting_mask(const unsigned int* group, unsigned int need) {
#if defined(__SSE2__)
  // Unsigned compare through signed: flip the top bits of both sides.
  const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
  const __m128i limit = _mm_set1_epi32(static_cast<int>((need - 1) ^ 0x80000000u));
  __m128i fits[4];
  for (int i = 0; i < 4; ++i) {
    __m128i values = _mm_loadu_si128(reinterpret_cast<const __m128i*>(group + 4 * i));
    fits[i] = _mm_cmpgt_epi32(_mm_xor_si128(values, flip), limit);
  }
  __m128i bytes =
      _mm_packs_epi16(_mm_packs_epi32(fits[0], fits[1]), _mm_packs_epi32(fits[2], fits[3]));
  return static_cast<unsigned int>(_mm_movemask_epi8(bytes));
#else
  unsigned int mask = 0;
  for (unsigned int i = 0; i < GROUP; ++i) mask |= (group[i] >= need ? 1u : 0u) << i;
  return mask;
#endif
}

// The highest position from `from` down to the start of its group whose
// value is at least `need`, or -1.
long last_fitting(const unsigned int* level, long from, unsigned int need) {
  long start = from & ~static_cast<long>(GROUP - 1);
  unsigned int mask = fitting_mask(level + start, need) & ((2u << (from - start)) - 1);
  return mask == 0 ? -1 : start + 31 - __builtin_clz(mask);
}

std::size_t bytes_for(unsigned int capacity, unsigned int values) {
  return sizeof(void*) * static_cast<std::size_t>(capacity) +
         sizeof(unsigned int) * static_cast<std::size_t>(values);
}

}  // namespace

free_chunk_index_t::~free_chunk_index_t() { release(); }

void free_chunk_index_t::release() {
  host_free_vector(slots_);
  slots_ = nullptr;
  largest_ = nullptr;
  capacity_ = used_ = live_ = values_ = top_ = 0;
  front_ = nullptr;
}

void free_chunk_index_t::reset() {
  if (slots_ == nullptr) return;
  std::memset(slots_, 0, sizeof(void*) * used_);
  std::memset(largest_, 0, sizeof(unsigned int) * values_);
  used_ = live_ = 0;
  front_ = nullptr;
}

void free_chunk_index_t::layout(unsigned int capacity) {
  unsigned int at = 0, entries = capacity;
  top_ = 0;
  for (;;) {
    level_at_[top_] = at;
    at += entries;
    if (entries == GROUP) break;
    entries = (entries / GROUP + GROUP - 1) / GROUP * GROUP;
    ++top_;
  }
  values_ = at;
}

// Each entry above level 0 holds the largest of its group. Slots from used_
// up are never searched, so their leaves may keep old values; the entries
// above them are brought up to date from fresh leaves before a search can
// reach them.
void free_chunk_index_t::set_leaf(unsigned int slot, unsigned int value) {
  unsigned int at = slot;
  unsigned int* entry = largest_ + at;
  unsigned int old = *entry;
  *entry = value;
  for (unsigned int level = 1; level <= top_; ++level) {
    unsigned int group = at / GROUP;
    unsigned int* parent = largest_ + level_at_[level] + group;
    unsigned int before = *parent;
    if (value > before) {
      *parent = value;
    } else if (old != before || value == old) {
      return;  // the group's largest is elsewhere, or unchanged
    } else {
      *parent = largest_of_group(largest_ + level_at_[level - 1] + group * GROUP);
      if (*parent == before) return;
    }
    old = before;
    value = *parent;
    at = group;
  }
}

bool free_chunk_index_t::reorganise(unsigned int capacity) {
  vdatalist_node_t** slots = slots_;
  unsigned int old_values = values_;
  layout(capacity);
  if (capacity != capacity_) {
    slots = static_cast<vdatalist_node_t**>(host_alloc_vector(bytes_for(capacity, values_)));
    if (slots == nullptr) {
      layout(capacity_);
      values_ = old_values;
      return false;
    }
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
  std::memset(largest_, 0, sizeof(unsigned int) * values_);
  for (unsigned int slot = 0; slot < live; ++slot) largest_[slot] = leaf_value(slots_[slot]);
  for (unsigned int level = 1; level <= top_; ++level) {
    unsigned int groups = level_at_[level] - level_at_[level - 1];
    for (unsigned int group = 0; group * GROUP < groups; ++group)
      largest_[level_at_[level] + group] =
          largest_of_group(largest_ + level_at_[level - 1] + group * GROUP);
  }
  return true;
}

bool free_chunk_index_t::build(vdatalist_node_t* head, unsigned int length) {
  release();
  unsigned int capacity = capacity_for(length);
  layout(capacity);
  slots_ = static_cast<vdatalist_node_t**>(host_alloc_vector(bytes_for(capacity, values_)));
  if (slots_ == nullptr) {
    release();
    return false;
  }
  capacity_ = capacity;
  // The front of the chain takes the highest slot.
  unsigned int slot = length;
  for (vdatalist_node_t* chunk = head; chunk != nullptr && slot != 0;
       chunk = chunk_of(chunk)->chain_next)
    slots_[--slot] = chunk;
  used_ = length;
  return reorganise(capacity);  // the same capacity: fills the tree in place
}

// The newest chunk waits outside the tree: churn often takes it, or merges
// it, before another chunk joins the chain, and then the tree never sees it.
void free_chunk_index_t::push_front(vdatalist_node_t* chunk) {
  if (slots_ == nullptr) return;
  if (front_ != nullptr) {
    if (used_ == capacity_ && !reorganise(capacity_for(live_ + 1))) {
      release();
      return;
    }
    unsigned int slot = used_++;
    ++live_;
    slots_[slot] = front_;
    chunk_of(front_)->index_slot = slot;
    set_leaf(slot, leaf_value(front_));
  }
  front_ = chunk;
}

void free_chunk_index_t::remove(vdatalist_node_t* chunk) {
  if (slots_ == nullptr) return;
  if (chunk == front_) {
    front_ = nullptr;
    return;
  }
  unsigned int slot = chunk_of(chunk)->index_slot;
  slots_[slot] = nullptr;
  --live_;
  if (slot + 1 == used_) {
    // The newest slot leaves: give it back instead of updating the tree.
    while (used_ != 0 && slots_[used_ - 1] == nullptr) --used_;
  } else {
    set_leaf(slot, 0);
  }
}

void free_chunk_index_t::resized(vdatalist_node_t* chunk) {
  if (slots_ != nullptr && chunk != front_)
    set_leaf(chunk_of(chunk)->index_slot, leaf_value(chunk));
}

vdatalist_node_t* free_chunk_index_t::first_fit(unsigned int n) const {
  if (front_ != nullptr && leaf_value(front_) > n) return front_;
  if (live_ == 0) return nullptr;
  unsigned int need = n + 1;
  // Up from the newest slot, each level scanning leftwards within a group,
  // until an entry is large enough; then down, taking the rightmost child
  // that is.
  long at = static_cast<long>(used_) - 1, found = -1;
  unsigned int level = 0;
  for (;;) {
    found = last_fitting(largest_ + level_at_[level], at, need);
    if (found >= 0) break;
    at = at / GROUP - 1;
    if (level == top_ || at < 0) return nullptr;
    ++level;
  }
  for (; level > 0; --level)
    found = last_fitting(largest_ + level_at_[level - 1], found * GROUP + GROUP - 1, need);
  return slots_[found];
}

}  // namespace quarn
