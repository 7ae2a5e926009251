#include "qxcore/spatial/spatialhash.h"

#include <cmath>
#include <cstring>

#include "qxcore/collections/process_pools.h"
#include "qxcore/core/messages.h"
#include "qxcore/sys/checksums.h"

namespace quarn {

const unsigned int spatialhash_t::PRIMES[5] = {65537, 16381, 4093, 1021, 257};

namespace {

using vec3 = vec_t<float, 3>;
using record_t = spatialhash_record_t;
using level_t = spatialhash_level_t;

constexpr unsigned int NODES_PER_BLOCK = 16;
// Not the largest float: a box at the largest float still grows the bounds.
constexpr float BOUNDS_START = 3.37e38f;
// A move keeps its entry out of shared buckets by checking the buckets of
// at most this many new cells; a larger move takes the entry out of every
// old bucket and files it in every new one.
constexpr unsigned int CHECKED_CELLS = 64;

std::uintptr_t key(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }
record_t* record_of(vdatalist_node_t* node) { return static_cast<record_t*>(node->data()); }
std::uintptr_t entry_key(const vptrlist_node_t* entry) {
  return key(static_cast<const record_t*>(entry->ptr)->object);
}

unsigned int slot_of(const void* object) { return crc12(&object, sizeof(object)); }

// trunc(floor(p) / size), with floor(p) saturated to 32 bits: division toward
// zero makes cell 0 reach from −size + 1 to size − 1.
std::int32_t cell_coordinate(float p, std::int32_t size) {
  const float f = std::floor(p);
  std::int32_t whole = INT32_MIN;
  if (f >= 2147483648.0f)
    whole = INT32_MAX;
  else if (f >= -2147483648.0f)
    whole = static_cast<std::int32_t>(f);
  return whole / size;
}

// The cell hash folds the 12 little-endian bytes of (x, y, z) as h = 2h + b,
// b taken as a signed byte. Doubling is linear modulo 2^32, so each byte adds
// b·2^(11 − its position) and each coordinate its own term: x with weights
// 2^11..2^8, y with 2^7..2^4, z with 2^3..2^0.
std::uint32_t hash_term(std::int32_t v, unsigned int low_weight) {
  const auto u = static_cast<std::uint32_t>(v);
  std::uint32_t h = 0;
  for (unsigned int i = 0; i < 4; ++i) {
    const auto b = static_cast<std::int8_t>(static_cast<std::uint8_t>(u >> (8 * i)));
    h += static_cast<std::uint32_t>(static_cast<std::int32_t>(b)) << (low_weight + 3 - i);
  }
  return h;
}

// a mod d without a division (Lemire's method), magic = ⌊(2^64 − 1) / d⌋ + 1.
std::uint32_t fast_mod(std::uint32_t a, std::uint64_t magic, std::uint32_t d) {
  const std::uint64_t low = magic * a;
  return static_cast<std::uint32_t>((static_cast<unsigned __int128>(low) * d) >> 64);
}

unsigned int bucket_of_cell(const level_t& level, std::int64_t x, std::int64_t y, std::int64_t z) {
  const std::uint32_t h = hash_term(static_cast<std::int32_t>(x), 8) +
                          hash_term(static_cast<std::int32_t>(y), 4) +
                          hash_term(static_cast<std::int32_t>(z), 0);
  return fast_mod(h, level.bucket_magic, level.bucket_count);
}

// Files the entry in a bucket's run, which stays sorted by object pointer.
void add_entry(level_t& level, unsigned int bucket, record_t* record) {
  vptrlist_node_t*& head = level.heads[bucket];
  if (head == nullptr) {
    vptrlist_node_t* sentinel = level.cells.append(nullptr);
    if (sentinel != nullptr) head = level.cells.insert(sentinel, record);
    if (sentinel != nullptr && head == nullptr) level.cells.remove_pos(sentinel);
    return;
  }
  const std::uintptr_t k = key(record->object);
  vptrlist_node_t* n = head;
  while (n->ptr != nullptr && entry_key(n) < k) n = n->next;
  if (n->ptr != nullptr && entry_key(n) == k) return;
  vptrlist_node_t* entry = level.cells.insert(n, record);
  if (entry != nullptr && n == head) head = entry;
}

void remove_entry(level_t& level, unsigned int bucket, const record_t* record) {
  vptrlist_node_t*& head = level.heads[bucket];
  if (head == nullptr) return;
  const std::uintptr_t k = key(record->object);
  vptrlist_node_t* n = head;
  while (n->ptr != nullptr && entry_key(n) < k) n = n->next;
  if (n->ptr == nullptr || entry_key(n) != k) return;
  vptrlist_node_t* next = n->next;
  level.cells.remove_pos(n);
  if (n != head) return;
  if (next->ptr != nullptr) {
    head = next;
  } else {
    level.cells.remove_pos(next);  // only the sentinel was left
    head = nullptr;
  }
}

// Makes sure the pool can hand out n elements without asking the host: takes
// them, then gives them back (a pool reuses what it got back first).
bool reserve(bmem_manager_t& pool, std::size_t n) {
  void* chain = nullptr;
  std::size_t got = 0;
  for (; got < n; ++got) {
    void* p = pool.alloc();
    if (p == nullptr) break;
    *static_cast<void**>(p) = chain;
    chain = p;
  }
  while (chain != nullptr) {
    void* next = *static_cast<void**>(chain);
    pool.free(chain);
    chain = next;
  }
  return got == n;
}

bool has_nan(const vec3& a, const vec3& b) {
  for (int i = 0; i < 3; ++i)
    if (std::isnan(a[i]) || std::isnan(b[i])) return true;
  return false;
}

}  // namespace

// The cells a box covers on one level. When they outnumber the buckets the
// range stands for every bucket instead: each bucket is then met anyway, and
// walking the cells could take for ever.
struct spatialhash_t::range_t {
  std::int32_t lo[3], hi[3];
  std::uint64_t cells;  // 0 for an empty range; capped at the bucket count
  bool every_bucket;

