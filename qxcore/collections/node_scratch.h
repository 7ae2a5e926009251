// Internal: a temporary array of node pointers for the list sorts. Small
// lists use the stack; large ones take the array from the vector hook, so a
// sort of a million nodes cannot overflow the stack.
#pragma once

#include "qxcore/core/host_memory.h"

namespace quarn {

class node_scratch_t {
 public:
  explicit node_scratch_t(unsigned int count)
      : slots_(count <= STACK_SLOTS ? stack_
                                    : static_cast<void**>(host_alloc_vector(sizeof(void*) * count))) {}
  ~node_scratch_t() {
    if (slots_ != stack_) host_free_vector(slots_);
  }
  node_scratch_t(const node_scratch_t&) = delete;
  node_scratch_t& operator=(const node_scratch_t&) = delete;

  void** slots() const { return slots_; }  // null when the host refused the array

 private:
  static constexpr unsigned int STACK_SLOTS = 256;
  void* stack_[STACK_SLOTS];
  void** slots_;
};

}  // namespace quarn
