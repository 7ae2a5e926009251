// The string types and the plain C-string helpers. `string` and
// `string_alias_t`: ownership through the vector hooks, copies and
// comparisons. mstring_t through both storage policies: copy against a
// reference model, growth, printf, the replaces and the bounds check. The C
// helpers, the printf family's truncation and termination rules, bit scans and
// the 32-bit fill write into '#'-filled buffers, so a byte written past the
// expected ones shows.
#include "qxcore/strings/string.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "qxcore/strings/bit_helpers.h"
#include "qxcore/strings/c_string_helpers.h"
#include "qxcore/strings/format.h"
#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using namespace std::string_literals;
using quarn::mstring_t;
using quarn::string;
using quarn::string_alias_t;
using dyn_t = quarn::string_dyn_t<>;
template <unsigned int N>
using fixed_t = quarn::string_fixed_t<N>;
using texts_t = std::vector<std::string>;

string_alias_t text(const char* t) { return string_alias_t(t); }
std::size_t vector_allocations() { return qxtest::allocation_stats().vector_allocations; }

TEST(String, OwnsACopyFromTheVectorHookAndEmptyTextsAllocateNothing) {
  char source[] = "abc";
  auto before = vector_allocations();
  string s(source), a, b(nullptr), c("");
  string d(a), e = std::move(c);
  source[0] = 'X';
  EXPECT_STREQ(s.c_str(), "abc");
  EXPECT_EQ(s.length(), 3u);
  EXPECT_EQ(qxtest::block_size(s.c_str()), 4u);
  EXPECT_FALSE(qxtest::is_scalar_block(s.c_str()));
  EXPECT_EQ(vector_allocations() - before, 1u);
  for (const string* empty : {&a, &b, &c, &d, &e}) EXPECT_EQ(empty->c_str(), string::NUL_CHAR);
  EXPECT_TRUE(a.empty());
}

TEST(String, CopiesAreIndependentEvenFromTemporaries) {
  string a("first");
  string b(a);
  EXPECT_NE(a.c_str(), b.c_str());
  EXPECT_EQ(a, b);
  b = string("second");
  const string& same = b;
  b = same;  // self-assignment keeps the text
  EXPECT_EQ(b, "second");
  // A temporary mutable string seen as a plain string is copied, never
  // taken over: the inline buffer of a fixed string must not reach the heap
  // hooks, nor the heap buffer of a dynamic one be shared.
  bool fixed = true;
  for (int round = 0; round < 2; ++round, fixed = !fixed) {
    string sliced = fixed ? static_cast<string>(quarn::string_fixed_t<16>("inline"))
                          : static_cast<string>(quarn::string_dyn_t<>("heap"));
    EXPECT_EQ(sliced, fixed ? "inline" : "heap");
    EXPECT_TRUE(qxtest::is_live(sliced.c_str()));
  }
}

TEST(String, ComparesByteWise) {
  const std::tuple<const char*, const char*, bool> cases[] = {{"", "", true},
                                                              {"a", "A", false},
                                                              {"a", "ab", false},
                                                              {"ab", "a", false},
                                                              {"\xff", "\xff", true}};
  for (const auto& [a_text, b_text, equal] : cases) {
    string a(a_text), b(b_text);
    // Every form of the two operators: string with string, with text, text with string.
    std::vector<bool> answers{a == b, !(a != b), a == b_text, a_text == b, !(a != b_text)};
    EXPECT_EQ(answers, std::vector<bool>(5, equal)) << a_text << " vs " << b_text;
  }
  EXPECT_TRUE(string() == nullptr);  // a null text reads as empty
}

TEST(StringAlias, WrapsWithoutCopyingOrFreeing) {
  char buffer[] = "on the stack";
  auto before = vector_allocations();
  {
    // Freeing the stack buffer would fail the test as an unknown release.
    string_alias_t alias(buffer), copy(alias), assigned;
    assigned = copy;
    EXPECT_EQ(assigned.c_str(), buffer);
    EXPECT_EQ(string_alias_t(nullptr).c_str(), string::NUL_CHAR);
  }
  EXPECT_EQ(vector_allocations(), before);
}

std::string random_text(std::mt19937& rng, std::size_t max_length) {
  std::string s(std::uniform_int_distribution<std::size_t>(0, max_length)(rng), ' ');
  for (char& c : s) c = static_cast<char>('a' + rng() % 26);
  return s;
}

