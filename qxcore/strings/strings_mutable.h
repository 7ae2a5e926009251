// mstring_t: the mutable text interface. The derived class decides where the
// buffer lives and whether it may grow: string_dyn_t (heap, grows as needed)
// or string_fixed_t<N> (inline buffer of N bytes, cuts). Writing operations
// answer false when the text had to be cut.
//
//   quarn::string_dyn_t<> path;
//   path.printf("%s/%s", dir, name);      // never cuts
//   quarn::string_fixed_t<13> code;
//   bool whole = code.copy(long_text);    // false: cut to 12 characters
#pragma once

#include <cstdarg>
#include <cstddef>

#include "qxcore/strings/string.h"

namespace quarn {

class file_t;

class QX_API mstring_t : public string {
 public:
  static constexpr unsigned int TO_END = 0xFFFFFFFFu;  // `count`: up to the source's end

  virtual ~mstring_t();
  virtual bool can_grow() const = 0;            // whether reserve may enlarge the buffer
  virtual void reserve(unsigned int size) = 0;  // buffer of at least `size` bytes, terminator included
  virtual unsigned int capacity() const = 0;    // buffer bytes; 0 while nothing is allocated

  // Writes `count` characters of `src` from `src_pos` into this text at
  // `dst_pos` and terminates there. `src` may be this string itself.
  bool copy(const string& src, unsigned int dst_pos = 0, unsigned int src_pos = 0,
            unsigned int count = TO_END);
  bool append(const string& src, unsigned int src_pos = 0, unsigned int count = TO_END) {
    return copy(src, length(), src_pos, count);
  }

  bool vprintf(const char* fmt, va_list args);       // true when the whole text fitted
  bool printf(const char* fmt, ...) QX_PRINTF(2, 3);

  mstring_t& replace(char from, char to, unsigned int unused = 0);  // in place
  bool replace(const string& src, char from, char to);              // copy of src, translated
  // Writes this text into `out` with every `what` replaced by `with`; an
  // empty `what` copies the text unchanged.
  bool replace(mstring_t* out, const string& what, const string& with) const;

  char& operator[](unsigned int index) {  // checked against capacity()
    return index < capacity() ? data()[index] : bounds_failure();
  }
  char* data() { return const_cast<char*>(text_); }
  void clear();  // empties the text, keeps the buffer

  // Replaces the text with one written by string::write. False when the
  // length cannot be read, the buffer cannot hold it, or a byte is missing
  // (what was read is kept, terminated). Defined in fs/binary_values.cpp.
  bool read(file_t& file);

  mstring_t& operator=(const string& src) {
    copy(src);
    return *this;
  }
  mstring_t& operator=(const mstring_t& src) {
    copy(src);
    return *this;
  }

 protected:
  mstring_t() noexcept = default;
  explicit mstring_t(char* buffer) noexcept : string(buffer, adopt_t{}) {}
  mstring_t(const mstring_t&) = delete;

 private:
  bool copy_raw(const char* src, unsigned int dst_pos, unsigned int src_pos, unsigned int count);
  bool copy_measured(const char* src, unsigned int dst_pos, std::size_t n);  // n known to exist
  void terminate_at(unsigned int pos);
  char& bounds_failure();
};

}  // namespace quarn
