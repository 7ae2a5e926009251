// mstring_t through both storage policies: copy against a reference model,
// growth, printf, the three replaces and the bounds check.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using quarn::mstring_t;
using quarn::string_alias_t;
using dyn_t = quarn::string_dyn_t<>;

// What copy(src, dst_pos, src_pos, count) must leave, written from its
// contract rather than its steps: the text before dst_pos, then up to `count`
// characters of src from src_pos, cut to the room a fixed buffer has.
struct copy_model_t {
  std::string text;
  bool whole;
};

copy_model_t model_copy(const std::string& before, const std::string& src, unsigned int dst_pos,
                        unsigned int src_pos, unsigned int count, unsigned int fixed_capacity) {
  std::string piece;
  if (src_pos < src.size()) piece = src.substr(src_pos, count);
  std::string head = before.substr(0, dst_pos);
  if (fixed_capacity == 0) return {head + piece, true};  // growable
  std::size_t room = fixed_capacity - dst_pos - 1;
  bool whole = piece.size() <= room;
  return {head + piece.substr(0, room), whole};
}

std::string random_text(std::mt19937& rng, std::size_t max_length) {
  std::uniform_int_distribution<std::size_t> length(0, max_length);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::string s(length(rng), ' ');
  for (char& c : s) c = static_cast<char>(letter(rng));
  return s;
}

template <class S>
void check_copy_against_model(unsigned int fixed_capacity, unsigned int seed) {
  std::mt19937 rng(seed);
  const unsigned int counts[] = {0, 1, 3, 7, 20, mstring_t::TO_END, 0xFFFFFFF0u};
  for (int round = 0; round < 3000; ++round) {
    std::string before = random_text(rng, fixed_capacity ? fixed_capacity - 1 : 24);
    std::string src = random_text(rng, 30);
    unsigned int dst_pos = std::uniform_int_distribution<unsigned int>(
        0, static_cast<unsigned int>(before.size()))(rng);
    unsigned int src_pos = std::uniform_int_distribution<unsigned int>(
        0, static_cast<unsigned int>(src.size()) + 3)(rng);
    unsigned int count = counts[rng() % std::size(counts)];

    S s;
    s.copy(string_alias_t(before.c_str()));
    quarn::string source(src.c_str());
    bool whole = s.copy(source, dst_pos, src_pos, count);
    copy_model_t expected = model_copy(before, src, dst_pos, src_pos, count, fixed_capacity);
    ASSERT_EQ(std::string(s.c_str()), expected.text)
        << "before '" << before << "' src '" << src << "' dst " << dst_pos << " src_pos "
        << src_pos << " count " << count;
    ASSERT_EQ(whole, expected.whole) << before << " / " << src;
  }
}

TEST(MstringCopy, MatchesTheModelForEveryStoragePolicy) {
  check_copy_against_model<dyn_t>(0, 1);
  check_copy_against_model<quarn::string_fixed_t<1>>(1, 2);
  check_copy_against_model<quarn::string_fixed_t<8>>(8, 3);
  check_copy_against_model<quarn::string_fixed_t<13>>(13, 4);
  check_copy_against_model<quarn::string_fixed_t<64>>(64, 5);
}

TEST(MstringCopy, EmptyDynamicStringGrowsToExactlyLengthPlusOne) {
  for (const char* text : {"a", "hello", "0123456789abcdef0123"}) {
    dyn_t s;
    EXPECT_EQ(s.capacity(), 0u);
    ASSERT_TRUE(s.copy(string_alias_t(text)));
    EXPECT_EQ(s.capacity(), std::strlen(text) + 1) << text;
    EXPECT_STREQ(s.c_str(), text);
  }
  dyn_t empty;
  EXPECT_TRUE(empty.copy(quarn::string::EMPTY));
  EXPECT_EQ(empty.capacity(), 0u);  // copying nothing allocates nothing
}

