// `string` and `string_alias_t`: ownership through the vector hooks, the
// constants, comparisons and find_last_of.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "qxcore/strings/string.h"
#include "tests/support/counting_hooks.h"

namespace {

using quarn::string;
using quarn::string_alias_t;

TEST(String, ConstantsReferToStaticText) {
  EXPECT_STREQ(string::EMPTY.c_str(), "");
  EXPECT_EQ(string::EMPTY.c_str(), string::NUL_CHAR);
  EXPECT_STREQ(string::WHITESPACE.c_str(), " \t\n\r\f");
  EXPECT_EQ(string::WHITESPACE.length(), 5u);
  EXPECT_EQ(string_alias_t::WHITESPACE.c_str(), string::WHITESPACE.c_str());
  EXPECT_FALSE(qxtest::is_live(string::WHITESPACE.c_str()));
}

TEST(String, OwnsACopyFromTheVectorHook) {
  char source[] = "abc";
  auto before = qxtest::allocation_stats();
  string s(source);
  source[0] = 'X';
  EXPECT_STREQ(s.c_str(), "abc");
  EXPECT_EQ(s.length(), 3u);
  ASSERT_TRUE(qxtest::is_live(s.c_str()));
  EXPECT_FALSE(qxtest::is_scalar_block(s.c_str()));
  EXPECT_EQ(qxtest::block_size(s.c_str()), 4u);
  EXPECT_EQ(qxtest::allocation_stats().vector_allocations - before.vector_allocations, 1u);
}

TEST(String, EmptyTextsAllocateNothing) {
  auto before = qxtest::allocation_stats();
  string a, b(nullptr), c("");
  string d(a);
  string e = std::move(c);
  EXPECT_EQ(qxtest::allocation_stats().vector_allocations, before.vector_allocations);
  for (const string* s : {&a, &b, &c, &d, &e}) {
    EXPECT_EQ(s->c_str(), string::NUL_CHAR);
    EXPECT_TRUE(s->empty());
  }
}

TEST(String, CopiesAreIndependentAndMovesTransfer) {
  string a("first");
  string b(a);
  EXPECT_NE(a.c_str(), b.c_str());
  EXPECT_EQ(a, b);

  const char* buffer = a.c_str();
  string c(std::move(a));
  EXPECT_EQ(c.c_str(), buffer);
  EXPECT_TRUE(a.empty());

  b = string("second");
  EXPECT_EQ(b, "second");
  const string& same = b;
  b = same;  // self-assignment keeps the text
  EXPECT_EQ(b, "second");
  c = std::move(b);
  EXPECT_EQ(c, "second");
  EXPECT_TRUE(b.empty());
}

TEST(String, ComparesByteWise) {
  struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"", "", true},          {"a", "a", true},        {"a", "A", false},
      {"ab", "a", false},      {"a", "ab", false},      {"\xff", "\xff", true},
      {"\xff", "\x7f", false}, {"path/x", "path\\x", false},
  };
  for (const auto& c : cases) {
    string a(c.a), b(c.b);
    EXPECT_EQ(a == b, c.equal) << c.a << " vs " << c.b;
    EXPECT_EQ(a != b, !c.equal) << c.a << " vs " << c.b;
    EXPECT_EQ(a == c.b, c.equal) << c.a << " vs " << c.b;
    EXPECT_EQ(c.a == b, c.equal) << c.a << " vs " << c.b;
    EXPECT_EQ(a != c.b, !c.equal) << c.a << " vs " << c.b;
  }
  EXPECT_TRUE(string() == nullptr);  // a null text reads as empty
}

TEST(String, FindLastOf) {
  struct {
    const char* text;
    const char* set;
    unsigned int start;
    unsigned int expected;
  } cases[] = {
      {"a/b\\c", "/\\", 0, 3},  {"a/b\\c", "/", 0, 1},     {"a/b\\c", "/\\", 2, 3},
      {"a/b\\c", "/\\", 4, ~0u}, {"a/b\\c", "/\\", 99, ~0u}, {"abc", "/\\", 0, ~0u},
      {"/", "/", 0, 0},          {"", "/", 0, ~0u},          {"x.y.z", ".", 0, 3},
      {"abc", "", 0, ~0u},
  };
  for (const auto& c : cases)
    EXPECT_EQ(string(c.text).find_last_of(string_alias_t(c.set), c.start), c.expected)
        << c.text << " / " << c.set << " from " << c.start;
}

TEST(StringAlias, WrapsWithoutCopyingOrFreeing) {
  char buffer[] = "on the stack";
  auto before = qxtest::allocation_stats();
  {
    string_alias_t alias(buffer);
    string_alias_t copy(alias);
    string_alias_t assigned;
    assigned = copy;
    EXPECT_EQ(alias.c_str(), buffer);
    EXPECT_EQ(copy.c_str(), buffer);
    EXPECT_EQ(assigned.c_str(), buffer);
    EXPECT_EQ(string_alias_t(nullptr).c_str(), string::NUL_CHAR);
  }
  // Freeing the stack buffer would have shown up as an unknown release.
  auto after = qxtest::allocation_stats();
  EXPECT_EQ(after.vector_allocations, before.vector_allocations);
  EXPECT_EQ(after.unknown_releases, before.unknown_releases);
}

}  // namespace
