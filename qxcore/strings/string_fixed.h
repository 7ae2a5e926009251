// string_fixed_t<N>: an mstring_t whose N-byte buffer lies inside the object.
// It never allocates; texts longer than N - 1 bytes are cut and the writing
// operation answers false.
#pragma once

#include "qxcore/strings/strings_mutable.h"

namespace quarn {

template <unsigned int N>
class string_fixed_t : public mstring_t {
  static_assert(N > 0, "a fixed string needs room for its terminator");

 public:
  string_fixed_t() noexcept : mstring_t(buffer_) { buffer_[0] = '\0'; }
  string_fixed_t(const string& src) : string_fixed_t() { copy(src); }
  string_fixed_t(const char* src) : string_fixed_t() { copy(string_alias_t(src)); }
  string_fixed_t(const string_fixed_t& other) : string_fixed_t() { copy(other); }
  string_fixed_t& operator=(const string& src) {
    copy(src);
    return *this;
  }
  string_fixed_t& operator=(const string_fixed_t& other) {
    copy(other);
    return *this;
  }
  ~string_fixed_t() override { text_ = NUL_CHAR; }

  bool can_grow() const override { return false; }
  void reserve(unsigned int) override {}
  unsigned int capacity() const override { return N; }

 private:
  char buffer_[N];
};

}  // namespace quarn
