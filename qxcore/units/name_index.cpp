#include "qxcore/units/name_index.h"

#include <new>

#include "qxcore/core/host_memory.h"

namespace quarn {

name_index_t::~name_index_t() { host_free_vector(slots_); }

std::size_t name_index_t::home_of(std::uintptr_t parent_kind, unsigned long long token) const {
  // Tokens of numbered names differ in a few low digits and node addresses in
  // a few middle bits: a full 64-bit mix spreads both over the table.
  unsigned long long h = token ^ (static_cast<unsigned long long>(parent_kind) * 0x9E3779B97F4A7C15ull);
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ull;
  h ^= h >> 32;
  return static_cast<std::size_t>(h) & (capacity_ - 1);
}

name_index_t::slot_t* name_index_t::locate(std::uintptr_t parent_kind,
                                           unsigned long long token) const {
  if (capacity_ == 0) return nullptr;
  for (std::size_t i = home_of(parent_kind, token);; i = (i + 1) & (capacity_ - 1)) {
    slot_t* slot = slots_ + i;
    if (slot->entry == nullptr) return nullptr;
    if (slot->parent_kind == parent_kind && slot->token == token) return slot;
  }
}

void* name_index_t::find(const void* parent, kind_t kind, unsigned long long token) const {
  slot_t* slot = locate(key_of(parent, kind), token);
  return slot != nullptr ? slot->entry : nullptr;
}

bool name_index_t::rehash(std::size_t capacity) {
  auto* fresh = static_cast<slot_t*>(host_alloc_vector(capacity * sizeof(slot_t)));
  if (fresh == nullptr) return false;
  for (std::size_t i = 0; i < capacity; ++i) fresh[i] = slot_t{0, 0, nullptr};
  slot_t* old = slots_;
  std::size_t old_capacity = capacity_;
  slots_ = fresh;
  capacity_ = capacity;
  for (std::size_t i = 0; i < old_capacity; ++i) {
    if (old[i].entry == nullptr) continue;
    std::size_t j = home_of(old[i].parent_kind, old[i].token);
    while (slots_[j].entry != nullptr) j = (j + 1) & (capacity_ - 1);
    slots_[j] = old[i];
  }
  host_free_vector(old);
  return true;
}

bool name_index_t::reserve(unsigned int more) {
  // At most half full keeps probe runs short.
  std::size_t needed = (static_cast<std::size_t>(count_) + more) * 2;
  if (needed <= capacity_) return true;
  std::size_t capacity = capacity_ == 0 ? 16 : capacity_;
  while (capacity < needed) capacity *= 2;
  return rehash(capacity);
}

bool name_index_t::insert(const void* parent, kind_t kind, unsigned long long token,
                          void* entry) {
  // A refused growth still leaves room while one slot stays free.
  if (!reserve(1) && count_ + 1 >= capacity_) return false;
  std::uintptr_t parent_kind = key_of(parent, kind);
  std::size_t i = home_of(parent_kind, token);
  while (slots_[i].entry != nullptr) i = (i + 1) & (capacity_ - 1);
  slots_[i] = slot_t{parent_kind, token, entry};
  ++count_;
  return true;
}

void name_index_t::replace(const void* parent, kind_t kind, unsigned long long token,
                           void* entry) {
  slot_t* slot = locate(key_of(parent, kind), token);
  if (slot != nullptr) slot->entry = entry;
}

void name_index_t::remove(const void* parent, kind_t kind, unsigned long long token) {
  slot_t* slot = locate(key_of(parent, kind), token);
  if (slot == nullptr) return;
  // Backward shift: pull later members of the probe run into the hole so
  // that no lookup stops early at it.
  std::size_t hole = static_cast<std::size_t>(slot - slots_);
  std::size_t mask = capacity_ - 1;
  for (std::size_t i = (hole + 1) & mask; slots_[i].entry != nullptr; i = (i + 1) & mask) {
    std::size_t home = home_of(slots_[i].parent_kind, slots_[i].token);
    // Move i into the hole unless its home lies cyclically in (hole, i].
    bool home_after_hole = ((i - home) & mask) < ((i - hole) & mask);
    if (home_after_hole) continue;
    slots_[hole] = slots_[i];
    hole = i;
  }
  slots_[hole] = slot_t{0, 0, nullptr};
  --count_;
}

}  // namespace quarn
