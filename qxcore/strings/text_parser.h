// text_parser_t: reads line-oriented text held in memory — blank-separated
// tokens, "#" comments, numbers, vectors between "<" and ">", quoted strings
// with backslash escapes, and blocks between "{" and "}". It never allocates
// and never copies the buffer, which must outlive the parser. The last read
// can be undone.
//
//   quarn::text_parser_t parser;
//   parser.set_buffer(text, length);
//   char word[64];
//   while (parser.read_token(word, 63) != 0) use(word);
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

class QX_API text_parser_t {
 public:
  text_parser_t();  // nothing to read until set_buffer
  ~text_parser_t();
  text_parser_t(const text_parser_t&) = default;
  text_parser_t& operator=(const text_parser_t&) = default;

  void set_buffer(const void* data, unsigned int size);  // then skips white space and comments
  void reset();                                          // back to the first byte, line 0

  void skip_spaces();      // blanks and tabs, never past a line end
  void skip_line();        // up to the next line feed, stopping on it
  void skip_whitespace();  // blanks, line ends and "#" comments

  // Every read saves the position first, for undo_read. `buf` needs max + 1 bytes.
  int read_char();                                          // -1 at the end; lines not counted
  unsigned int read_one_line(char* buf, unsigned int max);  // raw line, over its line feed
  unsigned int read_token(char* buf, unsigned int max);     // 0 when nothing is left
  // The next line with text, without its comment and trailing white space.
  unsigned int read_line(char* buf, unsigned int max);
  int read_float(float* out, int count);                      // count, or -1
  int read_int(int* out, int count, int base);                // count (0 if count < 1), or -1
  int read_vector(float* out, int min_count, int max_count);  // "< a b c >": values, or -1
  // A word, or a quoted text when `delimiter` is 0 and a quote comes first.
  // `buf` holds `max` bytes; -1 at the end of the buffer (see the source for
  // the cut-text rule).
  int read_string(char* buf, int max, char delimiter);

  bool skip_block();             // from just after "{" to its matching "}"
  unsigned int measure_block();  // bytes skip_block would cover; 0 if unclosed; moves nothing

  bool finished_reading() const { return cursor_ >= end_; }
  int report_current_line() const { return line_; }  // line feeds passed
  const char* report_parse_ptr() const { return cursor_; }
  void undo_read();  // back to where the last read started

 private:
  unsigned int copy_line(char* buf, unsigned int max);
  unsigned int copy_token(char* buf, unsigned int max);
  void save();

  unsigned int size_;
  const char* start_;
  const char* cursor_;
  const char* end_;
  int line_;
  const char* saved_cursor_;
  int saved_line_;
};

// Copies `src` up to `delimiter` or its end into `dst`. Returns null for an
// empty `src`; else the position of the byte that stopped the copy (the
// delimiter or the terminator), or the one after it when that byte is a blank.
QX_API char* v_get_token(const char* src, char* dst, char delimiter);

}  // namespace quarn
