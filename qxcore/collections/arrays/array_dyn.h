// array_dyn_t<T>: the growable array. Its element buffer comes from the
// vector hook and grows to capacity * 2 + 2 until it fits (0, 2, 6, 14, 30,
// 62, ...); the live elements move into the new buffer in order, and those
// kept past the count by a shrink are destroyed with the old one.
#pragma once

#include <cstddef>

#include "qxcore/collections/arrays/arrays_base_impl.h"
#include "qxcore/core/host_memory.h"

namespace quarn {

template <class T>
class array_dyn_t : public array_t<T> {
 public:
  array_dyn_t() = default;
  array_dyn_t(const array_dyn_t& other) : array_t<T>() { copy_from(other); }
  array_dyn_t& operator=(const array_dyn_t& other) {
    if (this != &other) {
      this->destroy_elements(0);
      copy_from(other);
    }
    return *this;
  }
  ~array_dyn_t() override {
    this->destroy_elements(0);
    host_free_vector(this->data_);
  }

  unsigned int capacity() const override { return capacity_; }

  // Grows by the doubling rule until n fits, then moves the elements into a
  // new buffer (also when n already fit). A refused buffer changes nothing.
  void reserve(unsigned int n) override {
    std::size_t slots = capacity_;
    while (slots < n) slots = slots * 2 + 2;
    reallocate(slots > 0xFFFFFFFFu ? n : static_cast<unsigned int>(slots));
  }

  // Shrinks the buffer to exactly the live elements.
  void trim() override { reallocate(this->count_); }

 private:
  // `slots` is never below the count.
  void reallocate(unsigned int slots) {
    T* fresh = nullptr;
    if (slots != 0) {
      fresh = static_cast<T*>(host_alloc_vector(sizeof(T) * static_cast<std::size_t>(slots)));
      if (fresh == nullptr) return;
    }
    for (unsigned int i = 0; i < this->count_; ++i)
      ::new (static_cast<void*>(fresh + i)) T(std::move(this->data_[i]));
    const unsigned int live = this->count_;
    this->destroy_elements(0);
    host_free_vector(this->data_);
    this->data_ = fresh;
    this->count_ = this->built_ = live;
    capacity_ = slots;
  }

  void copy_from(const array_dyn_t& other) {
    reserve(other.count_);
    if (capacity_ < other.count_) return;
    for (unsigned int i = 0; i < other.count_; ++i)
      ::new (static_cast<void*>(this->data_ + i)) T(other.data_[i]);
    this->count_ = this->built_ = other.count_;
  }

  unsigned int capacity_ = 0;
};

}  // namespace quarn
