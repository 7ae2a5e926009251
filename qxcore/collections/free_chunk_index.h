// free_chunk_index_t: the free chunks of a chunk_space_t in the order of its
// free chain, searchable by size. A chunk that joins the chain at the front
// takes the next slot number, so the chain's order is the slots' order read
// downwards; a 16-way tree of the largest size under each node finds the
// first chunk along the chain that holds a request in O(log n), the chunk a
// walk from the head would stop at.
//
// The index only accelerates: when the host refuses its memory it switches
// itself off, and the chunk space walks its chain instead.
#pragma once

#include "qxcore/collections/vdatalist.h"

namespace quarn {

class free_chunk_index_t {
 public:
  free_chunk_index_t() = default;
  ~free_chunk_index_t();
  free_chunk_index_t(const free_chunk_index_t&) = delete;
  free_chunk_index_t& operator=(const free_chunk_index_t&) = delete;

  bool active() const { return slots_ != nullptr; }

  // Indexes the chain that starts at `head` (front first); false, and
  // inactive, when the host refuses the memory.
  bool build(vdatalist_node_t* head, unsigned int length);
  void reset();    // no free chunks; keeps the memory
  void release();  // inactive, memory returned

  // Kept in step with the chain while active.
  void push_front(vdatalist_node_t* chunk);  // joins the chain at the front
  void remove(vdatalist_node_t* chunk);      // leaves the chain
  void resized(vdatalist_node_t* chunk);     // its size changed in place

  // The first chunk from the chain's front whose size is at least n; null
  // when none is.
  vdatalist_node_t* first_fit(unsigned int n) const;

 private:
  static constexpr unsigned int MAX_LEVELS = 8;  // 16^8 slots

  void set_leaf(unsigned int slot, unsigned int value);
  bool reorganise(unsigned int capacity);  // renumbers the live slots densely
  void layout(unsigned int capacity);      // level offsets for a capacity

  vdatalist_node_t** slots_ = nullptr;  // slot -> chunk; null once it left
  vdatalist_node_t* front_ = nullptr;   // the chain's front while it has no slot yet
  // Level 0 holds size + 1 per slot (0: none); each entry of level l + 1 the
  // largest of 16 entries of level l. Every level is a whole number of groups.
  unsigned int* largest_ = nullptr;
  unsigned int level_at_[MAX_LEVELS] = {};  // where each level starts in largest_
  unsigned int top_ = 0;                    // the level that is a single group
  unsigned int values_ = 0;                 // entries in largest_
  unsigned int capacity_ = 0;               // slots, a power of two
  unsigned int used_ = 0;                   // slots below the first unused one
  unsigned int live_ = 0;                   // slots still holding a chunk
};

}  // namespace quarn
