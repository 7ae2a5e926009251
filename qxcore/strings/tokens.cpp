#include "qxcore/strings/tokens.h"

#include "qxcore/strings/strings_mutable.h"

namespace quarn {

namespace {

constexpr unsigned long long TOKEN_BASE = 38;
constexpr char TOKEN_ALPHABET[] = "0123456789abcdefghijklmnopqrstuvwxyz_";

// Digit of one character: '0'-'9' 1-10, letters 11-36 in either case, '_' 37;
// 0 for any other byte (which is not a token character).
unsigned int token_digit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned int>(c - '0') + 1;
  if (c >= 'a' && c <= 'z') return static_cast<unsigned int>(c - 'a') + 11;
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned int>(c - 'A') + 11;
  if (c == '_') return 37;
  return 0;
}

}  // namespace

bool string_to_token(unsigned long long* out, const string& text) {
  const char* s = text.c_str();
  unsigned long long value = 0;
  unsigned long long weight = 1;
  for (unsigned int i = 0; i <= TOKEN_MAX_LENGTH; ++i, weight *= TOKEN_BASE) {
    if (s[i] == '\0') {
      *out = value;
      return true;
    }
    unsigned int digit = token_digit(s[i]);
    if (digit == 0 || i == TOKEN_MAX_LENGTH) return false;
    value += digit * weight;
  }
  return false;
}

bool is_valid_token(const string& text) {
  const char* s = text.c_str();
  for (unsigned int i = 0; s[i] != '\0'; ++i)
    if (i == TOKEN_MAX_LENGTH || token_digit(s[i]) == 0) return false;
  return true;
}

bool token_to_string(mstring_t* out, unsigned long long token) {
  // Values of 38^12 and more never come from string_to_token; they decode
  // digit by digit up to the first zero digit like any other, never past 13.
  char text[TOKEN_MAX_LENGTH + 2];
  unsigned int length = 0;
  token &= ~(1ull << 63);
  while (length <= TOKEN_MAX_LENGTH) {
    unsigned int digit = static_cast<unsigned int>(token % TOKEN_BASE);
    if (digit == 0) break;
    text[length++] = TOKEN_ALPHABET[digit - 1];
    token /= TOKEN_BASE;
  }
  text[length] = '\0';
  return out->copy(string_alias_t(text));
}

}  // namespace quarn
