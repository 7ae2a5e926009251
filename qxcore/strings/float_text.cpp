#include "qxcore/strings/float_text.h"

#include <bit>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "qxcore/strings/decimal_text.h"
#include "qxcore/strings/strings_mutable.h"

namespace quarn {

namespace {

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The unsigned conversion of a 32-bit C library's strtoul in base 16: blanks,
// a sign, "0x", then digits; a value beyond 32 bits saturates to 0xFFFFFFFF
// and a minus negates modulo 2^32. Answers where the conversion stopped,
// which is `text` itself when no digit was read.
const char* parse_unsigned_hex(const char* text, std::uint32_t* bits) {
  const char* p = text;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && hex_digit_value(p[2]) >= 0) p += 2;
  const char* digits = p;
  std::uint64_t value = 0;
  bool saturated = false;
  for (int digit; (digit = hex_digit_value(*p)) >= 0; ++p) {
    value = value * 16 + static_cast<unsigned int>(digit);
    if (value > 0xFFFFFFFFu) {
      saturated = true;
      value = 0;  // only the fact is kept; the digits are still read
    }
  }
  if (p == digits) {
    *bits = 0;
    return text;
  }
  const auto magnitude = static_cast<std::uint32_t>(value);
  *bits = saturated ? 0xFFFFFFFFu : negative ? 0u - magnitude : magnitude;
  return p;
}

// The exponent digits after "e", held within +-1e6: far beyond any double,
// and far from overflowing the sum it joins.
long saturated_exponent(const char* p, const char* end) {
  bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+')) ++p;
  long value = 0;
  for (; p < end && std::isdigit(static_cast<unsigned char>(*p)); ++p)
    if (value < 1000000) value = value * 10 + (*p - '0');
  return negative ? -value : value;
}

// A decimal too large or too small for a double: decide between infinity and
// zero from where its first significant digit stands.
double out_of_range_value(const char* begin, const char* end) {
  bool negative = *begin == '-';
  long position = 0;  // decimal exponent of the first significant digit, roughly
  bool seen_point = false, seen_digit = false;
  const char* p = begin + (negative ? 1 : 0);
  for (; p < end && (std::isdigit(static_cast<unsigned char>(*p)) || *p == '.'); ++p) {
    if (*p == '.') {
      seen_point = true;
    } else if (*p != '0' || seen_digit) {
      if (!seen_digit && seen_point) --position;
      if (!seen_point) ++position;
      seen_digit = true;
    } else if (seen_point) {
      --position;
    }
  }
  if (p < end && (*p == 'e' || *p == 'E')) position += saturated_exponent(p + 1, end);
  double magnitude = position > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  return negative ? -magnitude : magnitude;
}

}  // namespace

bool parse_decimal(const char* text, double* value, const char** stop) {
  const char* p = text;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  if (*p == '+' && p[1] != '-') ++p;
  const char* end = p + std::strlen(p);
  std::from_chars_result result = std::from_chars(p, end, *value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return false;
  if (result.ec == std::errc::result_out_of_range) *value = out_of_range_value(p, result.ptr);
  *stop = result.ptr;
  return true;
}

// Round to nearest even on the bit patterns: a conversion instruction would
// follow the thread's MXCSR, and flush-to-zero (which CPU identification
// switches on) would turn every subnormal result into zero.
float narrow_to_float(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint32_t sign = static_cast<std::uint32_t>(bits >> 32) & 0x80000000u;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (exponent == 0x7FF) {
    // Infinity, or a NaN quieted with the top of its payload, as CVTSD2SS does.
    std::uint32_t nan =
        fraction != 0 ? 0x00400000u | static_cast<std::uint32_t>(fraction >> 29) : 0;
    return std::bit_cast<float>(sign | 0x7F800000u | nan);
  }
  // Zero, and subnormal doubles, lie far below half the smallest float.
  if (exponent == 0) return std::bit_cast<float>(sign);
  int float_exponent = exponent - 1023 + 127;
  if (float_exponent >= 255) return std::bit_cast<float>(sign | 0x7F800000u);
  const std::uint64_t significand = fraction | (std::uint64_t{1} << 52);
  int shift = 29;  // 53 significant bits down to 24
  if (float_exponent < 1) {
    shift += 1 - float_exponent;  // subnormal: fewer bits remain
    float_exponent = 0;
  }
  if (shift > 54) return std::bit_cast<float>(sign);
  std::uint64_t kept = significand >> shift;
  const std::uint64_t rest = significand & ((std::uint64_t{1} << shift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  if (rest > half || (rest == half && (kept & 1) != 0)) ++kept;
  // A normal result's leading bit lands in the exponent field, so rounding
  // up past the significand carries into the exponent (and up to infinity).
  std::uint64_t result =
      float_exponent == 0 ? kept : (static_cast<std::uint64_t>(float_exponent - 1) << 23) + kept;
  return std::bit_cast<float>(sign | static_cast<std::uint32_t>(result));
}

bool float_to_string(mstring_t* out, float value) {
  // The same bytes as printf("&%08x"), without a trip through the formatter.
  static constexpr char HEX_DIGITS[] = "0123456789abcdef";
  std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  char text[10];
  text[0] = '&';
  for (int i = 0; i < 8; ++i) text[8 - i] = HEX_DIGITS[(bits >> (4 * i)) & 0xF];
  text[9] = '\0';
  return out->copy(string_alias_t(text));
}

bool string_to_float(float* out, const string& text) {
  const char* s = text.c_str();
  if (s[0] == '&' || s[0] == '$') {
    std::uint32_t bits;
    if (*parse_unsigned_hex(s + 1, &bits) != '\0') return false;
    *out = std::bit_cast<float>(s[0] == '&' ? bits : __builtin_bswap32(bits));
    return true;
  }
  double value = 0.0;
  const char* stop = s;  // no number at all stops at the start, as strtod does
  if (!parse_decimal(s, &value, &stop)) value = 0.0, stop = s;
  bool at_end = *stop == '\0' || (*stop == 'f' && stop[1] == '\0');
  if (!at_end) return false;
  *out = narrow_to_float(value);
  return true;
}

}  // namespace quarn
