#include "qxcore/strings/string_tokenizer.h"

#include <cstring>

#include "qxcore/strings/strings_mutable.h"

namespace quarn {

string_tokenizer_t::string_tokenizer_t(const char* text, const char* delimiters)
    : text_(text != nullptr ? text : string::NUL_CHAR),
      delimiters_(delimiters != nullptr ? delimiters : string::NUL_CHAR) {
  std::size_t start = std::strspn(text_, delimiters_);
  position_ = text_[start] == '\0' ? NO_TOKEN : static_cast<unsigned int>(start);
}

bool string_tokenizer_t::has_token() const {
  return position_ != NO_TOKEN && text_[position_] != '\0';
}

bool string_tokenizer_t::get_token(mstring_t* out) {
  if (!has_token()) return false;
  unsigned int start = position_;
  const char* delimiter = std::strpbrk(text_ + start + 1, delimiters_);
  unsigned int length;
  if (delimiter == nullptr) {
    length = static_cast<unsigned int>(std::strlen(text_ + start));
    position_ = NO_TOKEN;
  } else {
    length = static_cast<unsigned int>(delimiter - (text_ + start));
    const char* next = delimiter + std::strspn(delimiter, delimiters_);
    position_ = *next == '\0' ? NO_TOKEN : static_cast<unsigned int>(next - text_);
  }
  if (out != nullptr) out->copy(string_alias_t(text_), 0, start, length);
  return true;
}

}  // namespace quarn
