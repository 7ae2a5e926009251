// Colour conversions and pixel streams: values worked out by hand, the scale
// bounds over every channel pair, and the plain and SSE2 stream routines
// against a byte-wise model on every length up to 67 at every offset within
// 16 bytes, also in place.
#include "qxcore/image/colour_streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "qxcore/sys/cpu_dispatch.h"
#include "tests/support/capture_sink.h"

namespace {

using bytes = std::vector<unsigned char>;

TEST(ColourConversions, ReorderAndResize) {
  using convert_fn = void (*)(unsigned char*, const unsigned char*, unsigned int);
  const bytes rgb = {10, 20, 30, 1, 2, 3}, rgba = {10, 20, 30, 40, 5, 6, 7, 8};
  const std::tuple<convert_fn, bytes, bytes> cases[] = {
      {quarn::rgb_rgba, rgb, {10, 20, 30, 255, 1, 2, 3, 255}},
      {quarn::rgb_bgra, rgb, {30, 20, 10, 255, 3, 2, 1, 255}},
      {quarn::rgba_bgra, rgba, {30, 20, 10, 40, 7, 6, 5, 8}},
      {quarn::rgba_rgb, rgba, {10, 20, 30, 5, 6, 7}},
      {quarn::rgb_bgr, rgb, {30, 20, 10, 3, 2, 1}}};
  for (const auto& [convert, in, expected] : cases) {
    bytes out(expected.size()), in_place = in;
    convert(out.data(), in.data(), 2);
    EXPECT_EQ(out, expected);
    // The swaps that keep the pixel size also work in place.
    if (in.size() != out.size()) continue;
    convert(in_place.data(), in_place.data(), 2);
    EXPECT_EQ(in_place, expected);
  }
  qxtest::capture_sink_t sink;
  quarn::rgb_rgba(nullptr, rgb.data(), 1);
  quarn::rgb_rgba(nullptr, nullptr, 0);  // nothing to convert
  EXPECT_EQ(sink.errors(), std::vector<std::string>{"[image] rgb_rgba: null pixel buffer"});
}

TEST(ColourConversions, ScaleIsTheFlooredChannelProduct) {
  // Every channel pair, in every byte position: r * 255 <= a * b < (r + 1) * 255.
  for (unsigned int a = 0; a < 256; ++a)
    for (unsigned int b = 0; b < 256; ++b) {
      const int shift = 8 * ((a + b) % 4);
      unsigned int r = quarn::rgb_scale(a << shift, b << shift | 0xFFu << ((shift + 8) % 32));
      ASSERT_EQ(r & ~(0xFFu << shift), 0u) << a << " " << b;
      r >>= shift;
      ASSERT_LE(r * 255, a * b);
      ASSERT_LT(a * b, (r + 1) * 255);
    }
}

// The stream operations, byte by byte.
unsigned int model(int op, unsigned int a, unsigned int b, long factor) {
  unsigned char x[4], y[4], out[4];
  std::memcpy(x, &a, 4);
  std::memcpy(y, &b, 4);
  const bool noalpha = op == 1 || op == 5;
  if (noalpha) y[3] = 0;
  const long f = std::min(factor, 65535L);
  for (int i = 0; i < 4; ++i) {
    long v;
    if (op <= 1)
      v = x[i] + y[i];
    else if (op <= 3)
      v = x[i] * y[i] / 256;
    else
      v = x[i] + y[i] * f / 256;
    out[i] = static_cast<unsigned char>(std::min(v, 255L));
  }
  unsigned int result;
  std::memcpy(&result, out, 4);
  return result;
}

// Stream operations 0 add, 1 add_noalpha, 2 scale, 3 scale_const, 4
// scaled_add, 5 scaled_add_noalpha, through the currently bound variables.
using run_fn = void (*)(unsigned int*, const unsigned int*, const unsigned int*, unsigned int,
                        unsigned int);
const run_fn run[] = {
    [](auto d, auto a, auto b, auto, auto n) { quarn::rgb_stream_add(d, a, b, n); },
    [](auto d, auto a, auto b, auto, auto n) { quarn::rgb_stream_add_noalpha(d, a, b, n); },
    [](auto d, auto a, auto b, auto, auto n) { quarn::rgb_stream_scale(d, a, b, n); },
    [](auto d, auto a, auto b, auto, auto n) { quarn::rgb_stream_scale_const(d, a, b[0], n); },
    [](auto d, auto a, auto b, auto f, auto n) { quarn::rgb_stream_scaled_add(d, a, b, f, n); },
    [](auto d, auto a, auto b, auto f, auto n) {
      quarn::rgb_stream_scaled_add_noalpha(d, a, b, f, n);
    }};

class ColourStreams : public testing::Test {
 protected:
  void TearDown() override { quarn::init_cpu_trampoline(quarn::CPU_DETECT, false); }
};

TEST_F(ColourStreams, Sse2EqualsPlainAndTheModelAtEveryLengthAndOffset) {
  std::mt19937 rng(17);
  std::vector<unsigned int> a(80), b(80), plain(80), sse2(80);
  // 65535 is the largest factor; 0x80000000 must not wrap when it is clamped.
  const unsigned int factors[] = {0, 1, 77, 256, 300, 65535, 0x12345, 0x80000000};
  for (int op = 0; op < 6; ++op)
    for (unsigned int count = 0; count <= 67; ++count) {
      for (auto& v : a) v = rng();
      for (auto& v : b) v = rng() & (rng() | 0x80808080u);  // many small channels too
      const unsigned int offset = count % 4, factor = factors[count % 8];
      std::fill(plain.begin(), plain.end(), 0xDEADBEEF);
      std::fill(sse2.begin(), sse2.end(), 0xDEADBEEF);
      quarn::init_cpu_trampoline(quarn::CPU_FORCE_PLAIN, false);
      run[op](plain.data() + offset, a.data() + offset, b.data() + offset, factor, count);
      quarn::init_cpu_trampoline(quarn::CPU_FEATURE_FPU | quarn::CPU_FEATURE_SSE2, false);
      run[op](sse2.data() + offset, a.data() + offset, b.data() + offset, factor, count);
      ASSERT_EQ(plain, sse2) << "op " << op << " count " << count;
      // The destination may be the first input.
      std::vector<unsigned int> in_place = a;
      run[op](in_place.data() + offset, in_place.data() + offset, b.data() + offset, factor, count);
      ASSERT_TRUE(std::equal(in_place.begin() + offset, in_place.begin() + offset + count,
                             plain.begin() + offset));
      const unsigned int constant = b[offset];
      for (unsigned int i = 0; i < count; ++i) {
        unsigned int other = op == 3 ? constant : b[offset + i];
        ASSERT_EQ(plain[offset + i], model(op, a[offset + i], other, factor)) << op << " " << i;
      }
      for (unsigned int i = offset + count; i < 80; ++i) ASSERT_EQ(sse2[i], 0xDEADBEEFu);
    }
}

}  // namespace
