#include "qxcore/strings/format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "qxcore/core/host_memory.h"

namespace quarn {

int v_snprintf0(char* buf, unsigned int size, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int length = std::vsnprintf(buf, size, fmt, args);
  va_end(args);
  return length;
}

int v_snprintf(char* buf, unsigned int size, const char* fmt, ...) {
  va_list args, again;
  va_start(args, fmt);
  va_copy(again, args);
  int length = std::vsnprintf(buf, size, fmt, args);
  va_end(args);
  // The C library always terminates; a text that does not fit must instead
  // fill all `size` bytes, so the cut-off last character is formatted anew.
  if (length >= 0 && size > 0 && static_cast<unsigned int>(length) >= size) {
    std::size_t whole = static_cast<std::size_t>(length) + 1;
    char stack_scratch[1024];
    char* scratch = whole <= sizeof stack_scratch ? stack_scratch
                                                  : static_cast<char*>(host_alloc_vector(whole));
    if (scratch != nullptr) {
      std::vsnprintf(scratch, whole, fmt, again);
      buf[size - 1] = scratch[size - 1];
      if (scratch != stack_scratch) host_free_vector(scratch);
    }
  }
  va_end(again);
  return length;
}

int v_scprintf(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int length = std::vsnprintf(nullptr, 0, fmt, args);
  va_end(args);
  return length;
}

int v_sprintf(char* buf, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int length = std::vsprintf(buf, fmt, args);
  va_end(args);
  return length;
}

}  // namespace quarn
