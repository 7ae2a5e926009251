#include "qxcore/strings/c_string_helpers.h"

#include <cctype>
#include <cstring>

namespace quarn {

unsigned int v_strhash(const char* text) {
  unsigned int h = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    h = h * 29 + static_cast<unsigned int>(static_cast<signed char>(*p));
    h += h >> 16;
  }
  return h & 0xFFFF;
}

void v_chop(char* text) {
  std::size_t length = std::strlen(text);
  while (length > 0) {
    char c = text[length - 1];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
    --length;
  }
  text[length] = '\0';
}

char* v_skip_wspace(const char* text) {
  while (*text != '\0' && std::isspace(static_cast<unsigned char>(*text))) ++text;
  return const_cast<char*>(text);
}

unsigned int v_strnlen_impl(const char* text, unsigned int max) {
  return static_cast<unsigned int>(::strnlen(text, max));
}

char* v_stpcpy_impl(char* dst, const char* src) { return ::stpcpy(dst, src); }

char* v_stpncpy_impl(char* dst, const char* src, unsigned int n) {
  std::size_t length = ::strnlen(src, n);
  std::memcpy(dst, src, length);
  if (length == n) return dst + n;
  dst[length] = '\0';
  return dst + length;
}

}  // namespace quarn
