#include "qxcore/collections/vhash_value_counts.h"

#include <cstring>

#include "qxcore/core/host_memory.h"

namespace quarn {

namespace {
constexpr unsigned int SMALLEST_CAPACITY = 16;
}  // namespace

vhash_value_counts_t::~vhash_value_counts_t() { release(); }

void vhash_value_counts_t::release() {
  host_free_vector(slots_);
  slots_ = nullptr;
  capacity_ = used_ = 0;
}

void vhash_value_counts_t::clear() {
  if (slots_ != nullptr) std::memset(slots_, 0, sizeof(slot_t) * capacity_);
  used_ = 0;
}

// Bucket hash values of numbered names differ in a few low bits only:
// multiply them apart before taking the slot.
unsigned int vhash_value_counts_t::home(unsigned int value) const {
  return static_cast<unsigned int>((value * 0x9E3779B97F4A7C15ull) >> 32) & (capacity_ - 1);
}

bool vhash_value_counts_t::rehash(unsigned int capacity) {
  auto* slots =
      static_cast<slot_t*>(host_alloc_vector(sizeof(slot_t) * static_cast<std::size_t>(capacity)));
  if (slots == nullptr) return false;
  std::memset(slots, 0, sizeof(slot_t) * capacity);
  slot_t* old = slots_;
  unsigned int old_capacity = capacity_;
  slots_ = slots;
  capacity_ = capacity;
  for (unsigned int i = 0; i < old_capacity; ++i) {
    if (old[i].count == 0) continue;
    unsigned int at = home(old[i].value);
    while (slots_[at].count != 0) at = (at + 1) & (capacity_ - 1);
    slots_[at] = old[i];
  }
  host_free_vector(old);
  return true;
}

int vhash_value_counts_t::add(unsigned int value) {
  if (slots_ != nullptr) {
    for (unsigned int at = home(value); slots_[at].count != 0; at = (at + 1) & (capacity_ - 1))
      if (slots_[at].value == value) {
        ++slots_[at].count;
        return 0;
      }
  }
  // Kept at most three quarters full.
  if (4ull * (used_ + 1) > 3ull * capacity_ &&
      !rehash(capacity_ == 0 ? SMALLEST_CAPACITY : capacity_ * 2))
    return -1;
  unsigned int at = home(value);
  while (slots_[at].count != 0) at = (at + 1) & (capacity_ - 1);
  slots_[at] = {value, 1};
  ++used_;
  return 1;
}

bool vhash_value_counts_t::remove(unsigned int value) {
  unsigned int mask = capacity_ - 1, hole = home(value);
  while (slots_[hole].value != value || slots_[hole].count == 0) hole = (hole + 1) & mask;
  if (--slots_[hole].count != 0) return false;
  // Later members of the probe run move back into the hole unless that would
  // put them before their home slot.
  for (unsigned int next = (hole + 1) & mask; slots_[next].count != 0; next = (next + 1) & mask) {
    unsigned int from = home(slots_[next].value);
    if (((next - from) & mask) >= ((next - hole) & mask)) {
      slots_[hole] = slots_[next];
      slots_[next].count = 0;
      hole = next;
    }
  }
  --used_;
  return true;
}

}  // namespace quarn
