#include "qxcore/strings/string.h"

#include <cstring>

#include "qxcore/core/host_memory.h"

namespace quarn {

namespace {

constexpr char nul_text[1] = {'\0'};
constexpr char whitespace_text[] = " \t\n\r\f";

// The constants refer to static text, so loading the library allocates nothing.
struct string_constant_t : string_alias_t {
  constexpr explicit string_constant_t(const char* text) noexcept
      : string_alias_t(text, adopt_t{}) {}
};

constinit const string_constant_t empty_constant(nul_text);
constinit const string_constant_t whitespace_constant(whitespace_text);

// A heap copy of `text`, or NUL_CHAR for the empty text (and when the hook fails).
const char* duplicate_text(const char* text) {
  if (text == nullptr || text[0] == '\0') return string::NUL_CHAR;
  std::size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(host_alloc_vector(size));
  if (copy == nullptr) return string::NUL_CHAR;
  std::memcpy(copy, text, size);
  return copy;
}

void release_text(const char* text) {
  if (text != string::NUL_CHAR) host_free_vector(const_cast<char*>(text));
}

}  // namespace

const char* const string::NUL_CHAR = nul_text;
const string& string::EMPTY = empty_constant;
const string& string::WHITESPACE = whitespace_constant;
const string_alias_t& string_alias_t::WHITESPACE = whitespace_constant;

string::string(const char* text) : text_(duplicate_text(text)) {}

string::string(const string& other) : text_(duplicate_text(other.text_)) {}

string& string::operator=(const string& other) {
  if (this != &other) {
    const char* copy = duplicate_text(other.text_);
    release_text(text_);
    text_ = copy;
  }
  return *this;
}

string::~string() { release_text(text_); }

unsigned int string::length() const { return static_cast<unsigned int>(std::strlen(text_)); }

unsigned int string::find_last_of(const string& set, unsigned int start) const {
  // Scan from the end: paths are searched for their last separator.
  for (std::size_t i = std::strlen(text_); i > start; --i)
    if (std::strchr(set.text_, text_[i - 1]) != nullptr) return static_cast<unsigned int>(i - 1);
  return 0xFFFFFFFFu;
}

bool operator==(const string& a, const char* b) {
  return std::strcmp(a.c_str(), b != nullptr ? b : string::NUL_CHAR) == 0;
}

bool operator==(const string& a, const string& b) { return std::strcmp(a.c_str(), b.c_str()) == 0; }

}  // namespace quarn
