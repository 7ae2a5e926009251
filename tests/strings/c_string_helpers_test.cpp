// Plain C-string helpers, the printf family's truncation and termination
// rules, bit scans and the 32-bit fill. Outputs go into '#'-filled buffers,
// so a byte written past the expected ones shows.
#include "qxcore/strings/c_string_helpers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "qxcore/strings/bit_helpers.h"
#include "qxcore/strings/format.h"

namespace {

using namespace std::string_literals;

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
  const char* chops[][2] = {{"", ""},    {"\v", "\v"},   {" a b ", " a b"}, {"abc \t\r\n", "abc"},
                            {"   ", ""}, {"x\n\n", "x"}, {"abc\f", "abc\f"}};
  for (const auto& c : chops) {
    std::string buffer = c[0];
    quarn::v_chop(buffer.data());
    EXPECT_STREQ(buffer.c_str(), c[1]) << '"' << c[0] << '"';
  }
  const char* skips[][2] = {
      {"", ""}, {"x ", "x "}, {"\r\n", ""}, {"  \t\nx", "x"}, {"\f\vx y", "x y"}};
  for (const auto& c : skips) EXPECT_STREQ(quarn::v_skip_wspace(c[0]), c[1]) << c[0];
}

TEST(CStringHelpers, BoundedLengthAndCopies) {
  for (const char* t : {"abcdef", "ab", ""})
    for (unsigned int n : {0u, 3u}) EXPECT_EQ(quarn::v_strnlen_impl(t, n), strnlen(t, n)) << t;
  EXPECT_EQ(guarded([](char* dst) { EXPECT_EQ(quarn::v_stpcpy_impl(dst, "abc"), dst + 3); }),
            padded("abc\0"s));
  // No zero padding after a copied terminator; exactly n characters get none.
  const std::tuple<const char*, unsigned int, std::string> cases[] = {{"abc", 5, "abc\0"s},
                                                                      {"abcdef", 3, "abc"},
                                                                      {"abc", 3, "abc"},
                                                                      {"", 4, "\0"s},
                                                                      {"abc", 0, ""}};
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
  // v_snprintf0 always terminates; both answer the full length, cut or not.
  const std::tuple<bool, unsigned int, std::string> cases[] = {
      {true, 4, "abc\0"s},      {true, 6, "abc45\0"s}, {true, 7, "abc456\0"s},
      {true, 20, "abc456\0"s},  {true, 1, "\0"s},      {true, 0, ""},
      {false, 4, "abc4"},       {false, 6, "abc456"},  {false, 7, "abc456\0"s},
      {false, 20, "abc456\0"s}, {false, 1, "a"},       {false, 0, ""}};
  for (const auto& [always_terminate, size, bytes] : cases) {
    int length = 0;
    std::string written = guarded([&, always_terminate = always_terminate, size = size](char* dst) {
      length = always_terminate ? quarn::v_snprintf0(dst, size, "%s%d", "abc", 456)
                                : quarn::v_snprintf(dst, size, "%s%d", "abc", 456);
    });
    EXPECT_EQ(length, 6) << always_terminate << " " << size;
    EXPECT_EQ(written, padded(bytes)) << always_terminate << " " << size;
  }
  EXPECT_EQ(quarn::v_scprintf("%d-%s", 12345, "ab"), 8);
  EXPECT_EQ(quarn::v_scprintf("%s", ""), 0);
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
