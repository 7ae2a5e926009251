// A hand-written longest-match scanner. Each request runs the rules of its
// state beside the common ones (blanks, line feeds, comments, includes); where
// two rules match at one position the longer match wins, and between equal
// lengths the rule of lower number in the format's list. Only the include
// name, rest-of-line and comment states have rules that can start where a
// common rule starts, so only they weigh lengths against the common rules.
#include "qxcore/units/units_scanner.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"
#include "qxcore/fs/file.h"
#include "qxcore/fs/fs.h"
#include "qxcore/strings/float_text.h"
#include "qxcore/strings/paths.h"

namespace quarn {

// One open file of the include stack.
struct units_scanner_t::source_t {
  source_t* parent = nullptr;
  unsigned int line = 1;
  unsigned int include_line = 0;  // line of the directive in the parent
  string_dyn_t<> name;
  string_dyn_t<> location;
  char* owned_content = nullptr;  // included files only; the loader owns the outermost
  const char* begin = nullptr;
  const char* end = nullptr;      // the two zero bytes follow
  const char* pos = nullptr;
};

namespace {

constexpr char MAGIC[] = "QxdNunit";

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_word(char c) { return is_letter(c) || is_digit(c) || c == '_'; }
bool is_name_char(char c) { return is_word(c) || c == '.'; }
int hex_value(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `word` (lower case) stands at p, letters in either case.
bool matches_word(const char* p, const char* end, const char* word) {
  for (; *word != '\0'; ++p, ++word)
    if (p >= end || lower(*p) != *word) return false;
  return true;
}

template <class F>
const char* run(const char* p, const char* end, F accept) {
  while (p < end && accept(*p)) ++p;
  return p;
}

// Optional sign, then "0x" with 1 to 16 hexadecimal digits or decimal
// digits; the length of the longer of the two forms (0: none).
unsigned int number_length(const char* p, const char* end, bool allow_minus, bool* hex) {
  const char* q = p;
  if (q < end && (*q == '+' || (allow_minus && *q == '-'))) ++q;
  *hex = false;
  if (end - q >= 3 && q[0] == '0' && lower(q[1]) == 'x' && hex_value(q[2]) >= 0) {
    const char* d = q + 2;
    const char* e = d;
    while (e < end && e - d < 16 && hex_value(*e) >= 0) ++e;
    *hex = true;
    return static_cast<unsigned int>(e - p);
  }
  const char* e = run(q, end, is_digit);
  return e > q ? static_cast<unsigned int>(e - p) : 0;
}

// A real-number token: a decimal with optional point, exponent and (after a
// point or an exponent) "f"; "&" with exactly 8 hexadecimal digits; "$" with
// 8 of them, or alone.
unsigned int real_length(const char* p, const char* end) {
  if (p < end && (*p == '&' || *p == '$')) {
    const char* e = p + 1;
    while (e < end && e - p <= 8 && hex_value(*e) >= 0) ++e;
    if (e - p == 9) return 9;
    return *p == '$' ? 1 : 0;
  }
  const char* q = p;
  if (q < end && (*q == '+' || *q == '-')) ++q;
  const char* digits_end = run(q, end, is_digit);
  const bool whole = digits_end > q;
  bool point = false;
  q = digits_end;
  if (q < end && *q == '.') {
    const char* fraction_end = run(q + 1, end, is_digit);
    if (whole || fraction_end > q + 1) {
      point = true;
      q = fraction_end;
    }
  }
  if (!whole && !point) return 0;
  bool exponent = false;
  if (q < end && lower(*q) == 'e') {
    const char* e = q + 1;
    if (e < end && (*e == '+' || *e == '-')) ++e;
    const char* exponent_end = run(e, end, is_digit);
    if (exponent_end > e) {
      q = exponent_end;
      exponent = true;
    }
  }
  if ((point || exponent) && q < end && lower(*q) == 'f') ++q;
  return static_cast<unsigned int>(q - p);
}

}  // namespace

void* units_scanner_t::operator new(std::size_t size) noexcept { return host_alloc(size); }
void units_scanner_t::operator delete(void* p) noexcept { host_free(p); }

units_scanner_t::units_scanner_t(const char* content, unsigned int length, const string& file_name,
                                 const string& location, fs_type_t type)
    : fs_type_(type) {
  source_t* source = host_new<source_t>();
  if (source == nullptr || !file_name_.copy(file_name) || !source->name.copy(file_name) ||
      !source->location.copy(location)) {
    host_delete(source);
    out_of_memory();
    return;
  }
  source->begin = source->pos = content;
  source->end = content + (length >= 2 ? length - 2 : 0);
  current_ = source;
}

units_scanner_t::~units_scanner_t() {
  while (current_ != nullptr) pop_source();
}

void units_scanner_t::pop_source() {
  source_t* source = current_;
  current_ = source->parent;
  host_free_vector(source->owned_content);
  host_delete(source);
  if (depth_ > 0) --depth_;
}

void units_scanner_t::report_position() const {
  if (current_ == nullptr) {
    error("[unit] File '%s':", file_name_.c_str());
    return;
  }
  error("[unit] File '%s', line %u:", current_->name.c_str(), current_->line);
  for (const source_t* s = current_; s->parent != nullptr; s = s->parent)
    error("Included at '%s', line %u:", s->parent->name.c_str(), s->include_line);
}

bool units_scanner_t::out_of_memory() const {
  error("[unit] Out of memory while scanning units from file '%s'.", file_name_.c_str());
  return false;
}

bool units_scanner_t::set_text(mstring_t* out, const char* text, unsigned int length) const {
  if (text == out->c_str()) return true;
  if (out->capacity() < length + 1) {
    unsigned int wanted = out->capacity() * 2;
    out->reserve(wanted > length + 1 ? wanted : length + 1);
    if (out->capacity() < length + 1) return false;
  }
  std::memcpy(out->data(), text, length);
  out->data()[length] = '\0';
  return true;
}

units_scanner_t::verdict_t units_scanner_t::fail(const char* expected, const char* text,
                                                 unsigned int length) {
  report_position();
  if (!set_text(&token_text_, text, length)) {
    out_of_memory();
    return FAIL;
  }
  error("Expecting %s, found '%s'", expected, token_text_.c_str());
  return FAIL;
}

void units_scanner_t::advance(unsigned int n) { current_->pos += n; }

// Common rules 9 to 14: the length of the match at p (0: none) and its rule.
units_scanner_t::verdict_t units_scanner_t::common_rule(const char* p, const char* end,
                                                        unsigned int* length, int* rule) const {
  *length = 0;
  const char c = *p;
  if (is_blank(c)) {
    *length = static_cast<unsigned int>(run(p, end, is_blank) - p);
    *rule = 9;
  } else if (c == '\n') {
    *length = 1;
    *rule = 10;
  } else if (c == '@') {
    const bool line_start = p == current_->begin || p[-1] == '\n';
    if (line_start && matches_word(p, end, "@include") && p + 8 < end && is_blank(p[8])) {
      *length = static_cast<unsigned int>(run(p + 8, end, is_blank) - p);
      *rule = 11;
    }
  } else if ((c == '/' && p + 1 < end && p[1] == '/') || c == '#') {
    // Without its line feed it is no comment.
    const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    if (lf != nullptr) {
      *length = static_cast<unsigned int>(static_cast<const char*>(lf) - p + 1);
      *rule = c == '#' ? 13 : 12;
    }
  } else if (c == '/' && p + 1 < end && p[1] == '*') {
    *length = 2;
    *rule = 14;
  }
  return SKIP;
}

units_scanner_t::verdict_t units_scanner_t::apply_common(int rule, unsigned int length) {
  switch (rule) {
    case 11:
      saved_include_state_ = state_;
      token_text_.clear();
      state_ = STATE_INCLUDE_NAME;
      break;
    case 14:
      saved_comment_state_ = state_;
      state_ = STATE_COMMENT;
      break;
    case 10:
    case 12:
    case 13:
      ++current_->line;
      break;
    default:
      break;
  }
  advance(length);
  return SKIP;
}

// The line feed that ends an include directive: opens the named file and
// continues scanning at its first byte.
units_scanner_t::verdict_t units_scanner_t::include_line_end() {
  if (token_text_.empty()) {
    report_position();
    error("Expecting %s, found '%s'", "include file name", "\n");
    ++current_->line;
    advance(1);
    state_ = saved_include_state_;
    return SKIP;
  }
  ++current_->line;
  advance(1);
  string_dyn_t<> path;
  if (!path.copy(current_->location) || !v_change_filename(&path, token_text_))
    return no_memory();
  if (depth_ >= MAX_INCLUDE_DEPTH) {
    report_position();
    error("[unit] Includes nest deeper than %u files at '%s'.", MAX_INCLUDE_DEPTH, path.c_str());
    return FAIL;
  }
  file_t* file = fs_open(path, fs_type_);
  if (file == nullptr) {
    report_position();
    error("Failed to open the file '%s'.", path.c_str());
    return FAIL;
  }
  const unsigned int size = file->size();
  source_t* source = host_new<source_t>();
  char* content = static_cast<char*>(host_alloc_vector(static_cast<std::size_t>(size) + 2));
  if (source == nullptr || content == nullptr || !source->name.copy(path) ||
      !file->get_location(&source->location)) {
    host_delete(source);
    host_free_vector(content);
    delete file;
    return no_memory();
  }
  if (size > 0 && !file->read(content, size)) {
    host_delete(source);
    host_free_vector(content);
    delete file;
    report_position();
    error("[unit] Error while reading units from file '%s'.", path.c_str());
    return FAIL;
  }
  delete file;
  content[size] = content[size + 1] = '\0';
  source->owned_content = content;
  source->begin = source->pos = content;
  source->end = content + size;
  source->parent = current_;
  source->include_line = current_->line - 1;
  current_ = source;
  ++depth_;
  state_ = saved_include_state_;
  return SKIP;
}

// The include name, rest-of-line and comment states.
units_scanner_t::verdict_t units_scanner_t::special_state(const char* p, const char* end) {
  const char c = *p;
  unsigned int common_length;
  int rule;
  common_rule(p, end, &common_length, &rule);
  if (state_ == STATE_INCLUDE_NAME) {
    if (c == '\n') return include_line_end();
    if (common_length > 0) return apply_common(rule, common_length);
    if (c == '"') {
      const void* close = std::memchr(p + 1, '"', static_cast<std::size_t>(end - p - 1));
      const char* q = static_cast<const char*>(close);
      if (q != nullptr && q > p + 1) {
        const unsigned int length = static_cast<unsigned int>(q - p + 1);
        if (!token_text_.empty()) {
          fail("include file name", p, length);
          state_ = STATE_REST_OF_LINE;
        } else if (!set_text(&token_text_, p + 1, length - 2)) {
          return no_memory();
        }
        advance(length);
        return SKIP;
      }
    }
    fail_char("include file name", p);
    state_ = STATE_REST_OF_LINE;
    advance(1);
    return SKIP;
  }
  if (state_ == STATE_REST_OF_LINE) {
    if (c == '\n') {
      ++current_->line;
      advance(1);
      state_ = saved_include_state_;
      return SKIP;
    }
    if (common_length > 1) return apply_common(rule, common_length);
    advance(1);
    return SKIP;
  }
  // Comment.
  if (c == '\n') return apply_common(10, 1);
  unsigned int length = 0;
  bool closes = false;
  if (c != '*') {
    length = static_cast<unsigned int>(run(p, end, [](char x) { return x != '*' && x != '\n'; }) - p);
  } else {
    const char* q = run(p, end, [](char x) { return x == '*'; });
    if (q < end && *q == '/') {
      length = static_cast<unsigned int>(q + 1 - p);
      closes = true;
    } else if (q < end && *q != '\n') {
      length = static_cast<unsigned int>(
          run(q, end, [](char x) { return x != '*' && x != '/' && x != '\n'; }) - p);
    } else {
      // Stars before a line feed or the end match no rule; they are passed over.
      advance(static_cast<unsigned int>(q - p));
      return SKIP;
    }
  }
  if (common_length > 0 && common_length >= length) return apply_common(rule, common_length);
  if (closes) state_ = saved_comment_state_;
  advance(length);
  return SKIP;
}

bool units_scanner_t::unescape(const char* text, unsigned int length) {
  if (!set_text(&value_text, "", 0)) return out_of_memory();
  if (value_text.capacity() < length + 1) {
    value_text.reserve(length + 1);
    if (value_text.capacity() < length + 1) return out_of_memory();
  }
  char* out = value_text.data();
  const char* end = text + length;
  for (const char* p = text; p < end; ++p) {
    if (*p != '\\') {
      *out++ = *p;
      continue;
    }
    const char e = *++p;
    if (e == '"' || e == '\\') {
      *out++ = e;
    } else if (e == 'n') {
      *out++ = '\n';
    } else if (e == 'r') {
      *out++ = '\r';
    } else if (e == 'x' && end - p >= 3 && hex_value(p[1]) >= 0 && hex_value(p[2]) >= 0) {
      *out++ = static_cast<char>(hex_value(p[1]) * 16 + hex_value(p[2]));
      p += 2;
    } else {
      // An invalid escape fails the value with no message of its own.
      report_position();
      return false;
    }
  }
  *out = '\0';
  return true;
}

// A real-number token to its value: 1 converted, 0 not a float, -1 no memory.
// The bit-pattern form, the one the saver writes for fractions, skips the copy.
int units_scanner_t::convert_real(const char* p, unsigned int length, float* out) {
  if (length == 9 && *p == '&') {
    std::uint32_t bits = 0;
    for (unsigned int i = 1; i < 9; ++i) bits = bits << 4 | static_cast<std::uint32_t>(hex_value(p[i]));
    *out = std::bit_cast<float>(bits);
    return 1;
  }
  if (!set_text(&token_text_, p, length)) return -1;
  return string_to_float(out, token_text_) ? 1 : 0;
}

units_scanner_t::verdict_t units_scanner_t::vector_rule(const char* p, const char* end,
                                                        unsigned int components, bool quaternion,
                                                        const char* what) {
  const unsigned int last = 2 * components;
  const char c = *p;
  if (c == '(' && step_ == 0) {
    step_ = 1;
  } else if (c == ')' && step_ == last) {
    advance(1);
    return DELIVER;
  } else if (c == ';' && quaternion && step_ == 2) {
    step_ = 3;
  } else if (c == ',' && step_ % 2 == 0 && step_ >= 2 && step_ < last &&
             !(quaternion && step_ == 2)) {
    ++step_;
  } else if (unsigned int length = real_length(p, end)) {
    float value;
    if (step_ % 2 == 0 || step_ > last) return fail(what, p, length);
    int converted = convert_real(p, length, &value);
    if (converted < 0) return no_memory();
    if (converted == 0) return fail(what, p, length);
    vector[(step_ - 1) / 2] = value;
    ++step_;
    advance(length);
    return SKIP;
  } else {
    return fail_char(what, p);
  }
  advance(1);
  return SKIP;
}

units_scanner_t::verdict_t units_scanner_t::token_rule(const char* p, const char* end) {
  const char c = *p;
  switch (state_) {
    case STATE_MAGIC:
      if (!matches_word(p, end, "qxdnunit")) return fail_char("file magic value", p);
      advance(sizeof MAGIC - 1);
      return DELIVER;
    case STATE_OPEN:
    case STATE_CLOSE:
    case STATE_COLON: {
      const char wanted = state_ == STATE_OPEN ? '{' : state_ == STATE_CLOSE ? '}' : ':';
      if (c != wanted) return fail_char(state_ == STATE_OPEN ? "'{'" : state_ == STATE_CLOSE ? "'}'" : "':'", p);
      advance(1);
      return DELIVER;
    }
    case STATE_NAME: {
      if (c == '}') {
        value_text.clear();
        advance(1);
        return DELIVER;
      }
      if (!is_letter(c)) return fail_char("attribute name/unit type name or closing bracket", p);
      const unsigned int length = static_cast<unsigned int>(run(p, end, is_word) - p);
      if (!set_text(&value_text, p, length)) return no_memory();
      advance(length);
      return DELIVER;
    }
    case STATE_UNIT_NAME:
    case STATE_STRING: {
      const bool unit_name = state_ == STATE_UNIT_NAME;
      const char* what = unit_name ? "unit name" : "string value";
      if (is_name_char(c)) {
        const unsigned int length = static_cast<unsigned int>(run(p, end, is_name_char) - p);
        if (!set_text(&value_text, p, length)) return no_memory();
        advance(length);
        return DELIVER;
      }
      if (c != '"') return fail_char(what, p);
      const char* q = p + 1;
      if (unit_name) {
        q = run(q, end, is_name_char);
      } else {
        // A backslash takes the next character with it, but never a line feed.
        while (q < end && *q != '"') {
          if (*q != '\\') {
            ++q;
          } else if (q + 1 < end && q[1] != '\n') {
            q += 2;
          } else {
            q = end;
          }
        }
      }
      if (q >= end || *q != '"') return fail_char(what, p);
      const unsigned int length = static_cast<unsigned int>(q - p - 1);
      if (unit_name ? !set_text(&value_text, p + 1, length) : !unescape(p + 1, length)) return FAIL;
      advance(length + 2);
      return DELIVER;
    }
    case STATE_INTEGER:
    case STATE_UNSIGNED:
    case STATE_ENUM: {
      bool hex;
      const bool is_unsigned = state_ == STATE_UNSIGNED;
      const unsigned int length = number_length(p, end, !is_unsigned, &hex);
      const unsigned int word = state_ == STATE_ENUM ? static_cast<unsigned int>(run(p, end, is_word) - p) : 0;
      if (length == 0 || word > length) {
        if (state_ == STATE_ENUM) {
          const char* q = word > 0 ? p + word : run(p + 1, end, is_word);
          if (word > 0 || (c == '"' && q < end && *q == '"')) {
            const char* text = word > 0 ? p : p + 1;
            const unsigned int n = static_cast<unsigned int>(q - text);
            if (!set_text(&value_text, text, n)) return no_memory();
            enum_by_name = true;
            advance(word > 0 ? word : n + 2);
            return DELIVER;
          }
          return fail_char("enum value", p);
        }
        return fail_char(is_unsigned ? "unsigned value" : "integral value", p);
      }
      if (!set_text(&token_text_, p, length)) return no_memory();
      char* stop = nullptr;
      errno = 0;
      if (is_unsigned)
        unsigned_value = std::strtoull(token_text_.c_str(), &stop, hex ? 16 : 10);
      else
        integer_value = std::strtoll(token_text_.c_str(), &stop, hex ? 16 : 10);
      if (*stop != '\0')
        return fail(is_unsigned ? "positive integer number"
                                : state_ == STATE_ENUM ? "enum value" : "integer number",
                    p, length);
      enum_by_name = false;
      advance(length);
      return DELIVER;
    }
    case STATE_BOOLEAN: {
      static constexpr const char* WORDS[] = {"0", "false", "no", "1", "true", "yes"};
      const bool quoted = c == '"';
      for (unsigned int i = 0; i < 6; ++i) {
        const char* w = WORDS[i];
        const unsigned int n = static_cast<unsigned int>(std::strlen(w));
        const char* q = quoted ? p + 1 : p;
        if (!matches_word(q, end, w)) continue;
        if (quoted && (q + n >= end || q[n] != '"')) continue;
        boolean_value = i >= 3;
        advance(n + (quoted ? 2 : 0));
        return DELIVER;
      }
      return fail_char("Boolean value", p);
    }
    case STATE_REAL: {
      const unsigned int length = real_length(p, end);
      if (length == 0) return fail_char("real number", p);
      const int converted = convert_real(p, length, &real_value);
      if (converted < 0) return no_memory();
      if (converted == 0) return fail("real number", p, length);
      advance(length);
      return DELIVER;
    }
    case STATE_VECTOR2: return vector_rule(p, end, 2, false, "2D vector");
    case STATE_VECTOR3: return vector_rule(p, end, 3, false, "3D vector");
    case STATE_VECTOR4: return vector_rule(p, end, 4, false, "4D vector");
    case STATE_QUATERNION: return vector_rule(p, end, 4, true, "quaternion");
    case STATE_INDEX: {
      if (step_ == 0 && c == ':') {
        index_given = false;
        return DELIVER;
      }
      if (step_ == 0 && c == '[') {
        const char* q = run(p + 1, end, is_blank);
        if (q < end && *q == ']') {
          index = 0xFFFFFFFFu;
          index_given = true;
          advance(static_cast<unsigned int>(q + 1 - p));
          return DELIVER;
        }
        step_ = 1;
        advance(1);
        return SKIP;
      }
      const unsigned int digits = static_cast<unsigned int>(run(p, end, is_digit) - p);
      if (step_ == 1 && digits > 0) {
        unsigned long long value = 0;
        for (unsigned int i = 0; i < digits && value <= 0xFFFFFFFFu; ++i)
          value = value * 10 + static_cast<unsigned int>(p[i] - '0');
        index = value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<unsigned int>(value);
        step_ = 2;
        advance(digits);
        return SKIP;
      }
      if (step_ == 2 && c == ']') {
        index_given = true;
        advance(1);
        return DELIVER;
      }
      return fail("index", p, digits > 0 ? digits : 1);
    }
    case STATE_END:
      return fail_char("end of file", p);
    default:
      return fail_char("valid input", p);
  }
}

bool units_scanner_t::scan(state_t state) {
  state_ = state;
  for (;;) {
    if (current_ == nullptr) {
      report_position();
      error("Unexpected end of file.");
      return false;
    }
    const char* p = current_->pos;
    const char* end = current_->end;
    if (p >= end) {
      if (state_ == STATE_INCLUDE_NAME) {
        fail("include file name", "", 0);
        return false;
      }
      pop_source();
      if (current_ != nullptr) continue;
      if (state_ == STATE_END) return true;
      report_position();
      error("Unexpected end of file.");
      return false;
    }
    verdict_t verdict;
    if (state_ == STATE_INCLUDE_NAME || state_ == STATE_REST_OF_LINE || state_ == STATE_COMMENT) {
      verdict = special_state(p, end);
    } else if (is_blank(*p) || *p == '\n') {
      // Rules 9 and 10 inline: the common case between two tokens.
      while (p < end && (is_blank(*p) || *p == '\n')) current_->line += *p++ == '\n';
      current_->pos = p;
      continue;
    } else {
      unsigned int length;
      int rule;
      common_rule(p, end, &length, &rule);
      verdict = length > 0 ? apply_common(rule, length) : token_rule(p, end);
    }
    if (verdict == DELIVER) return true;
    if (verdict == FAIL) return false;
  }
}

bool units_scanner_t::scan_file_magic() { return scan(STATE_MAGIC); }
bool units_scanner_t::scan_open() { return scan(STATE_OPEN); }
bool units_scanner_t::scan_close() { return scan(STATE_CLOSE); }
bool units_scanner_t::scan_colon() { return scan(STATE_COLON); }
bool units_scanner_t::scan_name() { return scan(STATE_NAME); }
bool units_scanner_t::scan_unit_name() { return scan(STATE_UNIT_NAME); }
bool units_scanner_t::scan_string() { return scan(STATE_STRING); }
bool units_scanner_t::scan_integer() { return scan(STATE_INTEGER); }
bool units_scanner_t::scan_unsigned() { return scan(STATE_UNSIGNED); }
bool units_scanner_t::scan_boolean() { return scan(STATE_BOOLEAN); }
bool units_scanner_t::scan_real() { return scan(STATE_REAL); }
bool units_scanner_t::scan_enum() { return scan(STATE_ENUM); }
bool units_scanner_t::scan_file_end() { return scan(STATE_END); }

bool units_scanner_t::scan_vector2() {
  step_ = 0;
  return scan(STATE_VECTOR2);
}
bool units_scanner_t::scan_vector3() {
  step_ = 0;
  return scan(STATE_VECTOR3);
}
bool units_scanner_t::scan_vector4() {
  step_ = 0;
  return scan(STATE_VECTOR4);
}
bool units_scanner_t::scan_quaternion() {
  step_ = 0;
  return scan(STATE_QUATERNION);
}
bool units_scanner_t::scan_index() {
  step_ = 0;
  return scan(STATE_INDEX);
}

}  // namespace quarn
