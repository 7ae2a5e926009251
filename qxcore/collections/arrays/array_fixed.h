// array_fixed_t<T, N>: an array with inline room for N elements. It never
// allocates; growing past N fails.
#pragma once

#include "qxcore/collections/arrays/arrays_base_impl.h"

namespace quarn {

template <class T, unsigned int N>
class array_fixed_t : public array_t<T> {
  static_assert(N > 0, "a fixed array holds at least one element");

 public:
  array_fixed_t() { this->data_ = reinterpret_cast<T*>(storage_); }
  ~array_fixed_t() override { this->destroy_elements(0); }

  unsigned int capacity() const override { return N; }
  void reserve(unsigned int) override {}

 private:
  alignas(T) unsigned char storage_[sizeof(T) * N];
};

}  // namespace quarn
