// The float text form: exact bit-pattern round trips over every class of
// value, and decimal reading checked against the C library's strtod.
#include "qxcore/strings/float_text.h"

#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"

namespace {

using bits_t = std::uint32_t;

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
  // Short and upper-case digits are read too.
  float out;
  EXPECT_TRUE(parse("&0", &out) && std::bit_cast<bits_t>(out) == 0u);
  EXPECT_TRUE(parse("&C0000000", &out) && out == -2.0f);
  // "&3f800000" needs 10 bytes with its terminator.
  quarn::string_fixed_t<10> exact;
  quarn::string_fixed_t<9> small;
  EXPECT_TRUE(quarn::float_to_string(&exact, 1.0f));
  EXPECT_FALSE(quarn::float_to_string(&small, 1.0f));
  EXPECT_STREQ(small.c_str(), "&3f80000");
}

TEST(FloatText, MalformedTextIsRefusedAndLeavesTheOutputAlone) {
  const char* refused[] = {"1.5ff", "&3f80000g", "1.5 ",  "1.5e",  "abc",       "1,5",
                           "--1",   "+-1",       "1.5fx", "0x1p3", "$1234567g", "ff",
                           " ",     "&0x",       "&x1",   "& ",    "&-",        "&1 "};
  for (const char* text : refused) {
    float out = 42.0f;
    EXPECT_FALSE(parse(text, &out)) << '"' << text << '"';
    EXPECT_EQ(out, 42.0f) << text;
  }
}

// The hexadecimal forms convert as strtoul does on 32 bits (blanks, sign,
// "0x", saturation); text without any number is 0.
TEST(FloatText, UnsignedConversionRulesOfTheHexForms) {
  const std::pair<const char*, bits_t> cases[] = {{"", 0},
                                                  {"f", 0},
                                                  {"&", 0},
                                                  {"$", 0},
                                                  {"&-1", ~0u},
                                                  {"&0x3f800000", 0x3F800000u},
                                                  {"& 3f800000", 0x3F800000u},
                                                  {"&+0X1", 1},
                                                  {"&123456789", ~0u},
                                                  {"&-80000000", 0x80000000u},
                                                  {"&-100000000", ~0u},
                                                  {"$0x0000803f", 0x3F800000u},
                                                  {"$-1", ~0u},
                                                  {"$12345678f", ~0u}};
  for (const auto& [text, bits] : cases) {
    float out = 42.0f;
    EXPECT_TRUE(parse(text, &out)) << '"' << text << '"';
    EXPECT_EQ(std::bit_cast<bits_t>(out), bits) << text;
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
  std::vector<std::string> edges = {"1.5f",  "1.5",   "-2.25",   "+2",          " 7",
                                    "1e3f",  "-0",    "0",       "inf",         "-inf",
                                    "1e39",  "-1e39", "1e400",   "-1e400",      "1e-400",
                                    "1e-45", "7e-46", "-1e-400", "3.4028235e38"};
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
