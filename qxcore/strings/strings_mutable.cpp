#include "qxcore/strings/strings_mutable.h"

#include <cstdio>
#include <cstring>

#include "qxcore/core/assertions.h"
#include "qxcore/strings/string_dyn.h"

namespace quarn {

namespace {

// Where the bounds check reports from, as the library's reports name it.
constexpr const char* BOUNDS_MODULE = "strings/strings_mutable";
constexpr unsigned int BOUNDS_LINE = 165;

// An index past the buffer is reported and then lands here, so that neither
// reading nor writing through it touches memory outside the string.
char out_of_bounds_byte;

std::size_t bounded_length(const char* text, std::size_t max) { return ::strnlen(text, max); }

}  // namespace

mstring_t::~mstring_t() = default;

char& mstring_t::bounds_failure() {
  v_abort_fail("mstring_t bounds check failed", BOUNDS_MODULE, BOUNDS_LINE, "unknown fn");
  out_of_bounds_byte = '\0';
  return out_of_bounds_byte;
}

void mstring_t::terminate_at(unsigned int pos) {
  if (pos < capacity()) data()[pos] = '\0';
}

void mstring_t::clear() { terminate_at(0); }

// Callers only come here when `count` is below the room left, so the copy
// itself is never cut; only a missing buffer or position can fail it.
bool mstring_t::copy_raw(const char* src, unsigned int dst_pos, unsigned int src_pos,
                         unsigned int count) {
  // The source may end before src_pos: then there is nothing to copy.
  if (count == 0 || bounded_length(src, src_pos) < src_pos) return copy_measured(src, dst_pos, 0);
  return copy_measured(src + src_pos, dst_pos, bounded_length(src + src_pos, count));
}

bool mstring_t::copy_measured(const char* src, unsigned int dst_pos, std::size_t n) {
  unsigned int cap = capacity();
  if (cap == 0) return n == 0;
  if (dst_pos >= cap) return false;
  std::size_t room = cap - dst_pos - 1;
  std::size_t fitting = n < room ? n : room;
  std::memmove(data() + dst_pos, src, fitting);  // the source may overlap this buffer
  data()[dst_pos + fitting] = '\0';
  return fitting == n;
}

bool mstring_t::copy(const string& src, unsigned int dst_pos, unsigned int src_pos,
                     unsigned int count) {
  const char* s = src.c_str();
  unsigned int cap = capacity();
  unsigned int room = cap > dst_pos ? cap - dst_pos : 0;
  if (count == 0 || count < room) return copy_raw(s, dst_pos, src_pos, count);

  bool to_end = count == TO_END || src_pos + count < src_pos;
  std::size_t len = to_end ? std::strlen(s) : bounded_length(s, src_pos + count);
  if (len <= src_pos) {
    terminate_at(dst_pos);
    return true;
  }
  std::size_t n = len - src_pos;
  if (n >= room && can_grow()) {
    // The source may lie in this very buffer, which reserve is about to free.
    const char* old_text = text_;
    bool inside = text_ != NUL_CHAR && s >= old_text && s < old_text + cap;
    std::size_t wanted = dst_pos + n + 1;
    if (wanted <= 0xFFFFFFFFu) reserve(static_cast<unsigned int>(wanted));
    if (inside) s = text_ + (s - old_text);
  }
  return copy_measured(s + src_pos, dst_pos, n);
}

bool mstring_t::vprintf(const char* fmt, va_list args) {
  va_list measure;
  va_copy(measure, args);
  int needed = std::vsnprintf(nullptr, 0, fmt, measure);
  va_end(measure);
  if (needed < 0) {
    clear();
    return false;
  }
  unsigned int size = static_cast<unsigned int>(needed) + 1;

  if (can_grow() && size > capacity()) {
    if (capacity() == 0) {
      reserve(size);
    } else {
      // Growing frees the current buffer, and an argument may point into it:
      // format into a scratch string first, then take the text over.
      string_dyn_t<> scratch;
      scratch.reserve(size);
      if (scratch.capacity() < size) return false;
      std::vsnprintf(scratch.data(), size, fmt, args);
      return copy(scratch);
    }
  }
  unsigned int cap = capacity();
  if (cap == 0) return needed == 0;
  int written = std::vsnprintf(data(), cap, fmt, args);
  return written >= 0 && static_cast<unsigned int>(written) < cap;
}

bool mstring_t::printf(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  bool whole = vprintf(fmt, args);
  va_end(args);
  return whole;
}

mstring_t& mstring_t::replace(char from, char to, unsigned int) {
  unsigned int cap = capacity();
  char* text = data();
  for (unsigned int i = 0; i < cap && text[i] != '\0'; ++i)
    if (text[i] == from) text[i] = to;
  return *this;
}

bool mstring_t::replace(const string& src, char from, char to) {
  const char* s = src.c_str();
  std::size_t len = std::strlen(s);
  unsigned int cap = capacity();
  if (len == 0) {
    terminate_at(0);
    return true;
  }
  // Grow the way a byte-by-byte writer would: double before the last byte.
  if (cap < len + 1 && can_grow()) {
    const char* old_text = text_;
    bool inside = text_ != NUL_CHAR && s >= old_text && s < old_text + cap;
    std::size_t grown = cap == 0 ? 16 : cap;
    while (grown < len + 1 && grown <= 0x7FFFFFFFu) grown *= 2;
    if (grown <= 0xFFFFFFFFu) reserve(static_cast<unsigned int>(grown));
    if (inside) s = text_ + (s - old_text);
    cap = capacity();
  }
  if (cap == 0) return false;
  std::size_t n = len < cap ? len : cap - 1;
  char* text = data();
  for (std::size_t i = 0; i < n; ++i) text[i] = s[i] == from ? to : s[i];
  text[n] = '\0';
  return n == len;
}

bool mstring_t::replace(mstring_t* out, const string& what, const string& with) const {
  if (out == nullptr) return false;
  if (out == this) {
    string_dyn_t<> result;
    bool whole = replace(&result, what, with);
    return out->copy(result) && whole;
  }
  out->clear();
  const char* pattern = what.c_str();
  std::size_t pattern_length = std::strlen(pattern);
  string_alias_t self(text_);
  if (pattern_length == 0) return out->append(self);

  unsigned int done = 0;
  for (const char* hit = std::strstr(text_, pattern); hit != nullptr;
       hit = std::strstr(text_ + done, pattern)) {
    unsigned int at = static_cast<unsigned int>(hit - text_);
    if (!out->append(self, done, at - done)) return false;
    if (!out->append(with)) return false;
    done = at + static_cast<unsigned int>(pattern_length);
  }
  return out->append(self, done, TO_END);
}

}  // namespace quarn
