// string_tokenizer_t: splits a text at any of a set of delimiter characters,
// skipping empty fields. The text is not copied and must outlive the tokenizer.
//
//   quarn::string_tokenizer_t words("//a//b/", "/");
//   quarn::string_dyn_t<> word;
//   while (words.get_token(&word)) use(word);      // "a", then "b"
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

class mstring_t;

class QX_API string_tokenizer_t {
 public:
  static constexpr unsigned int NO_TOKEN = 0xFFFFFFFFu;

  string_tokenizer_t(const char* text, const char* delimiters);  // null reads as ""

  bool has_token() const;
  // Copies the next token into `out` (which may be null to skip it); false
  // when no token is left.
  bool get_token(mstring_t* out);

 private:
  const char* text_;
  const char* delimiters_;
  unsigned int position_;  // start of the next token, or NO_TOKEN
};

}  // namespace quarn
