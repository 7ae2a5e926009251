// string_dyn_t: the heap-backed mstring_t. Its buffer comes from the allocator
// policy (by default the host's vector hooks) and has exactly the size that
// was asked for; the empty string owns no buffer.
#pragma once

#include "qxcore/strings/strings_mutable.h"

namespace quarn {

// Buffers from qxcore_system_new_vector, released with qxcore_system_delete_vector.
struct QX_API default_mstring_allocator_t {
  static char* allocate(unsigned int size);
  static void release(char* buffer);
};

template <class Allocator = default_mstring_allocator_t>
class QX_API string_dyn_t : public mstring_t {
 public:
  string_dyn_t() noexcept = default;
  string_dyn_t(const string& src) { copy(src); }
  string_dyn_t(const char* src) { copy(string_alias_t(src)); }
  string_dyn_t(const string_dyn_t& other) : mstring_t() { copy(other); }
  string_dyn_t(string_dyn_t&& other) noexcept : capacity_(other.capacity_) {
    text_ = other.text_;
    other.text_ = NUL_CHAR;
    other.capacity_ = 0;
  }
  string_dyn_t& operator=(const string& src) {
    copy(src);
    return *this;
  }
  string_dyn_t& operator=(const string_dyn_t& other) {
    copy(other);
    return *this;
  }
  string_dyn_t& operator=(string_dyn_t&& other) noexcept;
  ~string_dyn_t() override;

  bool can_grow() const override { return true; }
  void reserve(unsigned int size) override;  // exact size, no rounding
  unsigned int capacity() const override { return capacity_; }

 private:
  unsigned int capacity_ = 0;
};

extern template class string_dyn_t<default_mstring_allocator_t>;

}  // namespace quarn
