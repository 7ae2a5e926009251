// Tokens: names of at most 12 characters from "0-9a-z_" packed into one
// 64-bit integer (little-endian base 38, digit 0 ends the name), so short
// identifiers compare and hash as numbers. Upper-case letters are accepted on
// input and come back in lower case. Every valid token has bit 63 clear.
//
//   unsigned long long t;
//   quarn::string_to_token(&t, quarn::string_alias_t("abc"));   // t == 19239
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

class mstring_t;
class string;

constexpr unsigned int TOKEN_MAX_LENGTH = 12;

QX_API bool token_to_string(mstring_t* out, unsigned long long token);
// False for 13 or more characters or a character outside the alphabet.
QX_API bool string_to_token(unsigned long long* out, const string& text);
QX_API bool is_valid_token(const string& text);  // "" is valid (token 0)

}  // namespace quarn
