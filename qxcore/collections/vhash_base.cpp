#include "qxcore/collections/vhash_base.h"

#include <cstring>

#include "qxcore/collections/process_pools.h"
#include "qxcore/core/host_memory.h"

namespace quarn {

namespace {

// A bucket this crowded makes the table grow.
constexpr unsigned int CROWDED_RUN = 4;
constexpr unsigned int ENTRIES_PER_BLOCK = 4;
// The size index of 65537 buckets.
constexpr int LARGEST = static_cast<int>(vhash_base_t::SIZE_COUNT) - 1;
// Tables up to this many entries are searched along their bucket's run and
// count its hash values there: small tables are common (one per archive
// directory) and cheaper without the side structures.
constexpr unsigned int SHORT_TABLE = 64;

}  // namespace

vhash_base_t::vhash_base_t() {
  entries_.init_mm(sizeof(vhash_entry_t), ENTRIES_PER_BLOCK, &hash_entry_pool());
}

vhash_base_t::~vhash_base_t() {
  host_free_vector(buckets_);
  host_free_vector(distinct_);
}

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
  for (vdatalist_node_t* e = buckets_[bucket]; e != nullptr && entry_of(e)->bucket == bucket;
       e = e->next)
    if (same_key(entry_of(e), key, length)) return e;
  return nullptr;
}

vdatalist_node_t* vhash_base_t::find_entry(const void* key, unsigned int length,
                                           unsigned int* key_hash) const {
  *key_hash = 0;  // only the index needs it, and builds itself from the keys
  if (!index_.active()) return find_entry(key, length);
  *key_hash = vhash_index_t::key_hash(key, length);
  return index_.find(key, length, *key_hash);
}

void vhash_base_t::grow() {
  if (size_index_ == LARGEST) return;  // keeps inserting into longer runs
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
  if (distinct_ != nullptr) count_distinct();
}

// A table of more than SHORT_TABLE entries counts its hash values, so that
// the growth decision needs no walk along a long run.
void vhash_base_t::start_counting() {
  if (counts_refused_ || size_index_ == LARGEST) return;
  hash_values_.clear();
  for (vdatalist_node_t* e = entries_.first(); e != nullptr; e = e->next)
    if (hash_values_.add(hash_of(entry_of(e))) < 0) {
      stop_counting(true);
      return;
    }
  count_distinct();
}

void vhash_base_t::count_distinct() {
  host_free_vector(distinct_);
  distinct_ = nullptr;
  if (size_index_ == LARGEST) {  // nothing is decided any more
    stop_counting(false);
    return;
  }
  unsigned int count = BUCKET_SIZES[size_index_];
  distinct_ = static_cast<unsigned int*>(host_alloc_vector(sizeof(unsigned int) * count));
  if (distinct_ == nullptr) {
    stop_counting(true);
    return;
  }
  std::memset(distinct_, 0, sizeof(unsigned int) * count);
  hash_values_.for_each_value([&](unsigned int value) { ++distinct_[value % count]; });
}

void vhash_base_t::stop_counting(bool refused) {
  counts_refused_ = counts_refused_ || refused;
  hash_values_.release();
  host_free_vector(distinct_);
  distinct_ = nullptr;
}

// Whether a put into `bucket` makes the table grow. Keys of one hash value
// share a bucket at every size, so only different values count: a bucket
// crowded by four or more values grows the table, which is the designed rule
// wherever keys differ in value. A small table walks the run for them (it is
// short); without the counts' memory the run's entries are counted as
// designed, up to four.
bool vhash_base_t::crowded(unsigned int bucket) const {
  if (size_index_ == LARGEST) return false;
  if (distinct_ != nullptr) return distinct_[bucket] >= CROWDED_RUN;
  // Fewer than four entries cannot hold four values: the designed count
  // settles most puts without reading a key.
  vdatalist_node_t* head = buckets_[bucket];
  unsigned int run = 0;
  for (vdatalist_node_t* e = head;
       run < CROWDED_RUN && e != nullptr && entry_of(e)->bucket == bucket; e = e->next)
    ++run;
  if (run < CROWDED_RUN || counts_refused_) return run >= CROWDED_RUN;
  unsigned int values[CROWDED_RUN], seen = 0;
  for (vdatalist_node_t* e = head; e != nullptr && entry_of(e)->bucket == bucket; e = e->next) {
    unsigned int value = hash_of(entry_of(e)), i = 0;
    while (i < seen && values[i] != value) ++i;
    if (i < seen) continue;
    values[seen++] = value;
    if (seen == CROWDED_RUN) return true;
  }
  return false;
}

vdatalist_node_t* vhash_base_t::insert_entry(const void* key, unsigned int length,
                                             unsigned int key_hash) {
  if (buckets_ == nullptr) grow();
  if (buckets_ == nullptr) return nullptr;
  unsigned int h = hash(key, length);
  unsigned int bucket = h % BUCKET_SIZES[size_index_];
  if (crowded(bucket)) {
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
  if (distinct_ != nullptr) {
    int first = hash_values_.add(h);
    if (first < 0)
      stop_counting(true);
    else
      distinct_[bucket] += static_cast<unsigned int>(first);
  } else if (entries_.size() > SHORT_TABLE) {
    start_counting();
  }
  if (index_.active())
    index_.add(e, key_hash);
  else if (entries_.size() > SHORT_TABLE)
    index_.build(entries_);
  return e;
}

vdatalist_node_t* vhash_base_t::insert_entry(const void* key, unsigned int length) {
  return insert_entry(key, length, index_.active() ? vhash_index_t::key_hash(key, length) : 0);
}

void vhash_base_t::remove_entry(vdatalist_node_t* e) {
  vhash_entry_t* entry = entry_of(e);
  vdatalist_node_t*& head = buckets_[entry->bucket];
  if (head == e)
    head = e->next != nullptr && entry_of(e->next)->bucket == entry->bucket ? e->next : nullptr;
  const char* key = chunk_space_t::address(entry->key);
  if (index_.active()) index_.remove(e, vhash_index_t::key_hash(key, entry->key_length));
  if (distinct_ != nullptr && hash_values_.remove(hash(key, entry->key_length)))
    --distinct_[entry->bucket];
  release_payload(e);
  keys_.remove(entry->key);
  entries_.remove_pos(e);
}

void vhash_base_t::clear() {
  if (buckets_ == nullptr) return;
  std::memset(buckets_, 0, sizeof(void*) * BUCKET_SIZES[size_index_]);
  index_.clear();
  if (distinct_ != nullptr) hash_values_.clear();
  if (distinct_ != nullptr)
    std::memset(distinct_, 0, sizeof(unsigned int) * BUCKET_SIZES[size_index_]);
  // Removing every key one by one leaves one free chunk over the key area:
  // the key space goes there at once.
  while (vdatalist_node_t* e = entries_.first()) {
    release_payload(e);
    entries_.remove_pos(e);
  }
  keys_.remove_all();
}

bool vhash_base_t::entry2key(const vdatalist_node_t* e, void* key_out, unsigned int* size_inout) {
  const vhash_entry_t* entry = entry_of(e);
  if (*size_inout < entry->key_length) return false;
  if (entry->key_length != 0)
    std::memcpy(key_out, chunk_space_t::address(entry->key), entry->key_length);
  *size_inout = entry->key_length;
  return true;
}

}  // namespace quarn
