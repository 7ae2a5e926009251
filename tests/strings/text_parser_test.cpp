// The text parser on small texts whose expected readings are worked out by
// hand: tokens and comments, line counting, numbers and vectors, quoted
// strings, blocks, and undo.
#include "qxcore/strings/text_parser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/capture_sink.h"

namespace {

struct parser_t : quarn::text_parser_t {
  explicit parser_t(const char* text) {
    set_buffer(text, static_cast<unsigned int>(std::strlen(text)));
  }
  std::string token(unsigned int max = 63) {
    char buf[64];
    read_token(buf, max);
    return buf;
  }
};

TEST(TextParser, TokensCommentsAndLines) {
  parser_t p("  # c\n a b\n");
  EXPECT_EQ(p.token(), "a");
  EXPECT_EQ(p.report_current_line(), 1);
  EXPECT_EQ(p.token(), "b");
  EXPECT_EQ(p.report_current_line(), 2);
  EXPECT_TRUE(p.finished_reading());
  EXPECT_EQ(p.token(), "");

  parser_t q("alpha#x\r\n\r\n  beta\tgamma # tail\ndelta");
  EXPECT_EQ(q.token(), "alpha");
  EXPECT_EQ(q.token(), "beta");
  EXPECT_EQ(q.report_current_line(), 2);
  EXPECT_EQ(q.token(3), "gam");  // cut at max; the rest is the next token
  EXPECT_EQ(q.token(), "ma");
  EXPECT_EQ(q.token(), "delta");
  q.undo_read();
  EXPECT_EQ(q.token(), "delta");
  q.reset();
  EXPECT_EQ(q.report_current_line(), 0);
  EXPECT_EQ(q.read_char(), 'a');

  quarn::text_parser_t empty;  // reads nothing before set_buffer
  char buf[4];
  EXPECT_TRUE(empty.finished_reading());
  EXPECT_EQ(empty.read_char(), -1);
  EXPECT_EQ(empty.read_token(buf, 3), 0u);
}

TEST(TextParser, Lines) {
  parser_t p("first line  \n  # only a comment\n\r\n   \n  second # note \t\nlast");
  char buf[64];
  EXPECT_EQ(p.read_line(buf, 63), 10u);
  EXPECT_STREQ(buf, "first line");
  EXPECT_EQ(p.read_line(buf, 63), 6u);
  EXPECT_STREQ(buf, "second");
  EXPECT_EQ(p.report_current_line(), 5);
  EXPECT_EQ(p.read_line(buf, 63), 4u);
  EXPECT_STREQ(buf, "last");
  EXPECT_EQ(p.read_line(buf, 63), 0u);
  EXPECT_STREQ(buf, "");

  parser_t raw("abcdef\nxy");
  EXPECT_EQ(raw.read_one_line(buf, 4), 4u);  // "abcd", and "e" is lost
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(raw.read_one_line(buf, 63), 1u);
  EXPECT_STREQ(buf, "f");
  EXPECT_EQ(raw.report_current_line(), 1);
  EXPECT_EQ(raw.read_one_line(buf, 63), 2u);
  EXPECT_STREQ(buf, "xy");
}

TEST(TextParser, Numbers) {
  parser_t p("1.5 -2e3 0x10 017 9 x 3");
  float f[2];
  EXPECT_EQ(p.read_float(f, 2), 2);
  EXPECT_EQ(f[0], 1.5f);
  EXPECT_EQ(f[1], -2000.0f);
  int i[3];
  EXPECT_EQ(p.read_int(i, 3, 0), 3);  // base 0: hexadecimal, octal, decimal
  EXPECT_EQ(i[0], 16);
  EXPECT_EQ(i[1], 15);
  EXPECT_EQ(i[2], 9);
  EXPECT_EQ(p.read_int(i, 1, 10), -1);  // "x"
  EXPECT_EQ(p.read_float(f, 2), -1);    // "3", then nothing
  EXPECT_EQ(f[0], 3.0f);
  EXPECT_EQ(p.read_float(f, 0), 0);
  EXPECT_EQ(p.read_float(f, -2), -2);
  EXPECT_EQ(p.read_int(i, -2, 10), 0);

  parser_t tiny("1e-40 1.5f 99999999999");
  EXPECT_EQ(tiny.read_float(f, 1), 1);
  EXPECT_EQ(f[0], 1e-40f);                 // subnormal, even with flush-to-zero on
  EXPECT_EQ(tiny.read_float(f, 1), -1);    // the whole token must be the number
  EXPECT_EQ(tiny.read_int(i, 1, 10), -1);  // beyond int
}

TEST(TextParser, Vectors) {
  struct case_t {
    const char* text;
    int min, max, expected;
  };
  const case_t cases[] = {{"< 1 2 3 >", 3, 4, 3},   {"< 1 2 >", 3, 4, -1},
                          {"1 2 3", 1, 4, -1},      {"< 1 2 3 4 5 >", 1, 4, -1},
                          {"< 1 oops >", 1, 4, -1}, {"< 1 2", 1, 4, -1},
                          {"< >", 0, 4, 0}};
  for (const case_t& c : cases) {
    parser_t p(c.text);
    float v[4] = {};
    EXPECT_EQ(p.read_vector(v, c.min, c.max), c.expected) << c.text;
    if (c.expected == 3) {
      EXPECT_TRUE(v[0] == 1 && v[1] == 2 && v[2] == 3);
    }
  }
}

TEST(TextParser, Strings) {
  parser_t p("  \"say \\\"hi\\\"\" next 'single \\q' bare\\ word end");
  char buf[64];
  EXPECT_EQ(p.read_string(buf, 64, 0), 8);
  EXPECT_STREQ(buf, "say \"hi\"");
  EXPECT_EQ(p.token(), "next");
  EXPECT_EQ(p.read_string(buf, 64, 0), 9);  // no escapes inside single quotes
  EXPECT_STREQ(buf, "single \\q");
  EXPECT_EQ(p.read_string(buf, 64, 0), 9);
  EXPECT_STREQ(buf, "bare word");
  EXPECT_EQ(p.read_string(buf, 64, ' '), -1);  // "end" runs into the end of the buffer
  EXPECT_EQ(p.read_string(buf, 64, 0), -1);

  parser_t cut("\"abcdefgh\" rest");
  EXPECT_EQ(cut.read_string(buf, 4, 0), 4);
  EXPECT_EQ(std::string(buf, 4), "abc\"");  // the delimiter closes the cut text

  parser_t spaced("a\n b ");
  EXPECT_EQ(spaced.read_string(buf, 64, ' '), 1);
  EXPECT_EQ(spaced.read_string(buf, 64, ' '), 1);
  EXPECT_EQ(spaced.report_current_line(), 1);
}

TEST(TextParser, Blocks) {
  parser_t p("a { b } } c");
  const char* start = p.report_parse_ptr();
  EXPECT_EQ(p.measure_block(), 10u);  // "a { b } } ", up to the next token
  EXPECT_EQ(p.report_parse_ptr(), start);
  EXPECT_TRUE(p.skip_block());
  EXPECT_EQ(p.token(), "c");

  parser_t open("x {\n y }\n");
  const char* before = open.report_parse_ptr();
  EXPECT_EQ(open.measure_block(), 0u);
  EXPECT_EQ(open.report_parse_ptr(), before);
  EXPECT_EQ(open.report_current_line(), 0);
  EXPECT_FALSE(open.skip_block());
  EXPECT_TRUE(open.finished_reading());
}

TEST(TextParser, GetToken) {
  char dst[32];
  const char* src = "key=value";
  const char* next = quarn::v_get_token(src, dst, '=');
  EXPECT_STREQ(dst, "key");
  EXPECT_EQ(next, src + 3);  // on the delimiter
  next = quarn::v_get_token("one two", dst, ' ');
  EXPECT_STREQ(dst, "one");
  EXPECT_STREQ(next, "two");  // after a blank delimiter
  next = quarn::v_get_token("last", dst, ',');
  EXPECT_STREQ(dst, "last");
  EXPECT_EQ(*next, '\0');
  EXPECT_EQ(quarn::v_get_token("", dst, ','), nullptr);
  EXPECT_EQ(quarn::v_get_token(nullptr, dst, ','), nullptr);

  qxtest::capture_sink_t sink;
  quarn::text_parser_t p;
  p.set_buffer(nullptr, 5);
  EXPECT_TRUE(p.finished_reading());
  EXPECT_EQ(sink.errors(),
            std::vector<std::string>{"[text_parser] set_buffer: null buffer of 5 bytes"});
}

}  // namespace
