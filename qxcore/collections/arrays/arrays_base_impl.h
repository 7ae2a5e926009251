// array_t<T>: the head every array shares (elements, count, checked access)
// and the storage-policy operations that array_dyn_t (heap, grows) and
// array_fixed_t<T, N> (inline, fixed) provide.
//
// Access is checked: an index or iterator outside the live elements is
// reported through v_abort_fail and answered with a scratch element, so
// neither a read nor a write reaches outside the array's storage.
//
// Shrinking only lowers the count: the elements past it stay as they are
// until the array grows over them again, is reallocated or is destroyed.
//
//   array_dyn_t<int> a;
//   a.push_back(1);
//   for (auto it = a.begin(); it != a.end(); ++it)
//     if (*it == 1) it = a.remove(it);  // continues with the next element
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <type_traits>
#include <utility>

#include "qxcore/core/assertions.h"
#include "qxcore/core/host_memory.h"

namespace quarn {

// Where the checks report from, as the library's reports name it.
inline constexpr const char* ARRAYS_MODULE = "collections/arrays/arrays_base_impl.h";

// Arrays the library hands out (text lines, listings) are deleted by the
// host: `new` and `delete` on an array go through the scalar hooks.
template <class T>
class array_t : public host_allocated_t {
 public:
  class iterator;

  virtual ~array_t() = default;
  virtual void trim() {}                      // give spare capacity back, where possible
  virtual unsigned int capacity() const = 0;  // element slots available
  virtual void reserve(unsigned int n) = 0;   // room for at least n elements, where possible

  unsigned int size() const { return count_; }
  bool empty() const { return count_ == 0; }
  T* data() { return data_; }
  const T* data() const { return data_; }

  T& operator[](unsigned int index) { return index < count_ ? data_[index] : index_overflow(); }
  const T& operator[](unsigned int index) const {
    return index < count_ ? data_[index] : const_cast<array_t*>(this)->index_overflow();
  }

  iterator begin() { return iterator(this, 0); }
  iterator end() { return iterator(this, count_); }

  // Shrinking lowers the count and keeps the elements past it, so growing
  // again within the same buffer brings them back. Growing reserves room
  // when the capacity is short, and fails (nothing changed) when it cannot be
  // had; slots that never held an element are default-constructed.
  bool resize(unsigned int n);
  bool push_back(const T& value);
  void clear() { destroy_elements(0); }  // destroys every element, kept ones too

  // Removes element i, keeping the order of the others, and answers the
  // position before it (before the first element when i was 0), so that a
  // forward loop can go on with ++.
  iterator remove(unsigned int index);
  iterator remove(iterator position) { return remove(static_cast<unsigned int>(position.index_)); }

  // A position in an array, checked whenever it is dereferenced.
  class iterator {
   public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = T*;
    using reference = T&;

    T& operator*() const { return array_->at_iterator(index_); }
    T* operator->() const { return &array_->at_iterator(index_); }
    iterator& operator++() {
      ++index_;
      return *this;
    }
    iterator& operator--() {
      --index_;
      return *this;
    }
    iterator operator+(std::int64_t n) const { return iterator(array_, index_ + n); }
    iterator operator-(std::int64_t n) const { return iterator(array_, index_ - n); }
    std::int64_t operator-(const iterator& other) const { return index_ - other.index_; }
    bool operator==(const iterator& other) const { return index_ == other.index_; }
    bool operator!=(const iterator& other) const { return index_ != other.index_; }
    std::int64_t index() const { return index_; }

   private:
    friend class array_t;
    iterator(array_t* array, std::int64_t index) : array_(array), index_(index) {}
    array_t* array_;
    std::int64_t index_;  // -1 is the position before the first element
  };

 protected:
  array_t() = default;
  array_t(const array_t&) = delete;
  array_t& operator=(const array_t&) = delete;

  // Destroys the constructed elements from `from` on, live or kept.
  void destroy_elements(unsigned int from) {
    for (unsigned int i = from; i < built_; ++i) data_[i].~T();
    if (from < built_) built_ = from;
    if (from < count_) count_ = from;
  }

  T* data_ = nullptr;
  unsigned int count_ = 0;
  unsigned int built_ = 0;  // slots holding constructed elements: count_ <= built_

 private:
  T& at_iterator(std::int64_t index) {
    if (index < 0) {
      v_abort_fail("[array_t] boundary check failed - iterator underflow", ARRAYS_MODULE, 1277,
                   "unknown fn");
      return scratch();
    }
    if (index >= count_) {
      v_abort_fail("[array_t] boundary check failed - iterator overflow", ARRAYS_MODULE, 1281,
                   "unknown fn");
      return scratch();
    }
    return data_[index];
  }

  T& index_overflow() {
    v_abort_fail("[array_t] boundary check failed - index overflow", ARRAYS_MODULE, 1261,
                 "unknown fn");
    return scratch();
  }

  // What a bad access reads and writes instead of memory outside the array.
  static T& scratch() {
    if constexpr (std::is_default_constructible_v<T>) {
      static T element{};
      return element;
    } else {
      alignas(T) static unsigned char bytes[sizeof(T)] = {};
      return *std::launder(reinterpret_cast<T*>(bytes));
    }
  }
};

template <class T>
bool array_t<T>::resize(unsigned int n) {
  if (n > count_ && capacity() < n) {
    reserve(n);
    if (capacity() < n) return false;
  }
  for (; built_ < n; ++built_) ::new (static_cast<void*>(data_ + built_)) T();
  count_ = n;
  return true;
}

template <class T>
bool array_t<T>::push_back(const T& value) {
  if (capacity() <= count_) {
    // `value` may be one of our own elements, which growing moves away.
    T copy(value);
    reserve(count_ + 1);
    if (capacity() <= count_) return false;
    ::new (static_cast<void*>(data_ + count_)) T(std::move(copy));
    built_ = count_ + 1;
  } else if (count_ < built_) {
    data_[count_] = value;  // over an element kept from an earlier shrink
  } else {
    ::new (static_cast<void*>(data_ + count_)) T(value);
    built_ = count_ + 1;
  }
  ++count_;
  return true;
}

template <class T>
typename array_t<T>::iterator array_t<T>::remove(unsigned int index) {
  if (index >= count_) {
    index_overflow();
    return end();
  }
  // The removed element's slot becomes a default value at the end of the live
  // elements, where a later growth finds it.
  for (unsigned int i = index; i + 1 < count_; ++i) data_[i] = std::move(data_[i + 1]);
  data_[--count_] = T();
  return iterator(this, static_cast<std::int64_t>(index) - 1);
}

}  // namespace quarn
