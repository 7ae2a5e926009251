// free_chunk_index_t: the free chunks of a chunk_space_t in the order of its
// free chain, searchable by size. A chunk that joins the chain at the front
// takes the next slot number, so the chain's order is the slots' order read
// downwards; a tree of the largest size under each node finds the first chunk
// along the chain that holds a request in O(log n), the chunk a walk from the
// head would stop at.
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
  void reset();  // no free chunks; keeps the memory
  void release();  // inactive, memory returned

  // Kept in step with the chain while active.
  void push_front(vdatalist_node_t* chunk);  // joins the chain at the front
  void remove(vdatalist_node_t* chunk);      // leaves the chain
  void resized(vdatalist_node_t* chunk);     // its size changed in place

  // The first chunk from the chain's front whose size is at least n; null
  // when none is.
  vdatalist_node_t* first_fit(unsigned int n) const;

 private:
  void set_leaf(unsigned int slot, unsigned int value);
  bool reorganise(unsigned int capacity);  // renumbers the live slots densely

  vdatalist_node_t** slots_ = nullptr;  // slot -> chunk; null once it left
  unsigned int* largest_ = nullptr;     // tree over the slots: largest size + 1, 0 for none
  unsigned int capacity_ = 0;           // slots, a power of two
  unsigned int used_ = 0;               // slots handed out so far
  unsigned int live_ = 0;               // slots still holding a chunk
};

}  // namespace quarn
