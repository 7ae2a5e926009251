// The float text form: exact bit-pattern round trips over every class of
// value, and decimal reading checked against the C library's strtod.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <xmmintrin.h>

#include "qxcore/strings/float_text.h"
#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"

namespace {

using quarn::string_alias_t;

std::uint32_t bits_of(float f) {
  std::uint32_t b;
  std::memcpy(&b, &f, 4);
  return b;
}

float float_of(std::uint32_t b) {
  float f;
  std::memcpy(&f, &b, 4);
  return f;
}

bool parse(const char* text, float* out) { return quarn::string_to_float(out, string_alias_t(text)); }

TEST(FloatText, DesignedExamples) {
  quarn::string_dyn_t<> s;
  EXPECT_TRUE(quarn::float_to_string(&s, 1.0f));
  EXPECT_STREQ(s.c_str(), "&3f800000");

  struct {
    const char* text;
    float expected;
  } accepted[] = {{"&3f800000", 1.0f}, {"$0000803f", 1.0f}, {"1.5f", 1.5f}, {"1.5", 1.5f},
                  {"-2.25", -2.25f},   {"+2", 2.0f},         {" 7", 7.0f},  {"1e3f", 1000.0f},
                  {"&0", 0.0f},        {"&C0000000", -2.0f}};
  for (const auto& c : accepted) {
    float out = -99.0f;
    EXPECT_TRUE(parse(c.text, &out)) << c.text;
    EXPECT_EQ(bits_of(out), bits_of(c.expected)) << c.text;
  }
}

TEST(FloatText, MalformedTextIsRefusedAndLeavesTheOutputAlone) {
  const char* refused[] = {"1.5ff", "&3f80000g", "&",  "$",     "",     "f",    "1.5 ",
                           "1.5e",  "&123456789", "&-1", "&0x1", "& 1",  "abc",  "1,5",
                           "--1",   "+-1",        "1.5fx", "0x1p3", "$12345678f"};
  for (const char* text : refused) {
    float out = 42.0f;
    EXPECT_FALSE(parse(text, &out)) << '"' << text << '"';
    EXPECT_EQ(out, 42.0f) << text;
  }
}

TEST(FloatText, EveryClassOfBitPatternRoundTripsExactly) {
  // Both signs, every exponent (0: zero and subnormals, 255: infinities and
  // NaNs of every payload), and mantissas at the edges and in between.
  const std::uint32_t mantissas[] = {0, 1, 2, 0x3FFFFF, 0x400000, 0x400001, 0x555555, 0x7FFFFE, 0x7FFFFF};
  std::mt19937 rng(7);
  quarn::string_dyn_t<> text;
  int checked = 0;
  for (std::uint32_t sign = 0; sign < 2; ++sign) {
    for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
      for (int m = 0; m < static_cast<int>(std::size(mantissas)) + 4; ++m) {
        std::uint32_t mantissa = m < static_cast<int>(std::size(mantissas)) ? mantissas[m] : rng() & 0x7FFFFF;
        std::uint32_t bits = sign << 31 | exponent << 23 | mantissa;
        ASSERT_TRUE(quarn::float_to_string(&text, float_of(bits)));
        char expected[16];
        std::snprintf(expected, sizeof expected, "&%08x", bits);
        ASSERT_STREQ(text.c_str(), expected);

        float back = 0.0f;
        ASSERT_TRUE(quarn::string_to_float(&back, text)) << expected;
        ASSERT_EQ(bits_of(back), bits) << expected;

        char reversed[16];
        std::snprintf(reversed, sizeof reversed, "$%08x", __builtin_bswap32(bits));
        ASSERT_TRUE(parse(reversed, &back)) << reversed;
        ASSERT_EQ(bits_of(back), bits) << reversed;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 2 * 256 * 13);
}

TEST(FloatText, FixedOutputTooSmallReportsTheCut) {
  quarn::string_fixed_t<9> small;  // needs 10 bytes
  EXPECT_FALSE(quarn::float_to_string(&small, 1.0f));
  EXPECT_STREQ(small.c_str(), "&3f80000");
  quarn::string_fixed_t<10> exact;
  EXPECT_TRUE(quarn::float_to_string(&exact, 1.0f));
}

// Decimal text is read as a double and rounded to float, as strtod would, in
// the default IEEE mode: the test main's CPU detection switches on
// flush-to-zero, under which the oracle's own conversion would lose subnormals.
float strtod_oracle(const char* text) {
  const unsigned int mode = _mm_getcsr();
  _mm_setcsr(mode & ~0x8040u);  // flush-to-zero and denormals-are-zero off
  volatile float result = static_cast<float>(std::strtod(text, nullptr));
  _mm_setcsr(mode);
  return result;
}

TEST(FloatText, DecimalTextAgreesWithStrtod) {
  std::mt19937 rng(11);
  char text[64];
  for (int i = 0; i < 20000; ++i) {
    std::uint32_t bits = rng();
    float value = float_of(bits);
    if (std::isnan(value)) continue;
    int format = i % 3;
    if (format == 0) std::snprintf(text, sizeof text, "%.9g", value);
    if (format == 1) std::snprintf(text, sizeof text, "%.17g", static_cast<double>(value) * 1.000000123);
    if (format == 2) std::snprintf(text, sizeof text, "%.3ef", value);
    float out;
    ASSERT_TRUE(parse(text, &out)) << text;
    ASSERT_EQ(bits_of(out), bits_of(strtod_oracle(text))) << text;
    if (format == 0) {
      ASSERT_EQ(bits_of(out), bits) << text;  // 9 digits round-trip a float
    }
  }

  const char* edges[] = {"-0",    "0",      "inf",   "-inf",    "1e39",  "-1e39", "1e400",
                         "-1e400", "1e-400", "-1e-400", "1e-45", "7e-46", "3.4028235e38",
                         "0.000000000000000000000000000000000000000000000000000000001e-300",
                         "1000000000000000000000000000000000000000000000000000000e300",
                         "41e33396963333333333399", "1e-99999999999999999999999", "-1e+0400"};
  for (const char* edge : edges) {
    float out;
    ASSERT_TRUE(parse(edge, &out)) << edge;
    EXPECT_EQ(bits_of(out), bits_of(strtod_oracle(edge))) << edge;
  }
  float nan_out;
  ASSERT_TRUE(parse("nan", &nan_out));
  EXPECT_TRUE(std::isnan(nan_out));
}

TEST(FloatText, DecimalReadingIgnoresTheHostLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  bool switched = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      switched = true;
      break;
    }
  float out = 0.0f;
  bool accepted = parse("1.5", &out);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_TRUE(accepted);
  EXPECT_EQ(out, 1.5f);
  if (!switched) std::printf("note: no other locale installed; read in the C locale only\n");
}

}  // namespace
