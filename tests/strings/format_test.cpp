// The printf family's truncation and termination rules, with guard bytes
// behind every buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qxcore/strings/format.h"

namespace {

constexpr char GUARD = '#';

struct buffer_t {
  char bytes[64];
  buffer_t() { std::memset(bytes, GUARD, sizeof bytes); }
  std::string first(std::size_t n) const { return std::string(bytes, n); }
  bool untouched_from(std::size_t i) const {
    for (; i < sizeof bytes; ++i)
      if (bytes[i] != GUARD) return false;
    return true;
  }
};

TEST(Format, TruncationAndTermination) {
  struct {
    bool always_terminate;  // v_snprintf0 or v_snprintf
    unsigned int size;
    const char* expected;   // bytes written, the terminator included when there is one
    std::size_t written;
  } cases[] = {
      {true, 4, "abc\0", 4},     {true, 6, "abc45\0", 6},  {true, 7, "abc456\0", 7},
      {true, 20, "abc456\0", 7}, {true, 1, "\0", 1},       {true, 0, "", 0},
      {false, 4, "abc4", 4},     {false, 6, "abc456", 6},  {false, 7, "abc456\0", 7},
      {false, 20, "abc456\0", 7}, {false, 1, "a", 1},      {false, 0, "", 0},
  };
  for (const auto& c : cases) {
    buffer_t b;
    int length = c.always_terminate ? quarn::v_snprintf0(b.bytes, c.size, "%s%d", "abc", 456)
                                    : quarn::v_snprintf(b.bytes, c.size, "%s%d", "abc", 456);
    const char* name = c.always_terminate ? "v_snprintf0 " : "v_snprintf ";
    EXPECT_EQ(length, 6) << name << c.size;  // the full length, cut or not
    EXPECT_EQ(b.first(c.written), std::string(c.expected, c.written)) << name << c.size;
    EXPECT_TRUE(b.untouched_from(c.written)) << name << c.size;
  }
}

TEST(Format, CutOfALongTextFillsTheWholeBuffer) {
  std::string text(3000, 'x');
  text[1499] = 'L';  // the last byte that fits
  std::string buffer(2000, GUARD);
  int length = quarn::v_snprintf(buffer.data(), 1500, "%s", text.c_str());
  EXPECT_EQ(length, 3000);
  EXPECT_EQ(buffer.substr(0, 1500), text.substr(0, 1500));
  EXPECT_EQ(buffer[1500], GUARD);
}

TEST(Format, LengthOnlyAndUnbounded) {
  EXPECT_EQ(quarn::v_scprintf("%d-%s", 12345, "ab"), 8);
  EXPECT_EQ(quarn::v_scprintf("%s", ""), 0);
  buffer_t b;
  EXPECT_EQ(quarn::v_sprintf(b.bytes, "%s=%d", "x", 3), 3);
  EXPECT_EQ(b.first(4), std::string("x=3\0", 4));
  EXPECT_TRUE(b.untouched_from(4));
}

}  // namespace
