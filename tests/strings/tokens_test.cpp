// Tokens: the designed values, the 12-character limit, the alphabet, and
// round trips of random names.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "qxcore/strings/tokens.h"

namespace {

using quarn::string_alias_t;

// An independent reading of the packing: most significant character last,
// folded from the end with Horner's rule.
unsigned long long reference_token(const std::string& name) {
  const std::string alphabet = "0123456789abcdefghijklmnopqrstuvwxyz_";
  unsigned long long value = 0;
  for (auto it = name.rbegin(); it != name.rend(); ++it)
    value = value * 38 + alphabet.find(static_cast<char>(std::tolower(*it))) + 1;
  return value;
}

unsigned long long power38(int n) {
  unsigned long long p = 1;
  while (n-- > 0) p *= 38;
  return p;
}

TEST(Tokens, DesignedValuesAndLimits) {
  struct {
    const char* text;
    bool valid;
    unsigned long long token;
  } cases[] = {
      {"abc", true, 19239},
      {"ABC", true, 19239},
      {"aBc", true, 19239},
      {"", true, 0},
      {"0", true, 1},
      {"9", true, 10},
      {"z", true, 36},
      {"_", true, 37},
      {"a0", true, 11 + 1 * 38},
      {"abcdefghijkl", true, reference_token("abcdefghijkl")},
      {"____________", true, power38(12) - 1},
      {"abcdefghijklm", false, 0},
      {"a-b", false, 0},
      {"a b", false, 0},
      {"a.b", false, 0},
      {"\xe9t\xe9", false, 0},
  };
  for (const auto& c : cases) {
    unsigned long long token = 0xDEADBEEF;
    EXPECT_EQ(quarn::string_to_token(&token, string_alias_t(c.text)), c.valid) << c.text;
    EXPECT_EQ(quarn::is_valid_token(string_alias_t(c.text)), c.valid) << c.text;
    EXPECT_EQ(token, c.valid ? c.token : 0xDEADBEEF) << c.text;
  }
  EXPECT_LT(power38(12) - 1, 1ull << 63);  // every valid token has bit 63 clear
}

TEST(Tokens, RandomNamesRoundTripInLowerCase) {
  std::mt19937 rng(3);
  const std::string alphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
  quarn::string_dyn_t<> back;
  for (int i = 0; i < 20000; ++i) {
    std::string name(rng() % 13, ' ');
    for (char& c : name) c = alphabet[rng() % alphabet.size()];
    unsigned long long token;
    ASSERT_TRUE(quarn::string_to_token(&token, string_alias_t(name.c_str()))) << name;
    ASSERT_EQ(token, reference_token(name)) << name;
    ASSERT_TRUE(quarn::token_to_string(&back, token));
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(c));
    ASSERT_EQ(std::string(back.c_str()), lower);
    // Bit 63 is ignored when decoding.
    ASSERT_TRUE(quarn::token_to_string(&back, token | 1ull << 63));
    ASSERT_EQ(std::string(back.c_str()), lower);
  }
}

TEST(Tokens, DecodingEdgeValues) {
  quarn::string_dyn_t<> s;
  EXPECT_TRUE(quarn::token_to_string(&s, 19239));
  EXPECT_STREQ(s.c_str(), "abc");
  EXPECT_TRUE(quarn::token_to_string(&s, 0));
  EXPECT_STREQ(s.c_str(), "");
  // A zero digit ends the name even when higher digits follow.
  EXPECT_TRUE(quarn::token_to_string(&s, 38 * 11));
  EXPECT_STREQ(s.c_str(), "");
  // Values from 38^12 up (never made by string_to_token) decode digit by
  // digit until the first zero digit; below 2^63 some low digit is always 0.
  EXPECT_TRUE(quarn::token_to_string(&s, power38(12) + 19239));
  EXPECT_STREQ(s.c_str(), "abc");
  EXPECT_TRUE(quarn::token_to_string(&s, ~0ull));
  EXPECT_LE(std::string(s.c_str()).size(), 12u);
  EXPECT_TRUE(quarn::is_valid_token(s));

  quarn::string_fixed_t<4> small;
  EXPECT_FALSE(quarn::token_to_string(&small, reference_token("abcdef")));
  EXPECT_STREQ(small.c_str(), "abc");
}

}  // namespace
