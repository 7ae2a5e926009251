// bmem_manager_t: a pool of fixed-size elements carved from large blocks.
// Small nodes (list nodes, hash entries, chunk descriptors) never come from
// the host one by one; freed elements are reused last-in first-out, and
// memory goes back to the host only when the pool is destroyed.
//
//   bmem_manager_t pool;
//   pool.set_pars(sizeof(node_t), 64);
//   void* p = pool.alloc();
//   pool.free(p);
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

class QX_API bmem_manager_t {
 public:
  constexpr bmem_manager_t() = default;
  ~bmem_manager_t();  // releases every block, live elements or not
  bmem_manager_t(const bmem_manager_t&) = delete;
  bmem_manager_t& operator=(const bmem_manager_t&) = delete;

  // Element size rounds up to a multiple of the pointer size (at least one
  // pointer): set_pars(1, n) gives 8-byte elements, set_pars(10, n) 16-byte
  // ones. Existing blocks are not touched, so all users of one pool must
  // agree on the size.
  void set_pars(unsigned int element_size, unsigned int elements_per_block);

  void* alloc();       // null only when the host refuses a new block
  void free(void* p);  // p from this pool's alloc; null is ignored

  unsigned int element_size() const { return element_size_; }
  unsigned int elements_per_block() const { return elements_per_block_; }
  unsigned int block_count() const;  // blocks taken from the host so far

 private:
  void* blocks_ = nullptr;  // chain of blocks; each block's first word points to the previous
  void* free_ = nullptr;    // free elements; each one's first word points to the next
  unsigned int element_size_ = 0;
  unsigned int elements_per_block_ = 0;
};

}  // namespace quarn
