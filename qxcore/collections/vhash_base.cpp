#include "qxcore/collections/vhash_base.h"

#include <cstring>

#include "qxcore/collections/process_pools.h"
#include "qxcore/core/host_memory.h"

namespace quarn {

namespace {

// A bucket this crowded makes the table grow.
constexpr unsigned int CROWDED_RUN = 4;
constexpr unsigned int ENTRIES_PER_BLOCK = 4;
// Tables up to this many entries are searched along their bucket's run.
constexpr unsigned int SHORT_TABLE = 8;

}  // namespace

vhash_base_t::vhash_base_t() {
  entries_.init_mm(sizeof(vhash_entry_t), ENTRIES_PER_BLOCK, &hash_entry_pool());
}

vhash_base_t::~vhash_base_t() { host_free_vector(buckets_); }

unsigned int vhash_base_t::hash(const void* key, unsigned int length) {
  const signed char* bytes = static_cast<const signed char*>(key);
  // A byte 32 or more places from the end is shifted out of the 32 bits.
  if (length > 32) {
    bytes += length - 32;
    length = 32;
  }
  unsigned int h = 0;
  for (unsigned int i = 0; i < length; ++i) h = 2 * h + static_cast<unsigned int>(bytes[i]);
  return h;
}

namespace {

unsigned int hash_of(const vhash_entry_t* entry) {
  return vhash_base_t::hash(chunk_space_t::address(entry->key), entry->key_length);
}

bool same_key(const vhash_entry_t* entry, const void* key, unsigned int length) {
  return entry->key_length == length &&
         (length == 0 || std::memcmp(chunk_space_t::address(entry->key), key, length) == 0);
}

}  // namespace

vdatalist_node_t* vhash_base_t::find_entry(const void* key, unsigned int length) const {
  if (index_.active()) return index_.find(key, length, vhash_index_t::key_hash(key, length));
  if (buckets_ == nullptr) return nullptr;
  unsigned int bucket = hash(key, length) % BUCKET_SIZES[size_index_];
  for (vdatalist_node_t* e = buckets_[bucket]; e != nullptr && entry_of(e)->bucket == bucket; e = e->next)
    if (same_key(entry_of(e), key, length)) return e;
  return nullptr;
}

vdatalist_node_t* vhash_base_t::find_entry(const void* key, unsigned int length, unsigned int* key_hash) const {
  *key_hash = vhash_index_t::key_hash(key, length);
  if (index_.active()) return index_.find(key, length, *key_hash);
  return find_entry(key, length);
}

void vhash_base_t::grow() {
  if (size_index_ == static_cast<int>(SIZE_COUNT) - 1) return;  // keeps inserting into longer runs
  unsigned int count = BUCKET_SIZES[size_index_ + 1];
  // The new array is taken before the old one goes, so a refusal leaves a
  // working table of the old size.
  auto** fresh = static_cast<vdatalist_node_t**>(host_alloc_vector(sizeof(void*) * count));
  if (fresh == nullptr) return;
  host_free_vector(buckets_);
  buckets_ = fresh;
  ++size_index_;
  std::memset(buckets_, 0, sizeof(void*) * count);

  for (vdatalist_node_t* e = entries_.first(); e != nullptr;) {
    vdatalist_node_t* next = e->next;
    vhash_entry_t* entry = entry_of(e);
    entry->bucket = hash_of(entry) % count;
    vdatalist_node_t*& head = buckets_[entry->bucket];
    if (head != nullptr) {
      entries_.tremove_pos(e);
      entries_.tinsert(head, e);
    }
    head = e;
    e = next;
  }
}

// A crowded run is worth growing for only when its keys differ in hash value:
// keys of one value share a bucket at every size. The run's first four
// entries and the new key must show at least four different values.
bool vhash_base_t::growing_spreads(unsigned int h, vdatalist_node_t* const* run) const {
  unsigned int seen[CROWDED_RUN + 1] = {h};
  unsigned int distinct = 1;
  for (unsigned int i = 0; i < CROWDED_RUN && distinct < CROWDED_RUN && distinct + (CROWDED_RUN - i) >= CROWDED_RUN;
       ++i) {
    unsigned int value = hash_of(entry_of(run[i]));
    unsigned int j = 0;
    while (j < distinct && seen[j] != value) ++j;
    if (j == distinct) seen[distinct++] = value;
  }
  return distinct >= CROWDED_RUN;
}

vdatalist_node_t* vhash_base_t::insert_entry(const void* key, unsigned int length, unsigned int key_hash) {
  if (buckets_ == nullptr) grow();
  if (buckets_ == nullptr) return nullptr;
  unsigned int h = hash(key, length);
  unsigned int bucket = h % BUCKET_SIZES[size_index_];
  // Only whether the run reaches four matters, so the count stops there.
  vdatalist_node_t* run[CROWDED_RUN];
  unsigned int counted = 0;
  for (vdatalist_node_t* e = buckets_[bucket];
       counted < CROWDED_RUN && e != nullptr && entry_of(e)->bucket == bucket; e = e->next)
    run[counted++] = e;
  if (counted == CROWDED_RUN && size_index_ < static_cast<int>(SIZE_COUNT) - 1 && growing_spreads(h, run)) {
    grow();
    bucket = h % BUCKET_SIZES[size_index_];
  }

  vdatalist_node_t*& head = buckets_[bucket];
  vdatalist_node_t* e = head != nullptr ? entries_.insert(head) : entries_.append();
  if (e == nullptr) return nullptr;
  vdatalist_node_t* key_chunk = keys_.insert(key, length);
  if (key_chunk == nullptr) {
    entries_.remove_pos(e);
    return nullptr;
  }
  vhash_entry_t* entry = entry_of(e);
  entry->key = key_chunk;
  entry->key_length = length;
  entry->bucket = bucket;
  entry->payload = nullptr;
  head = e;
  if (index_.active())
    index_.add(e, key_hash);
  else if (entries_.size() > SHORT_TABLE)
    index_.build(entries_);
  return e;
}

void vhash_base_t::remove_entry(vdatalist_node_t* e) {
  vhash_entry_t* entry = entry_of(e);
  vdatalist_node_t*& head = buckets_[entry->bucket];
  if (head == e) head = e->next != nullptr && entry_of(e->next)->bucket == entry->bucket ? e->next : nullptr;
  if (index_.active())
    index_.remove(e, vhash_index_t::key_hash(chunk_space_t::address(entry->key), entry->key_length));
  release_payload(e);
  keys_.remove(entry->key);
  entries_.remove_pos(e);
}

void vhash_base_t::clear() {
  if (buckets_ == nullptr) return;
  std::memset(buckets_, 0, sizeof(void*) * BUCKET_SIZES[size_index_]);
  index_.clear();
  while (vdatalist_node_t* e = entries_.first()) {
    release_payload(e);
    keys_.remove(entry_of(e)->key);
    entries_.remove_pos(e);
  }
}

bool vhash_base_t::entry2key(const vdatalist_node_t* e, void* key_out, unsigned int* size_inout) {
  const vhash_entry_t* entry = entry_of(e);
  if (*size_inout < entry->key_length) return false;
  if (entry->key_length != 0) std::memcpy(key_out, chunk_space_t::address(entry->key), entry->key_length);
  *size_inout = entry->key_length;
  return true;
}

}  // namespace quarn
