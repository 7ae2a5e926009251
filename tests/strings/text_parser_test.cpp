// The text parser on small texts whose expected readings are worked out by
// hand: tokens and comments, line counting, numbers and vectors, quoted
// strings, blocks, and undo.
#include "qxcore/strings/text_parser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/capture_sink.h"

namespace {

using texts_t = std::vector<std::string>;

struct parser_t : quarn::text_parser_t {
  explicit parser_t(const char* text) {
    set_buffer(text, static_cast<unsigned int>(std::strlen(text)));
  }
  std::string token(unsigned int max = 63) {
    char buf[64];
    read_token(buf, max);
    return buf;
  }
  // "text@line": what a read gave and the line counted after it.
  std::string at_line(const std::string& text) {
    return text + "@" + std::to_string(report_current_line());
  }
  // "length:text" from read_line or read_one_line.
  std::string line(unsigned int (text_parser_t::*read)(char*, unsigned int), unsigned int max) {
    char buf[64];
    unsigned int length = (this->*read)(buf, max);
    return std::to_string(length) + ":" + buf;
  }
};

TEST(TextParser, TokensCommentsAndLines) {
  parser_t p("  # c\n a b\n");
  EXPECT_EQ((texts_t{p.at_line(p.token()), p.at_line(p.token())}), (texts_t{"a@1", "b@2"}));
  EXPECT_TRUE(p.finished_reading());
  EXPECT_EQ(p.token(), "");

  parser_t q("alpha#x\r\n\r\n  beta\tgamma # tail\ndelta");
  // gamma is cut at max 3; the rest is the next token.
  EXPECT_EQ((texts_t{q.token(), q.at_line(q.token()), q.token(3), q.token(), q.token()}),
            (texts_t{"alpha", "beta@2", "gam", "ma", "delta"}));
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
  using quarn::text_parser_t;
  // read_line skips blank and comment-only lines and trims comments and blanks.
  parser_t p("first line  \n  # only a comment\n\r\n   \n  second # note \t\nlast");
  EXPECT_EQ((texts_t{p.line(&text_parser_t::read_line, 63),
                     p.at_line(p.line(&text_parser_t::read_line, 63)),
                     p.line(&text_parser_t::read_line, 63), p.line(&text_parser_t::read_line, 63)}),
            (texts_t{"10:first line", "6:second@5", "4:last", "0:"}));
  // read_one_line takes the raw line; past max the rest of it ("e") is lost.
  parser_t raw("abcdef\nxy");
  EXPECT_EQ((texts_t{raw.line(&text_parser_t::read_one_line, 4),
                     raw.at_line(raw.line(&text_parser_t::read_one_line, 63)),
                     raw.line(&text_parser_t::read_one_line, 63)}),
            (texts_t{"4:abcd", "1:f@1", "2:xy"}));
}

TEST(TextParser, Numbers) {
  parser_t p("1.5 -2e3 0x10 017 9 x 3");
  float f[2];
  int i[3];
  EXPECT_EQ(p.read_float(f, 2), 2);
  EXPECT_EQ(p.read_int(i, 3, 0), 3);  // base 0: hexadecimal, octal, decimal
  EXPECT_EQ((std::vector<float>{f[0], f[1], float(i[0]), float(i[1]), float(i[2])}),
            (std::vector<float>{1.5f, -2000.0f, 16, 15, 9}));
  EXPECT_EQ(p.read_int(i, 1, 10), -1);  // "x"
  EXPECT_EQ(p.read_float(f, 2), -1);    // "3", then nothing
  EXPECT_EQ(f[0], 3.0f);
  EXPECT_EQ((std::vector<int>{p.read_float(f, 0), p.read_float(f, -2), p.read_int(i, -2, 10)}),
            (std::vector<int>{0, -2, 0}));

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
  // A delimiter of 0 takes the quote found, or a blank-ended word with "\ " escapes;
  // no escapes inside single quotes; "end" runs into the end of the buffer.
  parser_t p("  \"say \\\"hi\\\"\" next 'single \\q' bare\\ word end");
  char buf[64];
  auto read = [&](parser_t& from, int size, char delimiter) {
    int length = from.read_string(buf, size, delimiter);
    return std::to_string(length) + (length >= 0 ? ":" + std::string(buf, length) : "");
  };
  EXPECT_EQ((texts_t{read(p, 64, 0), p.token(), read(p, 64, 0), read(p, 64, 0), read(p, 64, ' '),
                     read(p, 64, 0)}),
            (texts_t{"8:say \"hi\"", "next", "9:single \\q", "9:bare word", "-1", "-1"}));

  parser_t cut("\"abcdefgh\" rest");
  EXPECT_EQ(read(cut, 4, 0), "4:abc\"");  // the delimiter closes the cut text

  parser_t spaced("a\n b ");
  EXPECT_EQ((texts_t{read(spaced, 64, ' '), spaced.at_line(read(spaced, 64, ' '))}),
            (texts_t{"1:a", "1:b@1"}));
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
  EXPECT_EQ(quarn::v_get_token(src, dst, '='), src + 3);  // on the delimiter
  EXPECT_STREQ(dst, "key");
  EXPECT_STREQ(quarn::v_get_token("one two", dst, ' '), "two");  // after a blank delimiter
  EXPECT_STREQ(dst, "one");
  EXPECT_STREQ(quarn::v_get_token("last", dst, ','), "");
  EXPECT_STREQ(dst, "last");
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