  bool operator==(const range_t& o) const {
    return std::memcmp(lo, o.lo, sizeof(lo)) == 0 && std::memcmp(hi, o.hi, sizeof(hi)) == 0;
  }
  bool contains(std::int64_t x, std::int64_t y, std::int64_t z) const {
    return x >= lo[0] && x <= hi[0] && y >= lo[1] && y <= hi[1] && z >= lo[2] && z <= hi[2];
  }
  template <class F>
  void for_each_cell(F&& f) const {
    if (cells == 0) return;
    for (std::int64_t x = lo[0]; x <= hi[0]; ++x)
      for (std::int64_t y = lo[1]; y <= hi[1]; ++y)
        for (std::int64_t z = lo[2]; z <= hi[2]; ++z) f(x, y, z);
  }
  template <class F>
  void for_each_bucket(const level_t& level, F&& f) const {
    if (every_bucket) {
      for (unsigned int b = 0; b < level.bucket_count; ++b) f(b);
      return;
    }
    for_each_cell(
        [&](std::int64_t x, std::int64_t y, std::int64_t z) { f(bucket_of_cell(level, x, y, z)); });
  }
};

spatialhash_t::spatialhash_t() : spatialhash_t(200.0f, 8.0f, 4, 3.0f) {}

spatialhash_t::spatialhash_t(float cell_size, float ratio, unsigned int level_count,
                             float fit_factor) {
  float sizes[MAX_LEVELS + 1] = {};  // ends in 0: at most four levels are asked for here
  const unsigned int n = level_count % 5;
  if (n > 0) {
    sizes[n - 1] = cell_size;
    for (unsigned int k = n - 1; k > 0; --k) sizes[k - 1] = sizes[k] * ratio;
  }
  build(sizes, fit_factor);
}

spatialhash_t::spatialhash_t(const float* sizes, float fit_factor) {
  if (sizes == nullptr) error("[spatialhash] no cell sizes given; the hash has no levels");
  build(sizes, fit_factor);
}

void spatialhash_t::build(const float* sizes, float fit_factor) {
  records_.init_mm(sizeof(record_t), NODES_PER_BLOCK, &spatialhash_record_pool());
  result_.init_mm(NODES_PER_BLOCK, &spatialhash_node_pool());
  // Every leading positive value counts, however many: six to nine give one
  // to four levels. The list must end in a value that is not positive.
  unsigned int n = 0;
  while (sizes != nullptr && sizes[n] > 0) ++n;
  n %= 5;
  for (unsigned int k = 0; k < n; ++k) {
    level_t& level = levels_[k];
    level.cells.init_mm(NODES_PER_BLOCK, &spatialhash_node_pool());
    level.fit_factor = fit_factor;
    const float whole = std::floor(sizes[k] + 0.5f);
    std::int32_t cell = whole >= 2147483648.0f ? INT32_MAX : static_cast<std::int32_t>(whole);
    if (cell < 1) {
      warning("[spatialhash] cell size %g of level %u rounds to 0; cells of 1 are used",
              static_cast<double>(sizes[k]), k);
      cell = 1;
    }
    level.cell_size[0] = level.cell_size[1] = level.cell_size[2] = cell;
    level.inverse_size = 1.0f / sizes[k];
    level.index = k;
    level.prime_index = n - k - 1;
    level.bucket_count = PRIMES[level.prime_index];
    level.bucket_magic = ~std::uint64_t{0} / level.bucket_count + 1;
    const std::size_t bytes = sizeof(vptrlist_node_t*) * level.bucket_count;
    level.heads = static_cast<vptrlist_node_t**>(host_alloc_vector(bytes));
    if (level.heads == nullptr) {
      error("[spatialhash] cannot allocate the %u buckets of level %u; the hash has no levels",
            level.bucket_count, k);
      for (unsigned int j = 0; j < k; ++j) {
        host_free_vector(levels_[j].heads);
        levels_[j].heads = nullptr;
      }
      n = 0;
      break;
    }
    std::memset(level.heads, 0, bytes);
  }
  level_count_ = n;
  recompute();
}

spatialhash_t::~spatialhash_t() {
  clear();
  result_.remove_all();
  for (level_t& level : levels_) host_free_vector(level.heads);
}

vdatalist_node_t* spatialhash_t::find(const void* object) const {
  const unsigned int slot = slot_of(object);
  for (vdatalist_node_t* n = slots_[slot]; n != nullptr && record_of(n)->slot == slot; n = n->next)
    if (record_of(n)->object == object) return n;
  return nullptr;
}

unsigned int spatialhash_t::choose_level(const box_t& box) const {
  float extent = box.max.x - box.min.x;
  if (box.max.y - box.min.y > extent) extent = box.max.y - box.min.y;
  if (box.max.z - box.min.z > extent) extent = box.max.z - box.min.z;
  unsigned int k = level_count_ - 1;
  while (k > 0 && !(extent * levels_[k].inverse_size <= levels_[k].fit_factor)) --k;
  return k;
}

spatialhash_t::range_t spatialhash_t::range_of(const level_t& level, const box_t& box) const {
  range_t r;
  std::uint64_t cells = 1;
  bool too_many = false;
  for (int i = 0; i < 3; ++i) {
    r.lo[i] = cell_coordinate(box.min[i], level.cell_size[i]);
    r.hi[i] = cell_coordinate(box.max[i], level.cell_size[i]);
    if (r.hi[i] < r.lo[i]) {
      cells = 0;
      continue;
    }
    const std::uint64_t along = static_cast<std::uint64_t>(std::int64_t{r.hi[i]} - r.lo[i]) + 1;
    if (along > level.bucket_count) too_many = true;
    if (!too_many) cells *= along;
  }
  r.every_bucket = cells != 0 && (too_many || cells > level.bucket_count);
  r.cells = r.every_bucket ? level.bucket_count : cells;
  return r;
}

void spatialhash_t::move_entry(level_t& level, record_t* record, const range_t* from,
                               const range_t* to) {
  auto add = [&](unsigned int b) { add_entry(level, b, record); };
  auto remove = [&](unsigned int b) { remove_entry(level, b, record); };
  if (from != nullptr && to != nullptr && *from == *to) return;
  if (to == nullptr) return from->for_each_bucket(level, remove);
  if (from == nullptr) return to->for_each_bucket(level, add);
  if (from->every_bucket || to->every_bucket || to->cells > CHECKED_CELLS) {
    from->for_each_bucket(level, remove);
    to->for_each_bucket(level, add);
    return;
  }
  // Add to the new cells first; then leave an old cell's bucket only when no
  // cell of the new range shares it.
  unsigned int kept[CHECKED_CELLS];
  unsigned int kept_count = 0;
  to->for_each_bucket(level, [&](unsigned int b) { kept[kept_count++] = b; });
  to->for_each_cell([&](std::int64_t x, std::int64_t y, std::int64_t z) {
    if (!from->contains(x, y, z)) add(bucket_of_cell(level, x, y, z));
  });
  from->for_each_cell([&](std::int64_t x, std::int64_t y, std::int64_t z) {
    if (to->contains(x, y, z)) return;
    const unsigned int b = bucket_of_cell(level, x, y, z);
    for (unsigned int i = 0; i < kept_count; ++i)
      if (kept[i] == b) return;
    remove(b);
  });
}

// Moves the record's entries from the box `from` on levels 0..from_level to
// the box `to` on levels 0..to_level (either box may be missing). The nodes
// this can need are reserved first, so it either succeeds whole or changes
// nothing.
bool spatialhash_t::refile(record_t* record, const box_t* from, int from_level, const box_t* to,
                           int to_level) {
  range_t from_ranges[MAX_LEVELS], to_ranges[MAX_LEVELS];
  const int top = from_level > to_level ? from_level : to_level;
  std::size_t nodes = 0;
  for (int k = 0; k <= top; ++k) {
    const level_t& level = levels_[k];
    if (from != nullptr && k <= from_level) from_ranges[k] = range_of(level, *from);
    if (to == nullptr || k > to_level) continue;
    to_ranges[k] = range_of(level, *to);
    // An entry and a sentinel per new bucket at most.
    if (from == nullptr || k > from_level || !(from_ranges[k] == to_ranges[k]))
      nodes += 2 * to_ranges[k].cells;
  }
  if (nodes > 0 && !reserve(spatialhash_node_pool(), nodes)) return false;
  for (int k = 0; k <= top; ++k) {
    const bool had = from != nullptr && k <= from_level, has = to != nullptr && k <= to_level;
    move_entry(levels_[k], record, had ? &from_ranges[k] : nullptr, has ? &to_ranges[k] : nullptr);
  }
  return true;
}

void spatialhash_t::grow_bounds(const box_t& box) {
  for (int i = 0; i < 3; ++i) {
    if (box.min[i] < bounds_min_[i]) bounds_min_[i] = box.min[i];
    if (box.max[i] > bounds_max_[i]) bounds_max_[i] = box.max[i];
  }
}

bool spatialhash_t::insert(const vec3& a, const vec3& b, void* object) {
  if (level_count_ == 0) {
    error("[spatialhash] insert: the hash has no levels; object %p is not filed", object);
    return false;
  }
  if (has_nan(a, b)) {
    error("[spatialhash] insert: the box of object %p has a NaN coordinate", object);
    return false;
  }
  const box_t box = {{std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)},
                     {std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)}};
  const int level = static_cast<int>(choose_level(box));
  record_t* record;
  if (vdatalist_node_t* filed = find(object)) {
    // Filed already: one record per object, moved to the new box and level.
    record = record_of(filed);
    const box_t old = {record->min, record->max};
    if (!refile(record, &old, record->level, &box, level)) {
      error("[spatialhash] out of memory filing object %p", object);
      return false;
    }
  } else {
    const unsigned int slot = slot_of(object);
    vdatalist_node_t* node = records_.insert(slots_[slot]);  // null: at the end
    if (node == nullptr) {
      error("[spatialhash] out of memory filing object %p", object);
      return false;
    }
    record = record_of(node);
    *record = {object, box.min, box.max, level, slot};
    if (!refile(record, nullptr, -1, &box, level)) {
      records_.remove_pos(node);
      error("[spatialhash] out of memory filing object %p", object);
      return false;
    }
    slots_[slot] = node;
  }
  record->min = box.min;
  record->max = box.max;
  record->level = level;
  grow_bounds(box);
  return true;
}

