// `string`, the library's immutable text, and `string_alias_t`, a string that
// wraps text owned elsewhere.
//
// A `string` owns a copy of its text in a buffer from the host's vector hooks;
// the empty string owns nothing and points at string::NUL_CHAR, so its text is
// never a null pointer. Text is bytes; comparisons are byte-wise.
//
//   quarn::string name = "models/car.dat";      // copies
//   quarn::string_alias_t view(some_c_text);    // wraps, never frees
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

class file_t;

class QX_API string {
 public:
  static const char* const NUL_CHAR;  // the empty text; also "owns no buffer"
  static const string& EMPTY;         // ""
  static const string& WHITESPACE;    // blank, tab, LF, CR, FF

  string() noexcept : text_(NUL_CHAR) {}
  string(const char* text);  // copies; null or "" makes the empty string
  // Copies, also from temporaries: a `string&&` could be a string_fixed_t or
  // string_dyn_t seen through its base, whose buffer a plain string must not
  // take over. (For the same reason, never assign through a `string&` that
  // refers to one of them.)
  string(const string& other);
  string& operator=(const string& other);
  ~string();

  const char* c_str() const { return text_; }
  unsigned int length() const;                 // bytes before the terminator
  bool empty() const { return text_[0] == '\0'; }

  // Index of the last character at or after `start` that belongs to `set`,
  // or 0xFFFFFFFF when there is none.
  unsigned int find_last_of(const string& set, unsigned int start = 0) const;

  // An 8-byte little-endian length, then the bytes without the terminator;
  // false at the first failed write. Defined with the file system
  // (fs/binary_values.cpp), where file_t lives.
  bool write(file_t& file) const;

 protected:
  // For derived classes that manage the text themselves.
  struct adopt_t {};
  constexpr string(const char* text, adopt_t) noexcept : text_(text) {}

  const char* text_;
};

QX_API bool operator==(const string& a, const string& b);
QX_API bool operator==(const string& a, const char* b);
inline bool operator==(const char* a, const string& b) { return b == a; }
inline bool operator!=(const string& a, const string& b) { return !(a == b); }
inline bool operator!=(const string& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const string& b) { return !(b == a); }

// A string over text that somebody else owns and keeps alive.
class QX_API string_alias_t : public string {
 public:
  static const string_alias_t& WHITESPACE;

  string_alias_t() noexcept = default;
  explicit string_alias_t(const char* text) noexcept : string(text ? text : NUL_CHAR, adopt_t{}) {}
  // A literal lives as long as the program, so wrapping one is a constant
  // expression: tables of names (unit attributes, enumeration symbols) can
  // then be constant data that needs no allocation at start-up.
  template <unsigned int N>
  constexpr string_alias_t(const char (&literal)[N]) noexcept : string(literal, adopt_t{}) {}
  // The same for static text reached through a pointer (never null).
  struct static_text_t {};
  constexpr string_alias_t(const char* text, static_text_t) noexcept : string(text, adopt_t{}) {}
  constexpr string_alias_t(const string_alias_t& other) noexcept : string(other.text_, adopt_t{}) {}
  string_alias_t& operator=(const string_alias_t& other) noexcept {
    text_ = other.text_;
    return *this;
  }
  ~string_alias_t() { text_ = NUL_CHAR; }  // nothing for ~string to free

 protected:
  constexpr string_alias_t(const char* text, adopt_t tag) noexcept : string(text, tag) {}
};

}  // namespace quarn
