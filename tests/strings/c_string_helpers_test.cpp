// Plain C-string helpers, bit scans and the 32-bit fill.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "qxcore/strings/bit_helpers.h"
#include "qxcore/strings/c_string_helpers.h"

namespace {

TEST(StrHash, DesignedValues) {
  struct {
    const char* text;
    unsigned int hash;
  } cases[] = {
      {"", 0}, {"a", 97}, {"ab", 97 * 29 + 98},
      {"abc", 18983},   // 2911*29 + 99 = 84518, plus 84518 >> 16 = 84519, low 16 bits
      {"\xff", 0xFFFE}, // bytes are signed: 0 - 1 = 0xFFFFFFFF, plus 0xFFFF, low 16 bits
  };
  for (const auto& c : cases) EXPECT_EQ(quarn::v_strhash(c.text), c.hash) << c.text;
  for (const char* text : {"textures/wood.tga", "\x80\x81\x82", "a much longer name with spaces"})
    EXPECT_LE(quarn::v_strhash(text), 0xFFFFu);
}

TEST(CStringHelpers, ChopAndSkipWhitespace) {
  struct {
    const char* text;
    const char* chopped;
  } chops[] = {{"abc \t\r\n", "abc"}, {"abc\f", "abc\f"}, {"   ", ""}, {"", ""},
               {" a b ", " a b"},      {"x\n\n", "x"},     {"\v", "\v"}};
  for (const auto& c : chops) {
    std::string buffer = c.text;
    quarn::v_chop(buffer.data());
    EXPECT_STREQ(buffer.c_str(), c.chopped) << '"' << c.text << '"';
  }
  struct {
    const char* text;
    std::size_t skipped;
  } skips[] = {{"  \t\nx", 4}, {"\f\vx y", 2}, {"", 0}, {"x ", 0}, {"\r\n", 2}};
  for (const auto& c : skips) EXPECT_EQ(quarn::v_skip_wspace(c.text), c.text + c.skipped) << c.text;
}

TEST(CStringHelpers, BoundedLengthAndCopies) {
  EXPECT_EQ(quarn::v_strnlen_impl("abcdef", 3), 3u);
  EXPECT_EQ(quarn::v_strnlen_impl("ab", 3), 2u);
  EXPECT_EQ(quarn::v_strnlen_impl("", 3), 0u);
  EXPECT_EQ(quarn::v_strnlen_impl("abc", 0), 0u);

  char dst[8];
  std::memset(dst, '#', sizeof dst);
  char* end = quarn::v_stpcpy_impl(dst, "abc");
  EXPECT_EQ(end, dst + 3);
  EXPECT_STREQ(dst, "abc");
  EXPECT_EQ(dst[4], '#');

  struct {
    const char* src;
    unsigned int n;
    std::size_t end_offset;
    const char* bytes;  // the first 6 bytes of the destination afterwards
  } cases[] = {
      {"abc", 5, 3, "abc\0##"},  // terminator copied, no zero padding after it
      {"abcdef", 3, 3, "abc###"},
      {"abc", 3, 3, "abc###"},   // exactly n characters: no terminator
      {"", 4, 0, "\0#####"},
      {"abc", 0, 0, "######"},
  };
  for (const auto& c : cases) {
    std::memset(dst, '#', sizeof dst);
    EXPECT_EQ(quarn::v_stpncpy_impl(dst, c.src, c.n), dst + c.end_offset) << c.src << " " << c.n;
    EXPECT_EQ(std::string(dst, 6), std::string(c.bytes, 6)) << c.src << " " << c.n;
  }
}

unsigned int naive_forward(unsigned int x) {
  for (unsigned int i = 0; i < 32; ++i)
    if (x & (1u << i)) return i;
  return 0xFFFFFFFFu;
}

unsigned int naive_reverse(unsigned int x) {
  for (unsigned int i = 32; i-- > 0;)
    if (x & (1u << i)) return i;
  return 0xFFFFFFFFu;
}

TEST(BitHelpers, ScansAgreeWithABitByBitSearch) {
  EXPECT_EQ(quarn::v_bit_scan_forward_impl(0), 0xFFFFFFFFu);
  EXPECT_EQ(quarn::v_bit_scan_reverse_impl(0), 0xFFFFFFFFu);
  std::mt19937 rng(5);
  for (int i = 0; i < 100000; ++i) {
    unsigned int x = i < 32 ? 1u << i : (i < 64 ? ~0u << (i - 32) : rng() >> (rng() % 32));
    ASSERT_EQ(quarn::v_bit_scan_forward_impl(x), naive_forward(x)) << x;
    ASSERT_EQ(quarn::v_bit_scan_reverse_impl(x), naive_reverse(x)) << x;
  }
}

TEST(BitHelpers, Memset32FillsExactlyCountWordsAtAnyAlignment) {
  for (unsigned int offset = 0; offset < 4; ++offset) {
    unsigned char buffer[40];
    std::memset(buffer, 0xEE, sizeof buffer);
    quarn::v_memset32(buffer + offset, 0x11223344u, 5);
    for (unsigned int i = 0; i < sizeof buffer; ++i) {
      bool inside = i >= offset && i < offset + 20;
      unsigned int word_byte = (i - offset) % 4;
      unsigned char expected = inside ? static_cast<unsigned char>(0x44 - 0x11 * word_byte) : 0xEE;
      ASSERT_EQ(buffer[i], expected) << "offset " << offset << " byte " << i;
    }
  }
  unsigned int untouched = 7;
  quarn::v_memset32(&untouched, 0, 0);
  EXPECT_EQ(untouched, 7u);
}

}  // namespace