bool spatialhash_t::update(void* object, const vec3& a, const vec3& b) {
  vdatalist_node_t* node = find(object);
  if (node == nullptr) return false;
  if (has_nan(a, b)) {
    error("[spatialhash] update: the box of object %p has a NaN coordinate", object);
    return false;
  }
  const box_t box = {{std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)},
                     {std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)}};
  record_t* record = record_of(node);
  if (record->min == box.min && record->max == box.max) return true;
  const box_t old = {record->min, record->max};
  if (!refile(record, &old, record->level, &box, record->level)) {
    error("[spatialhash] out of memory filing object %p", object);
    return false;
  }
  record->min = box.min;
  record->max = box.max;
  grow_bounds(box);
  return true;
}

bool spatialhash_t::remove(void* object) {
  vdatalist_node_t* node = find(object);
  if (node == nullptr) return false;
  record_t* record = record_of(node);
  const box_t box = {record->min, record->max};
  refile(record, &box, record->level, nullptr, -1);  // takes no memory
  if (slots_[record->slot] == node) {
    vdatalist_node_t* next = node->next;
    slots_[record->slot] =
        next != nullptr && record_of(next)->slot == record->slot ? next : nullptr;
  }
  records_.remove_pos(node);
  return true;
}

// Merges the matching entries of one bucket run into the sorted result list.
// Below the start level only entries filed there first count: the others
// were met on the start level already.
void spatialhash_t::merge_run(vptrlist_node_t* entry, int level, bool start_level, const box_t& box,
                              bool* ok) {
  vptrlist_node_t* at = result_.first();
  for (; entry->ptr != nullptr; entry = entry->next) {
    const auto* record = static_cast<const record_t*>(entry->ptr);
    if (!start_level && record->level != level) continue;
    const std::uintptr_t k = key(record->object);
    while (at != nullptr && key(at->ptr) < k) at = at->next;
    if (at != nullptr && key(at->ptr) == k) continue;
    if (record->min.x <= box.max.x && record->max.x >= box.min.x && record->min.y <= box.max.y &&
        record->max.y >= box.min.y && record->min.z <= box.max.z && record->max.z >= box.min.z) {
      if (result_.insert(at, record->object) == nullptr) *ok = false;
    }
  }
}

