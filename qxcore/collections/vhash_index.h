// vhash_index_t: a hash table's second way to its entries. The designed
// bucket hash gives keys that share a long tail (or many numbered names) the
// same value, so a bucket's run can grow without bound; this index finds an
// entry from a strong hash of its key instead (open addressing, linear
// probing), whatever the bucket layout. The buckets and the entry order stay
// as designed; the index only points into them.
//
// It only accelerates: when the host refuses its memory it switches itself
// off and the table walks its buckets.
#pragma once

#include "qxcore/collections/vdatalist.h"

namespace quarn {

class vhash_index_t {
 public:
  vhash_index_t() = default;
  ~vhash_index_t();
  vhash_index_t(const vhash_index_t&) = delete;
  vhash_index_t& operator=(const vhash_index_t&) = delete;

  // A 32-bit hash of every key byte, good for power-of-two tables.
  static unsigned int key_hash(const void* key, unsigned int length);

  bool active() const { return slots_ != nullptr; }
  unsigned int capacity() const { return capacity_; }

  // Indexes every entry of the list; false, and inactive, when refused.
  bool build(const vdatalist_t& entries);
  void clear();    // no entries, memory kept
  void release();  // inactive, memory returned

  // The entry with this key (`strong` is its key_hash), or null.
  vdatalist_node_t* find(const void* key, unsigned int length, unsigned int strong) const;
  void add(vdatalist_node_t* entry, unsigned int strong);  // a new key; may switch the index off
  void remove(vdatalist_node_t* entry, unsigned int strong);

 private:
  bool rehash(unsigned int capacity);
  void place(vdatalist_node_t* entry, unsigned int strong);

  // The entry and its key_hash side by side: a probe touches one line.
  struct slot_t {
    vdatalist_node_t* entry;  // null: empty slot
    unsigned int hash;
  };
  slot_t* slots_ = nullptr;
  unsigned int capacity_ = 0;  // a power of two
  unsigned int count_ = 0;
};

}  // namespace quarn
