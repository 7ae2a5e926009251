// vhash_base_t: the part of the byte-keyed hash tables that vptrhash_t and
// vdatahash_t share: a bucket array sized from a table of primes, the entries
// (one list in which each bucket's entries lie together, its head first) and
// a chunk_space_t holding every key's bytes. A table grows when a bucket
// holds keys of four different hash values (keys of one value share a bucket
// at every size), up to 65537 buckets. Lookups past a few entries go through
// a side index on a strong hash of the key.
//
// Enumerate a table by walking entries() with entry2key and the derived
// table's entry2ptr / entry2data.
#pragma once

#include "qxcore/collections/chunk_space.h"
#include "qxcore/collections/vdatalist.h"
#include "qxcore/collections/vhash_index.h"
#include "qxcore/collections/vhash_value_counts.h"

namespace quarn {

// The payload of an entry node.
struct vhash_entry_t {
  vdatalist_node_t* key;    // the key bytes, a chunk of the table's key space
  unsigned int key_length;  // in bytes
  unsigned int bucket;      // the bucket this entry belongs to
  void* payload;            // the entry's node in the derived table's value list
};

class QX_API vhash_base_t {
 public:
  static constexpr unsigned int SIZE_COUNT = 13;
  static constexpr unsigned int BUCKET_SIZES[SIZE_COUNT] = {
      17, 31, 61, 127, 257, 509, 1021, 2053, 4093, 8191, 16381, 32771, 65537};

  vhash_base_t();
  virtual ~vhash_base_t();  // derived tables clear() in their own destructors
  vhash_base_t(const vhash_base_t&) = delete;
  vhash_base_t& operator=(const vhash_base_t&) = delete;

  // Removes every entry; the bucket array keeps its size.
  void clear();

  // Copies the key of `entry` into key_out when *size_inout can hold it, and
  // stores its length in *size_inout; false (nothing copied) otherwise.
  static bool entry2key(const vdatalist_node_t* entry, void* key_out, unsigned int* size_inout);

  const vdatalist_t& entries() const { return entries_; }
  unsigned int size() const { return entries_.size(); }
  unsigned int bucket_count() const { return size_index_ < 0 ? 0 : BUCKET_SIZES[size_index_]; }

  // h = 2h + b over the key bytes b, taken as signed.
  static unsigned int hash(const void* key, unsigned int length);

 protected:
  // Removes an entry's node from the derived table's value list.
  virtual void release_payload(vdatalist_node_t* entry) = 0;

  static vhash_entry_t* entry_of(const vdatalist_node_t* entry) {
    return static_cast<vhash_entry_t*>(const_cast<void*>(entry->data()));
  }
  vdatalist_node_t* find_entry(const void* key, unsigned int length) const;
  // The same, also giving the key's index hash for a following insert_entry
  // (0 while the table has no index).
  vdatalist_node_t* find_entry(const void* key, unsigned int length, unsigned int* key_hash) const;
  // A new entry holding a copy of the key and no payload yet; null when
  // memory runs out (the chunk space reports it). The key must be absent.
  vdatalist_node_t* insert_entry(const void* key, unsigned int length, unsigned int key_hash);
  vdatalist_node_t* insert_entry(const void* key, unsigned int length);  // hashes the key itself
  void remove_entry(vdatalist_node_t* entry);

 private:
  bool crowded(unsigned int bucket) const;
  void grow();
  void start_counting();
  void count_distinct();  // distinct_ for the current size
  void stop_counting(bool refused);

  vdatalist_t entries_;
  int size_index_ = -1;  // -1 while no bucket array exists
  chunk_space_t keys_;
  vdatalist_node_t** buckets_ = nullptr;
  vhash_index_t index_;               // key -> entry, once the table holds more than 64 entries
  vhash_value_counts_t hash_values_;  // entries per bucket hash value, while counted
  unsigned int* distinct_ = nullptr;  // different hash values per bucket, while counted
  bool counts_refused_ = false;       // the host refused the counts' memory
};

}  // namespace quarn
