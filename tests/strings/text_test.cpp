// Reading text: the text parser on small hand-worked texts; tokens against an
// independent packing; the string tokenizer; the command-line table and its
// limits; the float text form's bit-pattern round trips and decimal reading
// against the C library's strtod.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <bit>
#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "qxcore/strings/command_line.h"
#include "qxcore/strings/float_text.h"
#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "qxcore/strings/string_tokenizer.h"
#include "qxcore/strings/text_parser.h"
#include "qxcore/strings/tokens.h"
#include "tests/support/capture_sink.h"

namespace {

using quarn::cdl_argc;
using quarn::cdl_argv;
using quarn::CDL_NOT_FOUND;
using quarn::cdl_param;
using quarn::string_alias_t;
using bits_t = std::uint32_t;
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
  // "length:text" from read_line, or from read_one_line when `raw`.
  std::string line(bool raw = false, unsigned int max = 63) {
    char buf[64];
    unsigned int length = raw ? read_one_line(buf, max) : read_line(buf, max);
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
  EXPECT_TRUE(empty.finished_reading());
  EXPECT_EQ(empty.read_char(), -1);
}

TEST(TextParser, Lines) {
  // read_line skips blank and comment-only lines and trims comments and blanks.
  parser_t p("first line  \n  # only a comment\n\r\n   \n  second # note \t\nlast");
  EXPECT_EQ((texts_t{p.line(), p.at_line(p.line()), p.line(), p.line()}),
            (texts_t{"10:first line", "6:second@5", "4:last", "0:"}));
  // read_one_line takes the raw line; past max the rest of it ("e") is lost.
  parser_t raw("abcdef\nxy");
  EXPECT_EQ((texts_t{raw.line(true, 4), raw.at_line(raw.line(true)), raw.line(true)}),
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

  parser_t tiny("1e-40 99999999999");
  EXPECT_EQ(tiny.read_float(f, 1), 1);
  EXPECT_EQ(f[0], 1e-40f);                 // subnormal, even with flush-to-zero on
  EXPECT_EQ(tiny.read_int(i, 1, 10), -1);  // beyond int
}

TEST(TextParser, Vectors) {
  struct case_t {
    const char* text;
    int min, max, expected;
  };
  const case_t cases[] = {{"< 1 2 3 >", 3, 4, 3},      {"< 1 2 >", 3, 4, -1}, {"1 2 3", 1, 4, -1},
                          {"< 1 2 3 4 5 >", 1, 4, -1}, {"< 1 2", 1, 4, -1},   {"< >", 0, 4, 0}};
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
  EXPECT_EQ(open.measure_block(), 0u);
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
  EXPECT_EQ(quarn::v_get_token("", dst, ','), nullptr);

  qxtest::capture_sink_t sink;
  quarn::text_parser_t p;
  p.set_buffer(nullptr, 5);
  EXPECT_TRUE(p.finished_reading());
  EXPECT_EQ(sink.errors(),
            std::vector<std::string>{"[text_parser] set_buffer: null buffer of 5 bytes"});
}

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

// Valid names, up to twelve characters, are checked against the reference
// packing below; a refused name leaves the output alone.
TEST(Tokens, LongerNamesAndOtherCharactersAreRefused) {
  for (const char* text : {"abcdefghijklm", "a-b", "a.b", "\xe9t\xe9"}) {
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
    ASSERT_TRUE(quarn::is_valid_token(string_alias_t(name.c_str()))) << name;
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
  const std::tuple<unsigned long long, const char*> cases[] = {{38 * 11, ""},
                                                               {POWER38_12 + 19239, "abc"}};
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
      {nullptr, "/", {}},  {"a b\tc", " \t", {"a", "b", "c"}},
      {"abc", "", {"abc"}}};
  for (const auto& [text, delimiters, expected] : cases)
    EXPECT_EQ(split(text, delimiters), expected) << (text ? text : "(null)");
}

TEST(StringTokenizer, NullOutputSkipsATokenAndFixedOutputsCut) {
  quarn::string_tokenizer_t tokenizer("one abcdefgh", " ");
  quarn::string_fixed_t<4> token;
  EXPECT_TRUE(tokenizer.get_token(nullptr) && tokenizer.get_token(&token));
  EXPECT_STREQ(token.c_str(), "abc");
  EXPECT_FALSE(tokenizer.has_token());
}

void init(const std::vector<const char*>& args) {
  quarn::cdl_init(static_cast<int>(args.size()), args.data());
}

// The current group as texts; "(null)" for a refused argument.
texts_t group() {
  texts_t texts;
  for (unsigned int k = 0; k < cdl_argc(); ++k)
    texts.push_back(cdl_argv(k) != nullptr ? cdl_argv(k) : "(null)");
  return texts;
}

TEST(CommandLine, OptionGroups) {
  init({"prog", "-a", "1", "2", "-b"});
  EXPECT_EQ(group(), (texts_t{"prog", "-a", "1", "2", "-b"}));  // before any lookup: the whole line
  EXPECT_EQ(cdl_param("-a", 1), 1u);
  EXPECT_EQ(group(), (texts_t{"-a", "1", "2"}));
  EXPECT_STREQ(cdl_argv(3), "-b");  // past the group but still a stored argument
  EXPECT_EQ(cdl_argv(4), nullptr);
  EXPECT_EQ(cdl_param("-c", 1), CDL_NOT_FOUND);
  EXPECT_EQ(cdl_argc(), 3u);  // a miss leaves the group alone

  init({"prog", "-size", "640", "480", "-fast", "-size", "1", "-x"});
  // name, start, index found, its group
  const std::tuple<const char*, unsigned int, unsigned int, texts_t> cases[] = {
      {"-x", 1, 7, {"-x"}},           {"-size", 2, 5, {"-size", "1"}},
      {"prog", 0, 0, {"prog"}},       {"-SIZE", 1, CDL_NOT_FOUND, {}},
      {"640", 0, 2, {"640", "480"}},  {nullptr, 0, CDL_NOT_FOUND, {}},
      {"prog", 1, CDL_NOT_FOUND, {}}, {"-size", 1, 1, {"-size", "640", "480"}},
      {"-siz", 1, CDL_NOT_FOUND, {}}, {"-size", 0xFFFFFFFFu, CDL_NOT_FOUND, {}}};
  for (const auto& [name, start, index, expected_group] : cases) {
    EXPECT_EQ(cdl_param(name, start), index) << (name ? name : "(null)");
    if (index != CDL_NOT_FOUND) {
      EXPECT_EQ(group(), expected_group) << name;
    }
  }
}

TEST(CommandLine, KeepsTheFirst128Arguments) {
  texts_t texts;
  std::vector<const char*> args;
  for (int i = 0; i < 200; ++i) texts.push_back("a" + std::to_string(i));
  for (const auto& t : texts) args.push_back(t.c_str());
  init(args);  // 10*3 + 90*4 + 28*5 = 530 bytes for the kept ones: the pool is not the limit
  EXPECT_EQ(cdl_argc(), 200u);  // the whole command line, until a cdl_param finds something
  EXPECT_STREQ(cdl_argv(127), "a127");
  EXPECT_EQ(cdl_argv(128), nullptr);
  EXPECT_EQ(cdl_param("a127", 0), 127u);
  EXPECT_EQ(cdl_param("a128", 0), CDL_NOT_FOUND);
}

TEST(CommandLine, ArgumentsThatDoNotFitAreRefusedWhole) {
  // "p" takes 2 bytes, eight 254-character texts 8 * 255 = 2040: 6 bytes stay.
  std::string big(254, 'x');
  std::vector<const char*> args{"p"};
  args.insert(args.end(), 8, big.c_str());
  args.insert(args.end(), {"abcdef",  // 7 bytes: refused
                           "abcde",   // 6 bytes: fills the pool exactly
                           "x",       // refused, the pool is full
                           ""});      // even the empty text needs its terminator
  init(args);
  texts_t expected{"p"};
  expected.insert(expected.end(), 8, big);
  expected.insert(expected.end(), {"(null)", "abcde", "(null)", "(null)"});
  EXPECT_EQ(group(), expected);
  EXPECT_EQ(cdl_param("abcdef", 0), CDL_NOT_FOUND);

  // A text longer than the whole pool keeps its place; what follows still counts.
  std::string huge(3000, 'h');
  init({"prog", "-path", huge.c_str(), "-after", "v"});
  EXPECT_EQ(cdl_param("-path", 1), 1u);
  EXPECT_EQ(group(), (texts_t{"-path", "(null)"}));
  EXPECT_EQ(cdl_param("-after", 1), 3u);
  EXPECT_EQ(group(), (texts_t{"-after", "v"}));
}

TEST(CommandLine, ReinitReplacesEverything) {
  init({"prog", "-x", "1", "2"});
  EXPECT_EQ(cdl_param("-x", 1), 1u);
  // The table's own texts handed back: the group starts over, the old entries go.
  init({cdl_argv(2), cdl_argv(1), nullptr, "-z"});
  EXPECT_EQ(group(), (texts_t{"2", "1", "(null)", "-z"}));
  EXPECT_EQ(cdl_argv(4), nullptr);
  EXPECT_EQ(cdl_param("-x", 0), CDL_NOT_FOUND);
  EXPECT_EQ(cdl_param("-z", 0), 3u);

  const char* some[] = {"p"};
  for (auto [argc, argv] : {std::pair{0, some}, {-5, nullptr}, {-1, some}, {3, nullptr}}) {
    quarn::cdl_init(argc, argv);
    EXPECT_EQ(cdl_argc(), 0u) << argc;
    EXPECT_EQ(cdl_argv(0), nullptr) << argc;
    EXPECT_EQ(cdl_param("p", 0), CDL_NOT_FOUND) << argc;
  }
}

bool parse(const std::string& text, float* out) {
  return quarn::string_to_float(out, quarn::string_alias_t(text.c_str()));
}

TEST(FloatText, HexFormsRoundTripEveryClassOfBitPattern) {
  // Both signs, every exponent (0: zero and subnormals, 255: infinities and
  // NaNs of every payload), and mantissas at the edges and in between.
  std::vector<bits_t> mantissas = {0,        1,        2,        0x3FFFFF, 0x400000,
                                   0x400001, 0x555555, 0x7FFFFE, 0x7FFFFF};
  std::mt19937 rng(7);
  for (int i = 0; i < 4; ++i) mantissas.push_back(rng() & 0x7FFFFF);
  quarn::string_dyn_t<> text;
  char expected[16], reversed[16];
  for (bits_t sign = 0; sign < 2; ++sign) {
    for (bits_t exponent = 0; exponent < 256; ++exponent) {
      for (bits_t mantissa : mantissas) {
        bits_t bits = sign << 31 | exponent << 23 | mantissa;
        std::snprintf(expected, sizeof expected, "&%08x", bits);
        std::snprintf(reversed, sizeof reversed, "$%08x", __builtin_bswap32(bits));
        float back = 0.0f, back_reversed = 0.0f;
        ASSERT_TRUE(quarn::float_to_string(&text, std::bit_cast<float>(bits)));
        ASSERT_STREQ(text.c_str(), expected);
        ASSERT_TRUE(parse(text.c_str(), &back) && parse(reversed, &back_reversed)) << expected;
        ASSERT_EQ(std::bit_cast<bits_t>(back), bits) << expected;
        ASSERT_EQ(std::bit_cast<bits_t>(back_reversed), bits) << reversed;
      }
    }
  }
  // "&3f800000" needs 10 bytes with its terminator.
  quarn::string_fixed_t<10> exact;
  quarn::string_fixed_t<9> small;
  EXPECT_TRUE(quarn::float_to_string(&exact, 1.0f));
  EXPECT_FALSE(quarn::float_to_string(&small, 1.0f));
  EXPECT_STREQ(small.c_str(), "&3f80000");
}

TEST(FloatText, MalformedTextIsRefusedAndLeavesTheOutputAlone) {
  const char* refused[] = {"1.5ff", "&3f80000g", "1.5 ", "1.5e", "abc", "1,5", "--1", "+-1",
                           "0x1p3", "$1234567g", " ",    "&0x",  "&x1", "& ",  "&1 "};
  for (const char* text : refused) {
    float out = 42.0f;
    EXPECT_FALSE(parse(text, &out)) << '"' << text << '"';
    EXPECT_EQ(out, 42.0f) << text;
  }
}

// The hexadecimal forms convert as strtoul does on 32 bits (blanks, sign,
// "0x", saturation); text without any number is 0.
TEST(FloatText, UnsignedConversionRulesOfTheHexForms) {
  const std::pair<bits_t, std::vector<const char*>> cases[] = {
      {0, {"", "f", "&"}},  // short and upper-case digits are read too
      {0xC0000000u, {"&C0000000"}},
      {1, {"&+0X1"}},
      {0x3F800000u, {"& 3f800000", "$0x0000803f"}},
      {0x80000000u, {"&-80000000"}},
      {~0u, {"&-1", "&123456789", "&-100000000", "$12345678f"}}};
  for (const auto& [bits, texts] : cases) {
    for (const char* text : texts) {
      float out = 42.0f;
      EXPECT_TRUE(parse(text, &out)) << '"' << text << '"';
      EXPECT_EQ(std::bit_cast<bits_t>(out), bits) << text;
    }
  }
}

// Decimal text is read as a double and rounded to float, as strtod would, in
// the default IEEE mode: the test main's CPU detection switches on
// flush-to-zero, under which the oracle's own conversion would lose subnormals.
bits_t strtod_bits(const std::string& text) {
  const unsigned int mode = _mm_getcsr();
  _mm_setcsr(mode & ~0x8040u);  // flush-to-zero and denormals-are-zero off
  volatile float result = static_cast<float>(std::strtod(text.c_str(), nullptr));
  _mm_setcsr(mode);
  return std::bit_cast<bits_t>(static_cast<float>(result));
}

TEST(FloatText, DecimalTextAgreesWithStrtod) {
  std::mt19937 rng(11);
  char text[64];
  for (int i = 0; i < 20000; ++i) {
    bits_t bits = rng();
    float value = std::bit_cast<float>(bits), out;
    if (std::isnan(value)) continue;
    if (i % 3 == 0) std::snprintf(text, sizeof text, "%.9g", value);
    if (i % 3 == 1) std::snprintf(text, sizeof text, "%.17g", value * 1.000000123);
    if (i % 3 == 2) std::snprintf(text, sizeof text, "%.3ef", value);
    ASSERT_TRUE(parse(text, &out)) << text;
    ASSERT_EQ(std::bit_cast<bits_t>(out), strtod_bits(text)) << text;
    ASSERT_TRUE(i % 3 != 0 || std::bit_cast<bits_t>(out) == bits) << "9 digits round-trip " << text;
  }
  std::vector<std::string> edges = {"1.5f",  "+2",    " 7",          "1e3f",  "-0",
                                    "inf",   "-inf",  "1e39",        "-1e39", "1e-400",
                                    "1e-45", "7e-46", "3.4028235e38"};
  edges.push_back("0." + std::string(56, '0') + "1e-300");
  edges.push_back("1" + std::string(54, '0') + "e300");
  // Exponents that overflowed a long before they were read with saturation.
  for (const char* huge : {"41e33396963333333333399", "1e-99999999999999999999999", "-1e+0400"})
    edges.push_back(huge);
  for (const std::string& edge : edges) {
    float out;
    ASSERT_TRUE(parse(edge, &out)) << edge;
    EXPECT_EQ(std::bit_cast<bits_t>(out), strtod_bits(edge)) << edge;
  }
  float nan_out;
  EXPECT_TRUE(parse("nan", &nan_out) && std::isnan(nan_out));
}

TEST(FloatText, DecimalReadingIgnoresTheHostLocale) {
  // Where no other locale is installed this reads in the C locale only.
  std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name) != nullptr) break;
  float out = 0.0f;
  bool accepted = parse("1.5", &out);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_TRUE(accepted && out == 1.5f);
}

}  // namespace
