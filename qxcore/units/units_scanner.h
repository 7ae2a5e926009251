// units_scanner_t: the scanner of units text files, used by unit_load_t. The
// loader puts it into the state for the token it expects; the scanner skips
// blanks, line breaks, comments and include directives, and either delivers
// that token's value in its fields or reports "Expecting %s, found '%s'" with
// the file position and answers false. All state lives in the object, so a
// load may run while another one is scanning (library-internal).
//
//   units_scanner_t scanner(bytes, n + 2, name, location, FS_TYPE_VIRTUAL);
//   if (scanner.scan_file_magic() && scanner.scan_open() && scanner.scan_name())
//     use(scanner.value_text);   // a type name, or "" for the closing brace
#pragma once

#include "qxcore/fs/fs_types.h"
#include "qxcore/math/quat.h"
#include "qxcore/strings/string_dyn.h"

namespace quarn {

class units_scanner_t {
 public:
  // The states a request can put the scanner in, and the three it enters by
  // itself (include name, rest of line, comment).
  enum state_t : unsigned int {
    STATE_VALID_INPUT, STATE_MAGIC, STATE_OPEN, STATE_CLOSE, STATE_COLON, STATE_NAME,
    STATE_UNIT_NAME, STATE_STRING, STATE_INTEGER, STATE_UNSIGNED, STATE_BOOLEAN, STATE_REAL,
    STATE_VECTOR2, STATE_VECTOR3, STATE_VECTOR4, STATE_QUATERNION, STATE_INDEX, STATE_ENUM,
    STATE_END, STATE_INCLUDE_NAME, STATE_REST_OF_LINE, STATE_COMMENT,
  };
  // Includes deeper than this are refused (a file that includes itself).
  static constexpr unsigned int MAX_INCLUDE_DEPTH = 32;

  // `content` holds the outermost file followed by two zero bytes (`length`
  // counts them); it is not owned and must outlive the scanner.
  units_scanner_t(const char* content, unsigned int length, const string& file_name,
                  const string& location, fs_type_t type);
  ~units_scanner_t();
  units_scanner_t(const units_scanner_t&) = delete;
  units_scanner_t& operator=(const units_scanner_t&) = delete;

  bool is_ready() const { return current_ != nullptr; }  // false when memory was refused

  bool scan_file_magic();
  bool scan_open();
  bool scan_close();
  bool scan_colon();
  bool scan_name();       // value_text: the identifier, or "" for "}"
  bool scan_unit_name();  // value_text
  bool scan_string();     // value_text, unescaped
  bool scan_integer();    // integer_value
  bool scan_unsigned();   // unsigned_value
  bool scan_boolean();    // boolean_value
  bool scan_real();       // real_value
  bool scan_vector2();    // vector[0..1]
  bool scan_vector3();    // vector[0..2]
  bool scan_vector4();    // vector[0..3]
  bool scan_quaternion(); // vector[0..3] in text order
  bool scan_index();      // index, index_given
  bool scan_enum();       // integer_value or value_text, enum_by_name
  bool scan_file_end();   // true when the input ended cleanly

  // The position lines that precede every message raised while scanning.
  void report_position() const;
  // Reports refused memory and answers false.
  bool out_of_memory() const;

  string_dyn_t<> value_text;
  long long integer_value = 0;
  unsigned long long unsigned_value = 0;
  bool boolean_value = false;
  float real_value = 0;
  float vector[4] = {0, 0, 0, 0};
  unsigned int index = 0;
  bool index_given = false;
  bool enum_by_name = false;

  static void* operator new(std::size_t size) noexcept;
  static void operator delete(void* p) noexcept;

 private:
  struct source_t;
  enum verdict_t : int { SKIP, DELIVER, FAIL };

  bool scan(state_t state);
  verdict_t common_rule(const char* p, const char* end, unsigned int* length, int* rule) const;
  verdict_t apply_common(int rule, unsigned int length);
  verdict_t special_state(const char* p, const char* end);
  verdict_t token_rule(const char* p, const char* end);
  verdict_t vector_rule(const char* p, const char* end, unsigned int components, bool quaternion,
                        const char* what);
  verdict_t include_line_end();
  verdict_t fail(const char* expected, const char* text, unsigned int length);
  verdict_t fail_char(const char* expected, const char* p) { return fail(expected, p, 1); }
  verdict_t no_memory() const {
    out_of_memory();
    return FAIL;
  }
  bool set_text(mstring_t* out, const char* text, unsigned int length) const;
  bool unescape(const char* text, unsigned int length);
  int convert_real(const char* p, unsigned int length, float* out);
  void advance(unsigned int n);
  void pop_source();

  source_t* current_ = nullptr;
  string_dyn_t<> file_name_;
  fs_type_t fs_type_;
  state_t state_ = STATE_VALID_INPUT;
  state_t saved_comment_state_ = STATE_VALID_INPUT;
  state_t saved_include_state_ = STATE_VALID_INPUT;
  unsigned int step_ = 0;
  unsigned int depth_ = 0;
  string_dyn_t<> token_text_;
};

}  // namespace quarn