TEST(MstringCopy, SourceInsideTheSameBuffer) {
  dyn_t s("abc");
  EXPECT_TRUE(s.append(s));
  EXPECT_STREQ(s.c_str(), "abcabc");

  dyn_t shift("hello");
  EXPECT_TRUE(shift.copy(shift, 0, 1));  // overlapping, moving left
  EXPECT_STREQ(shift.c_str(), "ello");

  dyn_t spread("hello");
  EXPECT_TRUE(spread.copy(spread, 2, 0));  // overlapping, moving right, growing
  EXPECT_STREQ(spread.c_str(), "hehello");

  dyn_t grow("hello");
  string_alias_t tail(grow.c_str() + 1);  // points into the buffer that growth frees
  EXPECT_TRUE(grow.append(tail));
  EXPECT_STREQ(grow.c_str(), "helloello");

  quarn::string_fixed_t<8> fixed("abcd");
  EXPECT_FALSE(fixed.append(fixed));
  EXPECT_STREQ(fixed.c_str(), "abcdabc");
}

TEST(MstringCopy, PositionPastTheBufferWritesNothing) {
  quarn::string_fixed_t<4> s("ab");
  EXPECT_FALSE(s.copy(string_alias_t("x"), 4));
  EXPECT_FALSE(s.copy(string_alias_t("x"), 100));
  EXPECT_STREQ(s.c_str(), "ab");
}

TEST(MstringCopy, FailedAllocationKeepsTheOldText) {
  dyn_t s("keep");
  qxtest::allocation_failure_scope_t no_heap(0);
  EXPECT_FALSE(s.append(string_alias_t(" more text")));
  EXPECT_STREQ(s.c_str(), "keep");
  dyn_t empty;
  EXPECT_FALSE(empty.copy(string_alias_t("x")));
  EXPECT_STREQ(empty.c_str(), "");
}

TEST(MstringStorage, CopiesOwnTheirBuffers) {
  quarn::string_fixed_t<8> a("abc");
  quarn::string_fixed_t<8> b(a);
  b[0] = 'X';
  EXPECT_STREQ(a.c_str(), "abc");
  EXPECT_STREQ(b.c_str(), "Xbc");
  a = b;
  EXPECT_STREQ(a.c_str(), "Xbc");
  EXPECT_NE(a.c_str(), b.c_str());

  dyn_t d("dynamic");
  dyn_t e(d);
  EXPECT_NE(d.c_str(), e.c_str());
  dyn_t f(std::move(d));
  EXPECT_STREQ(f.c_str(), "dynamic");
  EXPECT_EQ(d.capacity(), 0u);
  EXPECT_STREQ(d.c_str(), "");
  d = std::move(f);
  EXPECT_STREQ(d.c_str(), "dynamic");
  mstring_t& base = e;
  base = quarn::string("through the base");
  EXPECT_STREQ(e.c_str(), "through the base");
}

TEST(MstringReserve, ExactSizesAndFreshBuffersReadEmpty) {
  dyn_t s;
  s.reserve(10);
  EXPECT_EQ(s.capacity(), 10u);
  EXPECT_STREQ(s.c_str(), "");
  EXPECT_EQ(qxtest::block_size(s.c_str()), 10u);
  s.copy(string_alias_t("abc"));
  s.reserve(5);  // smaller: nothing changes
  EXPECT_EQ(s.capacity(), 10u);
  s.reserve(33);
  EXPECT_EQ(s.capacity(), 33u);
  EXPECT_STREQ(s.c_str(), "abc");
}

TEST(MstringPrintf, DynamicNeverCutsFixedReportsTheCut) {
  dyn_t d;
  EXPECT_TRUE(d.printf("%d-%s", 12345, "x"));
  EXPECT_STREQ(d.c_str(), "12345-x");
  EXPECT_EQ(d.capacity(), 8u);

  std::string big(70000, 'q');
  EXPECT_TRUE(d.printf("<%s>", big.c_str()));
  EXPECT_EQ(std::string(d.c_str()), "<" + big + ">");

  quarn::string_fixed_t<5> f;
  EXPECT_TRUE(f.printf("%d", 1234));
  EXPECT_STREQ(f.c_str(), "1234");
  EXPECT_FALSE(f.printf("%d", 123456));
  EXPECT_STREQ(f.c_str(), "1234");
  EXPECT_TRUE(f.printf("%s", ""));
  EXPECT_STREQ(f.c_str(), "");
}

TEST(MstringPrintf, ArgumentsMayPointIntoTheGrowingBuffer) {
  dyn_t s("abc");
  EXPECT_TRUE(s.printf("%s-%s-%s", s.c_str(), s.c_str(), s.c_str()));
  EXPECT_STREQ(s.c_str(), "abc-abc-abc");
}