// What copy(src, dst_pos, src_pos, count) must leave, written from its
// contract rather than its steps: the text before dst_pos, then up to `count`
// characters of src from src_pos, cut to the room a fixed buffer has
// (fixed_capacity 0: a growing string, never cut). The source is another
// string, the string itself, or an alias of its own tail (a buffer that
// growth frees).
template <class S>
void check_copy_against_model(unsigned int fixed_capacity, unsigned int seed) {
  std::mt19937 rng(seed);
  const unsigned int counts[] = {0, 1, 3, 7, 20, mstring_t::TO_END, 0xFFFFFFF0u};
  for (int round = 0; round < 4000; ++round) {
    std::string before = random_text(rng, fixed_capacity ? fixed_capacity - 1 : 24);
    S s;
    s.copy(text(before.c_str()));
    int kind = static_cast<int>(rng() % 3);
    auto tail = static_cast<unsigned int>(rng() % (before.size() + 1));
    std::string src = kind == 0 ? random_text(rng, 30) : before.substr(kind == 1 ? 0 : tail);
    string other(src.c_str());
    string_alias_t own_tail(s.c_str() + tail);
    const string* sources[] = {&other, &s, &own_tail};
    auto dst_pos = static_cast<unsigned int>(rng() % (before.size() + 1));
    auto src_pos = static_cast<unsigned int>(rng() % (src.size() + 4));
    unsigned int count = counts[rng() % std::size(counts)];
    std::string piece = src_pos < src.size() ? src.substr(src_pos, count) : "";
    std::size_t room = fixed_capacity ? fixed_capacity - dst_pos - 1 : piece.size();

    bool whole = s.copy(*sources[kind], dst_pos, src_pos, count);
    ASSERT_EQ(s.c_str(), before.substr(0, dst_pos) + piece.substr(0, room))
        << "before '" << before << "' src '" << src << "' kind " << kind << " dst " << dst_pos
        << " src_pos " << src_pos << " count " << count;
    ASSERT_EQ(whole, piece.size() <= room) << before << " / " << src;
  }
}

TEST(MstringCopy, MatchesTheModelForEveryStoragePolicy) {
  check_copy_against_model<dyn_t>(0, 1);
  check_copy_against_model<fixed_t<1>>(1, 2);
  check_copy_against_model<fixed_t<8>>(8, 3);
  check_copy_against_model<fixed_t<13>>(13, 4);
  check_copy_against_model<fixed_t<64>>(64, 5);
}

TEST(MstringCopy, RefusedCopiesKeepTheOldText) {
  fixed_t<4> s("ab");
  EXPECT_FALSE(s.copy(text("x"), 4));  // position past the buffer
  EXPECT_FALSE(s.copy(text("x"), 100));
  EXPECT_STREQ(s.c_str(), "ab");
  dyn_t grown("keep"), empty;
  qxtest::allocation_failure_scope_t no_heap(0);
  EXPECT_FALSE(grown.append(text(" more text")));
  EXPECT_FALSE(empty.copy(text("x")));
  EXPECT_EQ((texts_t{grown.c_str(), empty.c_str()}), (texts_t{"keep", ""}));
}

TEST(MstringStorage, MoveTakesTheBuffer) {
  dyn_t d("dynamic");
  const char* buffer = d.c_str();
  dyn_t f(std::move(d));
  EXPECT_EQ((std::tuple{f.c_str(), d.capacity()}), (std::tuple{buffer, 0u}));
  EXPECT_STREQ(d.c_str(), "");
  static_cast<mstring_t&>(d) = string("through the base");
  EXPECT_STREQ(d.c_str(), "through the base");
}

TEST(MstringStorage, ExactSizesAndFreshBuffersReadEmpty) {
  for (const char* t : {"", "a", "hello", "0123456789abcdef0123"}) {
    dyn_t s;
    ASSERT_TRUE(s.copy(text(t)));
    // An empty string grows to exactly length + 1; copying nothing allocates nothing.
    EXPECT_EQ(s.capacity(), *t ? std::strlen(t) + 1 : 0u) << t;
    EXPECT_STREQ(s.c_str(), t);
  }
  dyn_t s;
  s.reserve(10);
  EXPECT_EQ(qxtest::block_size(s.c_str()), 10u);
  EXPECT_STREQ(s.c_str(), "");
  s.copy(text("abc"));
  s.reserve(5);  // smaller: nothing changes
  EXPECT_EQ(s.capacity(), 10u);
  s.reserve(33);
  EXPECT_EQ(s.capacity(), 33u);
  EXPECT_STREQ(s.c_str(), "abc");
}

TEST(MstringPrintf, DynamicNeverCutsFixedReportsTheCut) {
  dyn_t d("abc"), exact;
  // The arguments may point into the buffer that grows.
  EXPECT_TRUE(d.printf("%s-%s-%s", d.c_str(), d.c_str(), d.c_str()));
  EXPECT_STREQ(d.c_str(), "abc-abc-abc");
  EXPECT_TRUE(exact.printf("%d-%s", 12345, "x"));
  EXPECT_STREQ(exact.c_str(), "12345-x");
  EXPECT_EQ(exact.capacity(), 8u);
  std::string big(70000, 'q');
  EXPECT_TRUE(d.printf("<%s>", big.c_str()));
  EXPECT_EQ(d.c_str(), "<" + big + ">");

  fixed_t<5> f;
  auto print = [&f](const char* format, auto value) {
    bool whole = f.printf(format, value);
    return (whole ? "whole " : "cut ") + std::string(f.c_str());
  };
  EXPECT_EQ((texts_t{print("%d", 1234), print("%d", 987654), print("%s", "")}),
            (texts_t{"whole 1234", "cut 9876", "whole "}));
}

