#include "qxcore/units/units_text_writer.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "qxcore/core/host_memory.h"

namespace quarn {

namespace {

constexpr char HEX[] = "0123456789abcdef";

bool is_bare(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

units_text_writer_t::~units_text_writer_t() { host_free_vector(data_); }

bool units_text_writer_t::reserve(unsigned int extra) {
  if (!ok_) return false;
  const std::size_t wanted = static_cast<std::size_t>(size_) + extra;
  if (wanted <= capacity_) return true;
  std::size_t grown = capacity_ * 2 + 256;
  if (grown < wanted) grown = wanted;
  char* fresh = grown <= 0xFFFFFFFFu ? static_cast<char*>(host_alloc_vector(grown)) : nullptr;
  if (fresh == nullptr) return ok_ = false;
  if (size_ > 0) std::memcpy(fresh, data_, size_);
  host_free_vector(data_);
  data_ = fresh;
  capacity_ = static_cast<unsigned int>(grown);
  return true;
}

void units_text_writer_t::append(const char* text, unsigned int length) {
  if (!reserve(length)) return;
  std::memcpy(data_ + size_, text, length);
  size_ += length;
}

void units_text_writer_t::append(const char* text) {
  append(text, static_cast<unsigned int>(std::strlen(text)));
}

void units_text_writer_t::append_unsigned(unsigned long long value) {
  char digits[24];
  unsigned int n = 0;
  do {
    digits[sizeof digits - 1 - n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  append(digits + sizeof digits - n, n);
}

void units_text_writer_t::append_signed(long long value) {
  if (value < 0) {
    append_char('-');
    append_unsigned(0ull - static_cast<unsigned long long>(value));
  } else {
    append_unsigned(static_cast<unsigned long long>(value));
  }
}

void units_text_writer_t::append_float(float value) {
  // Every such whole number has an exact float and fits 24 bits.
  if (value > -8000001.0f && value < 8000001.0f && std::floor(value) == value) {
    if (std::signbit(value)) {
      append_char('-');
      append_unsigned(static_cast<unsigned long long>(-value));
    } else {
      append_unsigned(static_cast<unsigned long long>(value));
    }
    return;
  }
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  char text[9];
  text[0] = '&';
  for (int i = 0; i < 8; ++i) text[8 - i] = HEX[(bits >> (4 * i)) & 0xF];
  append(text, 9);
}

void units_text_writer_t::append_string(const string& text) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text.c_str());
  const unsigned char* p = s;
  while (is_bare(*p)) ++p;
  const unsigned int length = static_cast<unsigned int>(p - s) + static_cast<unsigned int>(std::strlen(reinterpret_cast<const char*>(p)));
  if (length > 0 && *p == '\0') {
    append(text.c_str(), length);
    return;
  }
  if (!reserve(length * 4 + 2)) return;
  char* out = data_ + size_;
  *out++ = '"';
  for (unsigned int i = 0; i < length; ++i) {
    const unsigned char c = s[i];
    if (c == '"' || c == '\\') {
      *out++ = '\\';
      *out++ = static_cast<char>(c);
    } else if (c == '\r') {
      *out++ = '\\';
      *out++ = 'r';
    } else if (c == '\n') {
      *out++ = '\\';
      *out++ = 'n';
    } else if (c < 0x20 || c > 0x7E) {
      *out++ = '\\';
      *out++ = 'x';
      *out++ = HEX[c >> 4];
      *out++ = HEX[c & 0xF];
    } else {
      *out++ = static_cast<char>(c);
    }
  }
  *out++ = '"';
  size_ = static_cast<unsigned int>(out - data_);
}

}  // namespace quarn