TEST(MstringReplace, CharacterInPlace) {
  dyn_t s("a/b/c//");
  s.replace('/', '\\');
  EXPECT_STREQ(s.c_str(), "a\\b\\c\\\\");
  s.replace('x', 'y', 12345);  // the third argument has no effect
  EXPECT_STREQ(s.c_str(), "a\\b\\c\\\\");
  dyn_t empty;
  empty.replace('a', 'b');
  EXPECT_STREQ(empty.c_str(), "");
}

TEST(MstringReplace, TranslatedCopyGrowsByDoubling) {
  struct {
    unsigned int source_length;
    unsigned int initial_capacity;  // 0: empty string
    unsigned int expected_capacity;
  } cases[] = {{0, 0, 0}, {1, 0, 16}, {15, 0, 16}, {16, 0, 32}, {40, 0, 64},
               {12, 10, 20}, {9, 10, 10}, {10, 10, 20}, {50, 4, 64}};
  for (const auto& c : cases) {
    std::string src(c.source_length, 'a');
    for (std::size_t i = 0; i < src.size(); i += 3) src[i] = '/';
    dyn_t s;
    if (c.initial_capacity) s.reserve(c.initial_capacity);
    EXPECT_TRUE(s.replace(quarn::string(src.c_str()), '/', '\\'));
    std::string expected = src;
    for (char& ch : expected)
      if (ch == '/') ch = '\\';
    EXPECT_EQ(std::string(s.c_str()), expected);
    EXPECT_EQ(s.capacity(), c.expected_capacity) << c.source_length << " from " << c.initial_capacity;
  }
  quarn::string_fixed_t<4> f;
  EXPECT_FALSE(f.replace(string_alias_t("a.b.c"), '.', '_'));
  EXPECT_STREQ(f.c_str(), "a_b");
}

TEST(MstringReplace, SubstringIntoAnotherString) {
  struct {
    const char* text;
    const char* what;
    const char* with;
    const char* expected;
  } cases[] = {
      {"a.b.c", ".", "/", "a/b/c"},
      {"aaa", "aa", "b", "ba"},
      {"abc", "", "x", "abc"},
      {"", "a", "b", ""},
      {"xyz", "xyz", "", ""},
      {"path/to/file", "/", "\\\\", "path\\\\to\\\\file"},
      {"abab", "ab", "abab", "abababab"},
      {"no match", "zz", "y", "no match"},
      {"$(A)/$(A)", "$(A)", "root", "root/root"},
  };
  for (const auto& c : cases) {
    dyn_t text(c.text);
    dyn_t out("previous contents");
    EXPECT_TRUE(text.replace(&out, string_alias_t(c.what), string_alias_t(c.with))) << c.text;
    EXPECT_STREQ(out.c_str(), c.expected) << c.text << " / " << c.what;
  }
  dyn_t text("aaaa");
  quarn::string_fixed_t<5> small;
  EXPECT_FALSE(text.replace(&small, string_alias_t("a"), string_alias_t("bb")));
  EXPECT_STREQ(small.c_str(), "bbbb");

  dyn_t self("a-b-c");
  EXPECT_TRUE(self.replace(&self, string_alias_t("-"), string_alias_t("--")));
  EXPECT_STREQ(self.c_str(), "a--b--c");
}

TEST(MstringBounds, IndexPastTheCapacityIsReportedAndHarmless) {
  qxtest::capture_sink_t sink;
  quarn::string_fixed_t<4> s("abc");
  s[3] = '\0';
  EXPECT_TRUE(sink.messages.empty());
  s[4] = 'X';  // past the inline buffer: must not land outside the object
  s[1000] = 'Y';
  EXPECT_STREQ(s.c_str(), "abc");
  ASSERT_EQ(sink.errors().size(), 2u);
  EXPECT_EQ(sink.errors()[0],
            "strings/strings_mutable:165: unknown fn: mstring_t bounds check failed");
  dyn_t empty;
  char c = empty[0];
  EXPECT_EQ(c, '\0');
  EXPECT_EQ(sink.errors().size(), 3u);
}

}  // namespace