TEST(MstringReplace, TranslatedCopyGrowsByDoubling) {
  // initial capacity 0: a string that has no buffer yet
  const std::tuple<unsigned int, unsigned int, unsigned int> cases[] = {
      {0, 0, 0}, {15, 0, 16}, {40, 0, 64}, {50, 4, 64}, {16, 0, 32}, {9, 10, 10}, {12, 10, 20}};
  for (const auto& [source_length, initial_capacity, expected_capacity] : cases) {
    std::string src(source_length, 'a'), expected = src;
    for (std::size_t i = 0; i < src.size(); i += 3) src[i] = '/', expected[i] = '\\';
    dyn_t s;
    if (initial_capacity) s.reserve(initial_capacity);
    EXPECT_TRUE(s.replace(string(src.c_str()), '/', '\\'));
    EXPECT_EQ(s.c_str(), expected);
    EXPECT_EQ(s.capacity(), expected_capacity) << source_length << " from " << initial_capacity;
  }
  fixed_t<4> f;
  EXPECT_FALSE(f.replace(text("a.b.c"), '.', '_'));
  EXPECT_STREQ(f.c_str(), "a_b");
}

TEST(MstringReplace, SubstringIntoAnotherString) {
  // text, what, with, expected
  const char* cases[][4] = {{"", "a", "b", ""},
                            {"abab", "ab", "abab", "abababab"},
                            {"xyz", "xyz", "", ""},
                            {"abc", "", "x", "abc"},
                            {"aaa", "aa", "b", "ba"}};
  for (const auto& [t, what, with, expected] : cases) {
    dyn_t out("previous contents");
    EXPECT_TRUE(dyn_t(t).replace(&out, text(what), text(with))) << t;
    EXPECT_STREQ(out.c_str(), expected) << t << " / " << what;
  }
  fixed_t<5> small;
  EXPECT_FALSE(dyn_t("aaaa").replace(&small, text("a"), text("bb")));
  EXPECT_STREQ(small.c_str(), "bbbb");
  dyn_t self("a-b-c");
  EXPECT_TRUE(self.replace(&self, text("-"), text("--")));
  EXPECT_STREQ(self.c_str(), "a--b--c");
}

TEST(MstringBounds, IndexPastTheCapacityIsReportedAndHarmless) {
  qxtest::capture_sink_t sink;
  fixed_t<4> s("abc");
  s[3] = '\0';  // the last byte of the buffer: no report
  s[4] = 'X';   // past the inline buffer: must not land outside the object
  s[1000] = 'Y';
  EXPECT_STREQ(s.c_str(), "abc");
  dyn_t empty;
  EXPECT_EQ(empty[0], '\0');
  const std::string report =
      "strings/strings_mutable:165: unknown fn: mstring_t bounds check failed";
  EXPECT_EQ(sink.errors(), std::vector<std::string>(3, report));
}

// The first 24 bytes of a '#'-filled buffer after `write` filled it.
template <class Write>
std::string guarded(Write write) {
  char bytes[24];
  std::memset(bytes, '#', sizeof bytes);
  write(bytes);
  return std::string(bytes, sizeof bytes);
}
std::string padded(const std::string& bytes) { return bytes + std::string(24 - bytes.size(), '#'); }

// "abc": 2911*29 + 99 = 84518, plus 84518 >> 16 = 84519, low 16 bits; bytes
// are signed, so "\xff": 0 - 1 = 0xFFFFFFFF, plus 0xFFFF, low 16 bits.
TEST(StrHash, DesignedValues) {
  const std::tuple<const char*, unsigned int> cases[] = {
      {"", 0}, {"a", 97}, {"ab", 97 * 29 + 98}, {"abc", 18983}, {"\xff", 0xFFFE}};
  for (const auto& [text, hash] : cases) EXPECT_EQ(quarn::v_strhash(text), hash) << text;
}

TEST(CStringHelpers, ChopAndSkipWhitespace) {
  // v_chop trims spaces, tabs and line ends only; v_skip_wspace skips "\f" and "\v" too.
  const char* chops[][2] = {{"", ""}, {" a b ", " a b"}, {"abc \t\r\n", "abc"}, {"abc\f", "abc\f"}};
  for (const auto& c : chops) {
    std::string buffer = c[0];
    quarn::v_chop(buffer.data());
    EXPECT_STREQ(buffer.c_str(), c[1]) << '"' << c[0] << '"';
  }
  const char* skips[][2] = {{"", ""}, {"x ", "x "}, {"  \t\nx", "x"}, {"\f\vx y", "x y"}};
  for (const auto& c : skips) EXPECT_STREQ(quarn::v_skip_wspace(c[0]), c[1]) << c[0];
}

