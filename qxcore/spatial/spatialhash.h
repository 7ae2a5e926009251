// spatialhash_t: a hierarchical hashed grid for broad-phase queries. The host
// files opaque object pointers with their axis-aligned boxes, moves and
// removes them, and asks for every object whose box touches a query box.
//
//   quarn::spatialhash_t grid;                  // cells of 102400, 12800, 1600, 200
//   grid.insert(box_min, box_max, &ship);
//   grid.update(&ship, new_min, new_max);
//   for (quarn::vptrlist_node_t* n : grid.query(view_min, view_max)) draw(n->ptr);
//
// Space is cut into cubic cells on up to four levels, the first with the
// largest cells. An object is filed on the finest level on which its box
// spans at most `fit factor` cells, and on every coarser level too. Cells are
// not stored: a cell's integer coordinates hash to one of a fixed number of
// buckets per level, and each bucket holds a run of entries sorted by object
// pointer, so query results come out sorted and free of duplicates.
#pragma once

#include <cstdint>

#include "qxcore/collections/bmem_manager.h"
#include "qxcore/collections/vdatalist.h"
#include "qxcore/collections/vptrlist.h"
#include "qxcore/core/export.h"
#include "qxcore/core/host_memory.h"
#include "qxcore/math/vec.h"

namespace quarn {

// One filed object; cell entries point at it.
struct spatialhash_record_t {
  void* object;              // the host's object
  vec_t<float, 3> min, max;  // its box
  std::int32_t level;        // finest level it is filed on
  std::uint32_t slot;        // its record-table slot
};

// One level of cells.
struct spatialhash_level_t {
  float fit_factor = 0;               // largest extent, in cells, that fits this level
  std::int32_t cell_size[3] = {};     // the cell size rounded to a whole number, at least 1
  float inverse_size = 0;             // 1 / cell size
  vptrlist_t cells;                   // every bucket run of the level, each closed by a null entry
  unsigned int bucket_count = 0;      // a prime from the table below
  vptrlist_node_t** heads = nullptr;  // first entry of each bucket's run; null: empty bucket
  std::uint64_t bucket_magic = 0;     // for the modulo by bucket_count without a division
  unsigned int index = 0;             // position of the level, 0 = largest cells
  unsigned int prime_index = 0;       // level count − index − 1
};

class QX_API spatialhash_t : public host_allocated_t {
 public:
  using vec3 = vec_t<float, 3>;

  static constexpr unsigned int MAX_LEVELS = 4;
  static constexpr unsigned int RECORD_SLOTS = 4096;  // indexed by crc12 of the pointer
  static const unsigned int PRIMES[5];                // bucket counts by prime index

  // Cells of 102400, 12800, 1600 and 200, fit factor 3.
  spatialhash_t();
  // (level_count mod 5) levels: the finest has cell_size, each coarser one
  // ratio times the next finer.
  spatialhash_t(float cell_size, float ratio, unsigned int level_count, float fit_factor);
  // Level k has cell size sizes[k]; the level count is the number of leading
  // positive values mod 5 (five give no levels, six one), so the list must end
  // in a value that is not positive.
  spatialhash_t(const float* sizes, float fit_factor);
  ~spatialhash_t();
  spatialhash_t(const spatialhash_t&) = delete;
  spatialhash_t& operator=(const spatialhash_t&) = delete;

  // Corners may come in any order. An object that is already filed gets the
  // new box (and its level is chosen again). False, with an error, when the
  // hash has no levels, the box has a NaN or memory is refused.
  bool insert(const vec3& a, const vec3& b, void* object);
  // Moves a filed object to a new box on the level it has; false when it is
  // not filed (or, with an error, for a NaN or refused memory: then nothing changed).
  bool update(void* object, const vec3& a, const vec3& b);
  bool remove(void* object);  // false when it is not filed

  // The objects whose boxes touch the box (a, b), faces and corners included,
  // sorted by pointer value, each once. Valid until the next query.
  const vptrlist_t& query(const vec3& a, const vec3& b);

  void recompute();  // bounds from the records again (they only grow otherwise)
  void clear();      // every record and cell entry; the bounds stay

  // Inspection, for tools and tests.
  unsigned int level_count() const { return level_count_; }
  const spatialhash_level_t& level(unsigned int k) const { return levels_[k < MAX_LEVELS ? k : 0]; }
  int object_level(const void* object) const;  // −1 when not filed
  vec_t<int, 3> cell_of(unsigned int level, const vec3& p) const;
  unsigned int bucket_of(unsigned int level, const vec3& p) const;
  const vec3& bounds_min() const { return bounds_min_; }
  const vec3& bounds_max() const { return bounds_max_; }
  unsigned int record_count() const { return records_.size(); }

 private:
  struct box_t {
    vec3 min, max;
  };
  struct range_t;

  void build(const float* sizes, float fit_factor);
  vdatalist_node_t* find(const void* object) const;
  unsigned int choose_level(const box_t& box) const;
  range_t range_of(const spatialhash_level_t& level, const box_t& box) const;
  bool refile(spatialhash_record_t* record, const box_t* from, int from_level, const box_t* to,
              int to_level);
  void move_entry(spatialhash_level_t& level, spatialhash_record_t* record, const range_t* from,
                  const range_t* to);
  void grow_bounds(const box_t& box);
  void merge_run(vptrlist_node_t* entry, int level, bool start_level, const box_t& box, bool* ok);

  spatialhash_level_t levels_[MAX_LEVELS];
  unsigned int level_count_ = 0;
  vdatalist_t records_;                         // payload spatialhash_record_t
  vdatalist_node_t* slots_[RECORD_SLOTS] = {};  // first record of each slot
  vptrlist_t result_;
  vec3 bounds_min_{}, bounds_max_{};
};

}  // namespace quarn
