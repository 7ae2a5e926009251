// chunk_space_t: variable-size byte chunks packed into one contiguous area.
// Callers hold chunk handles, never raw addresses: when no free chunk fits a
// request, every live chunk is copied, newest first, into a new area 1.25
// times the size needed and each handle's address follows. A request takes
// the first fitting chunk along the free chain (most recently freed first),
// found through an index once the chain is long. Hash tables keep all their
// keys in one space.
//
//   chunk_space_t keys;
//   vdatalist_node_t* key = keys.insert("abc", 3);
//   std::memcmp(chunk_space_t::address(key), "abc", 3);   // until the next insert
#pragma once

#include "qxcore/collections/vdatalist.h"

namespace quarn {

class free_chunk_index_t;

// The payload of a chunk descriptor.
struct chunk_t {
  unsigned int size_and_flag;     // bytes, a multiple of 4; bit 0 set while free
  unsigned int index_slot;        // a free chunk's place in the space's free-chunk index
  char* address;                  // where the bytes lie now
  vdatalist_node_t* chain_prev;   // links in the free chain or the used chain
  vdatalist_node_t* chain_next;
};

class QX_API chunk_space_t {
 public:
  explicit chunk_space_t(unsigned int initial_size = 0);
  ~chunk_space_t();
  chunk_space_t(const chunk_space_t&) = delete;
  chunk_space_t& operator=(const chunk_space_t&) = delete;

  // A new chunk holding a copy of `size` bytes of `data`, which may lie in
  // this same space; null when the area cannot grow.
  vdatalist_node_t* insert(const void* data, unsigned int size);
  vdatalist_node_t* dup(vdatalist_node_t* chunk);  // a new chunk with a copy of chunk's bytes
  bool remove(vdatalist_node_t* chunk);            // chunk must be a used chunk of this space
  bool compact();  // rebuild to the live bytes, newest first, even with none free

  static char* address(const vdatalist_node_t* chunk) { return payload(chunk)->address; }
  static unsigned int size(const vdatalist_node_t* chunk) { return payload(chunk)->size_and_flag & ~1u; }
  static bool is_free(const vdatalist_node_t* chunk) { return (payload(chunk)->size_and_flag & 1u) != 0; }

  unsigned int area_size() const { return size_; }   // bytes in the area
  unsigned int free_bytes() const { return free_bytes_; }
  const char* area() const { return buffer_; }
  const vdatalist_t& chunks() const { return chunks_; }  // every chunk, in address order

 private:
  friend class vhash_base_t;  // drops all its keys at once
  // Frees every chunk at once: the state removing each would leave, one
  // free chunk over the whole area.
  void remove_all();

  static chunk_t* payload(const vdatalist_node_t* chunk) {
    return static_cast<chunk_t*>(const_cast<void*>(chunk->data()));
  }
  bool rebuild(unsigned long long new_size);
  vdatalist_node_t* allocate(unsigned int n);
  vdatalist_node_t* first_fit(unsigned int n);
  void release(vdatalist_node_t* chunk);
  void unlink_free(vdatalist_node_t* chunk);
  void release_pending();

  char* buffer_ = nullptr;
  char* pending_ = nullptr;  // the previous area, alive until the running operation copied its input
  unsigned int size_ = 0;
  unsigned int free_bytes_ = 0;
  vdatalist_node_t* free_first_ = nullptr;
  vdatalist_node_t* used_first_ = nullptr;  // newest allocation first
  vdatalist_t chunks_;
  unsigned int free_count_ = 0;       // chunks in the free chain
  free_chunk_index_t* free_index_ = nullptr;  // the free chain searchable by size, once it was long
};

}  // namespace quarn
