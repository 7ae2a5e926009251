// Tokens (names packed into integers): the designed values, the 12-character
// limit, the alphabet and round trips of random names. The string tokenizer
// over delimiter sets, empty fields and null inputs.
#include "qxcore/strings/tokens.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "qxcore/strings/string_tokenizer.h"

namespace {

using quarn::string_alias_t;
using texts_t = std::vector<std::string>;

// An independent reading of the packing: most significant character last,
// folded from the end with Horner's rule.
unsigned long long reference_token(const std::string& name) {
  const std::string alphabet = "0123456789abcdefghijklmnopqrstuvwxyz_";
  unsigned long long value = 0;
  for (auto it = name.rbegin(); it != name.rend(); ++it)
    value = value * 38 + alphabet.find(static_cast<char>(std::tolower(*it))) + 1;
  return value;
}

const unsigned long long POWER38_12 = 9065737908494995456ull;  // 38^12, below 2^63

TEST(Tokens, DesignedValuesAndLimits) {
  // "abc" = 11 + 12*38 + 13*38^2; twelve characters at most.
  const std::tuple<const char*, unsigned long long> valid[] = {
      {"", 0},  {"9", 10}, {"_", 37},  {"abc", 19239}, {"aBc", 19239},
      {"0", 1}, {"z", 36}, {"a0", 49}, {"ABC", 19239}, {"____________", POWER38_12 - 1}};
  for (const auto& [text, expected] : valid) {
    unsigned long long token = 0xDEADBEEF;
    EXPECT_TRUE(quarn::string_to_token(&token, string_alias_t(text))) << text;
    EXPECT_TRUE(quarn::is_valid_token(string_alias_t(text))) << text;
    EXPECT_EQ(token, expected) << text;
  }
  for (const char* text : {"abcdefghijklm", "a-b", "a b", "a.b", "\xe9t\xe9"}) {
    unsigned long long token = 0xDEADBEEF;
    EXPECT_FALSE(quarn::string_to_token(&token, string_alias_t(text))) << text;
    EXPECT_FALSE(quarn::is_valid_token(string_alias_t(text))) << text;
    EXPECT_EQ(token, 0xDEADBEEFu) << text;
  }
}

TEST(Tokens, RandomNamesRoundTripInLowerCase) {
  std::mt19937 rng(3);
  const std::string alphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
  quarn::string_dyn_t<> back, back63;
  for (int i = 0; i < 20000; ++i) {
    std::string name(rng() % 13, ' '), lower;
    for (char& c : name) c = alphabet[rng() % alphabet.size()];
    for (char c : name) lower += static_cast<char>(std::tolower(c));
    unsigned long long token;
    ASSERT_TRUE(quarn::string_to_token(&token, string_alias_t(name.c_str()))) << name;
    ASSERT_EQ(token, reference_token(name)) << name;
    // Bit 63 is ignored when decoding.
    ASSERT_TRUE(quarn::token_to_string(&back, token) &&
                quarn::token_to_string(&back63, token | 1ull << 63));
    ASSERT_EQ((texts_t{back.c_str(), back63.c_str()}), (texts_t{lower, lower}));
  }
}

TEST(Tokens, DecodingEdgeValues) {
  // A zero digit ends the name even when higher digits follow; values from
  // 38^12 up (never made by string_to_token) decode digit by digit until the
  // first zero digit.
  const std::tuple<unsigned long long, const char*> cases[] = {
      {0, ""}, {38 * 11, ""}, {19239, "abc"}, {POWER38_12 + 19239, "abc"}};
  quarn::string_dyn_t<> s;
  for (const auto& [token, expected] : cases) {
    EXPECT_TRUE(quarn::token_to_string(&s, token)) << token;
    EXPECT_STREQ(s.c_str(), expected) << token;
  }
  // Below 2^63 some low digit is always 0, so even the largest value decodes.
  EXPECT_TRUE(quarn::token_to_string(&s, ~0ull));
  EXPECT_TRUE(quarn::is_valid_token(s));
  quarn::string_fixed_t<4> small;
  EXPECT_FALSE(quarn::token_to_string(&small, reference_token("abcdef")));
  EXPECT_STREQ(small.c_str(), "abc");
}

texts_t split(const char* text, const char* delimiters) {
  quarn::string_tokenizer_t tokenizer(text, delimiters);
  quarn::string_dyn_t<> token;
  texts_t tokens;
  while (tokenizer.has_token() && tokens.size() < 100) {  // 100: a tokenizer that never ends
    EXPECT_TRUE(tokenizer.get_token(&token));
    tokens.push_back(token.c_str());
  }
  EXPECT_FALSE(tokenizer.get_token(&token));
  return tokens;
}

TEST(StringTokenizer, SplitsAtAnyDelimiterSkippingEmptyFields) {
  const std::tuple<const char*, const char*, texts_t> cases[] = {
      {"", "/", {}},       {"a/b", nullptr, {"a/b"}},
      {"///", "/", {}},    {"//a//b/", "/", {"a", "b"}},
      {"a", "/", {"a"}},   {"a b\tc", " \t", {"a", "b", "c"}},
      {nullptr, "/", {}},  {"1 0 3\r\n", " \r\n", {"1", "0", "3"}},
      {" x ", " ", {"x"}}, {"base/textures/wood.tga", "/.", {"base", "textures", "wood", "tga"}},
      {"abc", "", {"abc"}}};
  for (const auto& [text, delimiters, expected] : cases)
    EXPECT_EQ(split(text, delimiters), expected) << (text ? text : "(null)");
}

TEST(StringTokenizer, NullOutputSkipsATokenAndFixedOutputsCut) {
  quarn::string_tokenizer_t tokenizer("one abcdefgh ij", " ");
  quarn::string_fixed_t<4> token;
  EXPECT_TRUE(tokenizer.get_token(nullptr));
  EXPECT_TRUE(tokenizer.get_token(&token));
  EXPECT_STREQ(token.c_str(), "abc");
  EXPECT_TRUE(tokenizer.has_token());
  EXPECT_TRUE(tokenizer.get_token(&token));
  EXPECT_STREQ(token.c_str(), "ij");
  EXPECT_FALSE(tokenizer.has_token());
}

}  // namespace
