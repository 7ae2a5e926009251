#include "qxcore/collections/vhash_index.h"

#include <cstdint>
#include <cstring>

#include "qxcore/collections/vhash_base.h"
#include "qxcore/core/host_memory.h"

namespace quarn {

namespace {

constexpr unsigned int SMALLEST_CAPACITY = 16;
constexpr std::uint64_t MULTIPLIER_A = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t MULTIPLIER_B = 0xD6E8FEB86659FD93ull;

// Full 128-bit product folded to 64 bits: every input bit reaches every
// output bit.
std::uint64_t fold_multiply(std::uint64_t a, std::uint64_t b) {
  unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

const vhash_entry_t* entry_of(const vdatalist_node_t* node) {
  return static_cast<const vhash_entry_t*>(node->data());
}

// Kept at most three quarters full, so probe runs stay short.
bool too_full(unsigned int count, unsigned int capacity) { return 4ull * count > 3ull * capacity; }

}  // namespace

unsigned int vhash_index_t::key_hash(const void* key, unsigned int length) {
  const unsigned char* bytes = static_cast<const unsigned char*>(key);
  std::uint64_t h = MULTIPLIER_B ^ length;
  for (; length >= 8; bytes += 8, length -= 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes, 8);
    h = fold_multiply(h ^ word, MULTIPLIER_A);
  }
  if (length != 0) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, length);
    h = fold_multiply(h ^ word, MULTIPLIER_A);
  }
  h = fold_multiply(h, MULTIPLIER_B);
  return static_cast<unsigned int>(h ^ (h >> 32));
}

vhash_index_t::~vhash_index_t() { release(); }

void vhash_index_t::release() {
  host_free_vector(slots_);
  slots_ = nullptr;
  capacity_ = count_ = 0;
}

void vhash_index_t::clear() {
  if (slots_ != nullptr) std::memset(slots_, 0, sizeof(slot_t) * capacity_);
  count_ = 0;
}

void vhash_index_t::place(vdatalist_node_t* entry, unsigned int strong) {
  unsigned int mask = capacity_ - 1, slot = strong & mask;
  while (slots_[slot].entry != nullptr) slot = (slot + 1) & mask;
  slots_[slot] = {entry, strong};
  ++count_;
}

bool vhash_index_t::rehash(unsigned int capacity) {
  auto* slots =
      static_cast<slot_t*>(host_alloc_vector(sizeof(slot_t) * static_cast<std::size_t>(capacity)));
  if (slots == nullptr) return false;
  slot_t* old = slots_;
  unsigned int old_capacity = capacity_;
  slots_ = slots;
  capacity_ = capacity;
  count_ = 0;
  std::memset(slots_, 0, sizeof(slot_t) * capacity);
  for (unsigned int slot = 0; slot < old_capacity; ++slot)
    if (old[slot].entry != nullptr) place(old[slot].entry, old[slot].hash);
  host_free_vector(old);
  return true;
}

bool vhash_index_t::build(const vdatalist_t& entries) {
  release();
  unsigned int capacity = SMALLEST_CAPACITY;
  while (too_full(entries.size() + 1, capacity)) capacity *= 2;
  if (!rehash(capacity)) return false;
  for (vdatalist_node_t* e = entries.first(); e != nullptr; e = e->next) {
    const vhash_entry_t* entry = entry_of(e);
    place(e, key_hash(chunk_space_t::address(entry->key), entry->key_length));
  }
  return true;
}

vdatalist_node_t* vhash_index_t::find(const void* key, unsigned int length,
                                      unsigned int strong) const {
  unsigned int mask = capacity_ - 1;
  for (unsigned int slot = strong & mask; slots_[slot].entry != nullptr; slot = (slot + 1) & mask) {
    if (slots_[slot].hash != strong) continue;
    const vhash_entry_t* entry = entry_of(slots_[slot].entry);
    if (entry->key_length == length &&
        (length == 0 || std::memcmp(chunk_space_t::address(entry->key), key, length) == 0))
      return slots_[slot].entry;
  }
  return nullptr;
}

void vhash_index_t::add(vdatalist_node_t* entry, unsigned int strong) {
  if (slots_ == nullptr) return;
  if (too_full(count_ + 1, capacity_) && !rehash(capacity_ * 2)) {
    release();
    return;
  }
  place(entry, strong);
}

void vhash_index_t::remove(vdatalist_node_t* entry, unsigned int strong) {
  if (slots_ == nullptr) return;
  unsigned int mask = capacity_ - 1, hole = strong & mask;
  while (slots_[hole].entry != entry) hole = (hole + 1) & mask;
  // Later members of the probe run move back into the hole unless that would
  // put them before their home slot.
  for (unsigned int next = (hole + 1) & mask; slots_[next].entry != nullptr;
       next = (next + 1) & mask) {
    unsigned int home = slots_[next].hash & mask;
    if (((next - home) & mask) >= ((next - hole) & mask)) {
      slots_[hole] = slots_[next];
      hole = next;
    }
  }
  slots_[hole].entry = nullptr;
  --count_;
}

}  // namespace quarn
