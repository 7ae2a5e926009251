// The text parser: a cursor over a caller's buffer, with one saved position
// for undo_read.
#include "qxcore/strings/text_parser.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "qxcore/core/messages.h"
#include "qxcore/strings/c_string_helpers.h"
#include "qxcore/strings/decimal_text.h"

namespace quarn {

namespace {

// What a parser without a buffer reads: nothing.
constexpr char PLACEHOLDER[] = "";

constexpr unsigned int NUMBER_TOKEN = 16;   // longest number token
constexpr unsigned int BLOCK_TOKEN = 1024;  // longest token inside a block

inline bool is_blank(char c) { return c == ' ' || c == '\t'; }
inline bool is_line_end(char c) { return c == '\n' || c == '\r'; }
inline bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The whole token must be the number.
bool token_to_float(const char* token, float* out) {
  double value;
  const char* stop;
  if (!parse_decimal(token, &value, &stop) || *stop != '\0') return false;
  *out = narrow_to_float(value);
  return true;
}

bool token_to_int(const char* token, int base, int* out) {
  char* stop;
  errno = 0;
  long value = std::strtol(token, &stop, base);
  if (stop == token || *stop != '\0' || errno != 0) return false;
  if (value < INT_MIN || value > INT_MAX) return false;
  *out = static_cast<int>(value);
  return true;
}

}  // namespace

text_parser_t::text_parser_t()
    : size_(0),
      start_(PLACEHOLDER),
      cursor_(PLACEHOLDER),
      end_(PLACEHOLDER),
      line_(0),
      saved_cursor_(PLACEHOLDER),
      saved_line_(0) {}

text_parser_t::~text_parser_t() = default;

void text_parser_t::set_buffer(const void* data, unsigned int size) {
  if (data == nullptr) {
    if (size != 0) error("[text_parser] set_buffer: null buffer of %u bytes", size);
    data = PLACEHOLDER;
    size = 0;
  }
  size_ = size;
  start_ = cursor_ = saved_cursor_ = static_cast<const char*>(data);
  end_ = start_ + size;
  line_ = saved_line_ = 0;
  skip_whitespace();
}

void text_parser_t::reset() {
  cursor_ = saved_cursor_ = start_;
  line_ = saved_line_ = 0;
}

void text_parser_t::save() {
  saved_cursor_ = cursor_;
  saved_line_ = line_;
}

void text_parser_t::undo_read() {
  cursor_ = saved_cursor_;
  line_ = saved_line_;
}

void text_parser_t::skip_spaces() {
  while (cursor_ < end_ && is_blank(*cursor_)) ++cursor_;
}

void text_parser_t::skip_line() {
  while (cursor_ < end_ && *cursor_ != '\n') ++cursor_;
}

void text_parser_t::skip_whitespace() {
  while (cursor_ < end_) {
    char c = *cursor_;
    if (c == '#') {
      skip_line();
    } else if (c == '\n') {
      ++line_;
      ++cursor_;
    } else if (is_blank(c) || c == '\r') {
      ++cursor_;
    } else {
      break;
    }
  }
}

int text_parser_t::read_char() {
  save();
  if (cursor_ >= end_) return -1;
  return static_cast<unsigned char>(*cursor_++);
}

// Copies up to the line feed, `max` bytes or the end, then steps over one
// more byte: the line feed, or the byte lost from an over-long line.
unsigned int text_parser_t::copy_line(char* buf, unsigned int max) {
  unsigned int length = 0;
  while (cursor_ < end_ && *cursor_ != '\n' && length < max) buf[length++] = *cursor_++;
  buf[length] = '\0';
  if (cursor_ < end_) {
    if (*cursor_ == '\n') ++line_;
    ++cursor_;
  }
  return length;
}

unsigned int text_parser_t::read_one_line(char* buf, unsigned int max) {
  save();
  if (buf == nullptr) return 0;
  return copy_line(buf, max);
}

unsigned int text_parser_t::copy_token(char* buf, unsigned int max) {
  skip_whitespace();
  unsigned int length = 0;
  while (cursor_ < end_ && length < max) {
    char c = *cursor_;
    if (is_blank(c) || is_line_end(c) || c == '#') break;
    buf[length++] = c;
    ++cursor_;
  }
  buf[length] = '\0';
  skip_whitespace();
  return length;
}

unsigned int text_parser_t::read_token(char* buf, unsigned int max) {
  save();
  if (buf == nullptr) return 0;
  return copy_token(buf, max);
}

unsigned int text_parser_t::read_line(char* buf, unsigned int max) {
  save();
  if (buf == nullptr) return 0;
  for (;;) {
    skip_spaces();
    unsigned int length = copy_line(buf, max);
    if (length == 0 && finished_reading()) {
      buf[0] = '\0';
      return 0;
    }
    if (char* comment = std::strchr(buf, '#')) *comment = '\0';
    // Line ends after the line; a "\r\n" line is empty once chopped.
    while (cursor_ < end_ && is_line_end(*cursor_)) {
      if (*cursor_ == '\n') ++line_;
      ++cursor_;
    }
    v_chop(buf);
    if (buf[0] != '\0') return static_cast<unsigned int>(std::strlen(buf));
  }
}

int text_parser_t::read_float(float* out, int count) {
  if (count < 1) return count;
  char token[NUMBER_TOKEN + 1];
  for (int i = 0; i < count; ++i) {
    if (read_token(token, NUMBER_TOKEN) == 0 || !token_to_float(token, &out[i])) return -1;
  }
  return count;
}

int text_parser_t::read_int(int* out, int count, int base) {
  if (count < 1) return 0;
  char token[NUMBER_TOKEN + 1];
  for (int i = 0; i < count; ++i) {
    if (read_token(token, NUMBER_TOKEN) == 0 || !token_to_int(token, base, &out[i])) return -1;
  }
  return count;
}

int text_parser_t::read_vector(float* out, int min_count, int max_count) {
  char token[NUMBER_TOKEN + 1];
  if (read_token(token, NUMBER_TOKEN) == 0 || std::strcmp(token, "<") != 0) return -1;
  int count = 0;
  for (;;) {
    if (read_token(token, NUMBER_TOKEN) == 0) return -1;
    if (std::strcmp(token, ">") == 0) break;
    if (count >= max_count || !token_to_float(token, &out[count])) return -1;
    ++count;
  }
  return count < min_count ? -1 : count;
}

// The delimiter 0 picks a quote that starts the text, else the blank, which
// stands for any white space. With the blank or the double quote, a
// backslash takes the next byte literally. When max - 1 bytes are copied
// without meeting the delimiter, the delimiter is stored as the last byte and
// max is returned, with no terminator.
int text_parser_t::read_string(char* buf, int max, char delimiter) {
  save();
  if (cursor_ >= end_) return -1;
  if (buf == nullptr || max < 1) return -1;
  if (delimiter == '\0') {
    skip_whitespace();
    if (cursor_ < end_ && (*cursor_ == '"' || *cursor_ == '\'')) {
      delimiter = *cursor_++;
    } else {
      delimiter = ' ';
    }
  }
  const bool any_space = delimiter == ' ';
  if (any_space && cursor_ < end_ && is_space(*cursor_)) {
    skip_whitespace();
    buf[0] = '\0';
    return 0;
  }
  const bool escapes = any_space || delimiter == '"';
  int length = 0;
  for (;;) {
    if (cursor_ >= end_) {
      buf[length < max ? length : max - 1] = '\0';
      return -1;
    }
    char c = *cursor_;
    if (any_space ? is_space(c) : c == delimiter) {
      if (c == '\n') ++line_;
      ++cursor_;
      buf[length] = '\0';
      skip_whitespace();
      return length;
    }
    if (length == max - 1) {
      buf[length] = delimiter;
      return max;
    }
    if (escapes && c == '\\') {
      if (++cursor_ >= end_) {
        buf[length] = '\0';
        return -1;
      }
      c = *cursor_;
    }
    // A quoted text may run over line feeds; they still count as lines.
    if (c == '\n') ++line_;
    buf[length++] = c;
    ++cursor_;
  }
}

bool text_parser_t::skip_block() {
  char token[BLOCK_TOKEN + 1];
  int depth = 1;
  while (read_token(token, BLOCK_TOKEN) != 0) {
    if (std::strcmp(token, "{") == 0) ++depth;
    if (std::strcmp(token, "}") == 0 && --depth == 0) return true;
  }
  return false;
}

unsigned int text_parser_t::measure_block() {
  const text_parser_t before = *this;
  unsigned int covered = skip_block() ? static_cast<unsigned int>(cursor_ - before.cursor_) : 0;
  *this = before;
  return covered;
}

char* v_get_token(const char* src, char* dst, char delimiter) {
  if (src == nullptr || *src == '\0') return nullptr;
  if (dst == nullptr) {
    error("[text_parser] v_get_token: no output buffer");
    return nullptr;
  }
  while (*src != '\0' && *src != delimiter) *dst++ = *src++;
  *dst = '\0';
  return const_cast<char*>(*src == ' ' ? src + 1 : src);
}

}  // namespace quarn