const vptrlist_t& spatialhash_t::query(const vec3& a, const vec3& b) {
  result_.remove_all();
  if (level_count_ == 0) return result_;
  if (has_nan(a, b)) {
    error("[spatialhash] query: the query box has a NaN coordinate");
    return result_;
  }
  box_t box = {{std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)},
               {std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)}};
  for (int i = 0; i < 3; ++i) {
    if (box.max[i] < bounds_min_[i] || box.min[i] > bounds_max_[i]) return result_;
    box.min[i] = std::fmax(box.min[i], bounds_min_[i]);
    box.max[i] = std::fmin(box.max[i], bounds_max_[i]);
  }
  bool ok = true;
  const int start = static_cast<int>(choose_level(box));
  for (int k = start; k >= 0; --k) {
    const level_t& level = levels_[k];
    range_of(level, box).for_each_bucket(level, [&](unsigned int bucket) {
      if (level.heads[bucket] != nullptr) merge_run(level.heads[bucket], k, k == start, box, &ok);
    });
  }
  if (!ok) {
    result_.remove_all();
    error("[spatialhash] out of memory for the results of a query");
  }
  return result_;
}

void spatialhash_t::recompute() {
  bounds_min_ = {BOUNDS_START, BOUNDS_START, BOUNDS_START};
  bounds_max_ = {-BOUNDS_START, -BOUNDS_START, -BOUNDS_START};
  for (vdatalist_node_t* n : records_) grow_bounds({record_of(n)->min, record_of(n)->max});
}

void spatialhash_t::clear() {
  records_.remove_all();
  for (unsigned int k = 0; k < level_count_; ++k) {
    levels_[k].cells.remove_all();
    std::memset(levels_[k].heads, 0, sizeof(vptrlist_node_t*) * levels_[k].bucket_count);
  }
  std::memset(slots_, 0, sizeof(slots_));
}

int spatialhash_t::object_level(const void* object) const {
  vdatalist_node_t* node = find(object);
  return node != nullptr ? record_of(node)->level : -1;
}

vec_t<int, 3> spatialhash_t::cell_of(unsigned int level, const vec3& p) const {
  if (level >= level_count_) {
    error("[spatialhash] there is no level %u; the hash has %u", level, level_count_);
    return {0, 0, 0};
  }
  const level_t& l = levels_[level];
  return {cell_coordinate(p.x, l.cell_size[0]), cell_coordinate(p.y, l.cell_size[1]),
          cell_coordinate(p.z, l.cell_size[2])};
}

unsigned int spatialhash_t::bucket_of(unsigned int level, const vec3& p) const {
  const vec_t<int, 3> c = cell_of(level, p);
  return level < level_count_ ? bucket_of_cell(levels_[level], c.x, c.y, c.z) : 0;
}

}  // namespace quarn
