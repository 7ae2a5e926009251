// The tokenizer over delimiter sets, empty fields and null inputs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "qxcore/strings/string_tokenizer.h"

namespace {

std::vector<std::string> split(const char* text, const char* delimiters) {
  quarn::string_tokenizer_t tokenizer(text, delimiters);
  quarn::string_dyn_t<> token;
  std::vector<std::string> tokens;
  while (tokenizer.has_token()) {
    EXPECT_TRUE(tokenizer.get_token(&token));
    tokens.push_back(token.c_str());
    if (tokens.size() > 100) break;  // a tokenizer that never ends
  }
  EXPECT_FALSE(tokenizer.get_token(&token));
  return tokens;
}

using tokens_t = std::vector<std::string>;

TEST(StringTokenizer, SplitsAtAnyDelimiterSkippingEmptyFields) {
  struct {
    const char* text;
    const char* delimiters;
    tokens_t expected;
  } cases[] = {
      {"//a//b/", "/", {"a", "b"}},
      {"a", "/", {"a"}},
      {"", "/", {}},
      {"///", "/", {}},
      {"a b\tc", " \t", {"a", "b", "c"}},
      {"abc", "", {"abc"}},
      {nullptr, "/", {}},
      {"a/b", nullptr, {"a/b"}},
      {" x ", " ", {"x"}},
      {"base/textures/wood.tga", "/.", {"base", "textures", "wood", "tga"}},
      {"1 0 3\r\n", " \r\n", {"1", "0", "3"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(split(c.text, c.delimiters), c.expected) << (c.text ? c.text : "(null)");
}

TEST(StringTokenizer, NullOutputSkipsAToken) {
  quarn::string_tokenizer_t tokenizer("one two three", " ");
  EXPECT_TRUE(tokenizer.get_token(nullptr));
  quarn::string_dyn_t<> token;
  EXPECT_TRUE(tokenizer.get_token(&token));
  EXPECT_STREQ(token.c_str(), "two");
  EXPECT_TRUE(tokenizer.has_token());
  EXPECT_TRUE(tokenizer.get_token(&token));
  EXPECT_STREQ(token.c_str(), "three");
  EXPECT_FALSE(tokenizer.has_token());
}

TEST(StringTokenizer, TokenLongerThanAFixedOutputIsCut) {
  quarn::string_tokenizer_t tokenizer("abcdefgh ij", " ");
  quarn::string_fixed_t<4> token;
  EXPECT_TRUE(tokenizer.get_token(&token));
  EXPECT_STREQ(token.c_str(), "abc");
  EXPECT_TRUE(tokenizer.get_token(&token));
  EXPECT_STREQ(token.c_str(), "ij");
}

}  // namespace
