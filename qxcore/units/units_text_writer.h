// units_text_writer_t: a growing byte buffer that formats the value texts of
// units files: lossless float text, bare or quoted strings with escapes, and
// integers (library-internal; the saver formats each line into it).
//
//   units_text_writer_t w;
//   w.append(" f: ");
//   w.append_float(0.5f);   // "&3f000000"
#pragma once

#include "qxcore/strings/string.h"

namespace quarn {

class units_text_writer_t {
 public:
  units_text_writer_t() = default;
  ~units_text_writer_t();
  units_text_writer_t(const units_text_writer_t&) = delete;
  units_text_writer_t& operator=(const units_text_writer_t&) = delete;

  const char* data() const { return data_; }
  unsigned int size() const { return size_; }
  bool ok() const { return ok_; }  // false once memory was refused
  void clear() { size_ = 0; }

  void append(const char* text, unsigned int length);
  void append(const char* text);
  void append_char(char c) { append(&c, 1); }
  void append_signed(long long value);
  void append_unsigned(unsigned long long value);
  // Whole numbers strictly between -8000001 and 8000001 as exact decimals
  // ("-0" for negative zero), every other value as "&" and its bit pattern.
  void append_float(float value);
  // Bare when non-empty and only letters, digits and "_"; else quoted.
  void append_string(const string& text);

 private:
  bool reserve(unsigned int extra);

  char* data_ = nullptr;
  unsigned int size_ = 0;
  unsigned int capacity_ = 0;
  bool ok_ = true;
};

}  // namespace quarn