TEST(CStringHelpers, BoundedLengthAndCopies) {
  for (const char* t : {"abcdef", "ab", ""})
    for (unsigned int n : {0u, 3u}) EXPECT_EQ(quarn::v_strnlen_impl(t, n), strnlen(t, n)) << t;
  EXPECT_EQ(guarded([](char* dst) { EXPECT_EQ(quarn::v_stpcpy_impl(dst, "abc"), dst + 3); }),
            padded("abc\0"s));
  // No zero padding after a copied terminator; exactly n characters get none.
  const std::tuple<const char*, unsigned int, std::string> cases[] = {
      {"abc", 5, "abc\0"s}, {"abcdef", 3, "abc"}, {"abc", 3, "abc"}, {"abc", 0, ""}};
  for (const auto& [src, n, bytes] : cases) {
    EXPECT_EQ(guarded([src = src, n = n](char* dst) {
                // The answer points behind the last character copied.
                EXPECT_EQ(quarn::v_stpncpy_impl(dst, src, n),
                          dst + std::min<std::size_t>(n, strlen(src)));
              }),
              padded(bytes))
        << src << " " << n;
  }
}

TEST(Format, TruncationAndTermination) {
  // v_snprintf0 always terminates, v_snprintf only when the text fits; both
  // answer the full length, cut or not.
  const std::string whole = "abc456";
  for (bool always_terminate : {true, false}) {
    for (unsigned int size = 0; size < 9; ++size) {
      int length = 0;
      std::string written = guarded([&](char* dst) {
        length = always_terminate ? quarn::v_snprintf0(dst, size, "%s%d", "abc", 456)
                                  : quarn::v_snprintf(dst, size, "%s%d", "abc", 456);
      });
      std::string bytes = (whole + '\0').substr(0, size);
      if (always_terminate && size > 0) bytes.back() = '\0';
      EXPECT_EQ(length, 6) << always_terminate << " " << size;
      EXPECT_EQ(written, padded(bytes)) << always_terminate << " " << size;
    }
  }
  EXPECT_EQ(quarn::v_scprintf("%d-%s", 12345, "ab"), 8);
  EXPECT_EQ(guarded([](char* dst) { EXPECT_EQ(quarn::v_sprintf(dst, "%s=%d", "x", 3), 3); }),
            padded("x=3\0"s));
}

TEST(Format, CutOfALongTextFillsTheWholeBuffer) {
  std::string text(3000, 'x');
  text[1499] = 'L';  // the last byte that fits
  std::string buffer(2000, '#');
  EXPECT_EQ(quarn::v_snprintf(buffer.data(), 1500, "%s", text.c_str()), 3000);
  EXPECT_EQ(buffer.substr(0, 1501), text.substr(0, 1500) + "#");
}

TEST(BitHelpers, ScansAgreeWithTheStandardLibrary) {
  EXPECT_EQ(quarn::v_bit_scan_forward_impl(0), 0xFFFFFFFFu);
  EXPECT_EQ(quarn::v_bit_scan_reverse_impl(0), 0xFFFFFFFFu);
  std::mt19937 rng(5);
  for (int i = 0; i < 100000; ++i) {
    unsigned int x = i < 32 ? 1u << i : (i < 64 ? ~0u << (i - 32) : rng() >> (rng() % 32));
    if (x == 0) continue;
    ASSERT_EQ(quarn::v_bit_scan_forward_impl(x), unsigned(std::countr_zero(x))) << x;
    ASSERT_EQ(quarn::v_bit_scan_reverse_impl(x), 31u - std::countl_zero(x)) << x;
  }
}

TEST(BitHelpers, Memset32FillsExactlyCountWordsAtAnyAlignment) {
  const unsigned int word = 0x11223344u;
  for (unsigned int offset = 0; offset < 4; ++offset) {
    unsigned char buffer[40], expected[40];
    std::memset(buffer, 0xEE, sizeof buffer);
    std::memset(expected, 0xEE, sizeof expected);
    for (unsigned int i = 0; i < 5; ++i) std::memcpy(expected + offset + 4 * i, &word, 4);
    quarn::v_memset32(buffer + offset, word, 5);
    EXPECT_EQ(std::memcmp(buffer, expected, sizeof buffer), 0) << "offset " << offset;
  }
  unsigned int untouched = 7;
  quarn::v_memset32(&untouched, 0, 0);
  EXPECT_EQ(untouched, 7u);
}

}  // namespace
