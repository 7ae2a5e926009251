// Fourier transforms against a direct DFT computed in double precision, for
// every size from 1 to 4096 values, both exponent signs, divided or not. The
// error allowed is a float-rounding bound that grows with log2 of the size,
// far below what any wrong factor, sign or index would give.
#include "qxcore/math/fft.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using quarn::complex_t;
using quarn::fft_method_t;
using cfloat = complex_t<float>;
using cdouble = std::complex<double>;

constexpr double PI = 3.14159265358979323846;

std::vector<cfloat> random_values(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-1, 1);
  std::vector<cfloat> v(n);
  for (cfloat& c : v) c = {d(rng), d(rng)};
  return v;
}

// X[k] = Σj x[j]·e^{±2πi·jk/n}, divided by n when asked; the exponent's index
// jk is reduced mod n so every factor is an exact table entry.
std::vector<cdouble> dft(const std::vector<cdouble>& x, bool positive, bool divide) {
  const std::size_t n = x.size();
  std::vector<cdouble> e(n), out(n);
  for (std::size_t t = 0; t < n; ++t)
    e[t] = std::polar(1.0, (positive ? 2 : -2) * PI * double(t) / double(n));
  for (std::size_t k = 0; k < n; ++k) {
    cdouble s = 0;
    for (std::size_t j = 0; j < n; ++j) s += x[j] * e[(j * k) % n];
    out[k] = divide ? s / double(n) : s;
  }
  return out;
}

// The 2-D transform is separable: the DFT of every row, then of every column.
std::vector<cdouble> dft2(std::vector<cdouble> x, std::size_t rows, std::size_t cols, bool positive,
                          bool divide) {
  for (std::size_t r = 0; r < rows; ++r) {
    std::vector<cdouble> row(x.begin() + r * cols, x.begin() + (r + 1) * cols);
    row = dft(row, positive, false);
    std::copy(row.begin(), row.end(), x.begin() + r * cols);
  }
  for (std::size_t c = 0; c < cols; ++c) {
    std::vector<cdouble> col(rows);
    for (std::size_t r = 0; r < rows; ++r) col[r] = x[r * cols + c];
    col = dft(col, positive, false);
    for (std::size_t r = 0; r < rows; ++r)
      x[r * cols + c] = divide ? col[r] / double(rows * cols) : col[r];
  }
  return x;
}

std::vector<cdouble> to_double(const std::vector<cfloat>& v) {
  std::vector<cdouble> d(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) d[i] = {v[i].re, v[i].im};
  return d;
}

// ‖got − want‖ / ‖want‖ over all values.
double relative_error(const std::vector<cfloat>& got, const std::vector<cdouble>& want) {
  double diff = 0, norm = 0;
  for (std::size_t i = 0; i < got.size(); ++i) {
    diff += std::norm(cdouble(got[i].re, got[i].im) - want[i]);
    norm += std::norm(want[i]);
  }
  return std::sqrt(diff / norm);
}

// Each radix-2 stage adds a few roundings of relative size FLT_EPSILON/2 to
// every value, and they add up like a random walk, so the overall relative
// error stays well below one epsilon per stage (plus one for the input).
double bound(unsigned int log2) { return FLT_EPSILON * (log2 + 1); }

const fft_method_t METHODS[] = {quarn::FFT_METHOD_FORWARD, quarn::FFT_METHOD_POSITIVE_EXPONENT,
                                quarn::FFT_METHOD_NORMALIZE, quarn::FFT_METHOD_INVERSE};

TEST(Fft, OneDimensionMatchesTheDirectTransformAtEverySize) {
  for (unsigned int k = 0; k <= 12; ++k) {
    const std::vector<cfloat> input = random_values(std::size_t{1} << k, 100 + k);
    for (fft_method_t method : METHODS) {
      std::vector<cfloat> data = input;
      quarn::fft1d(data.data(), k, method);
      const auto want = dft(to_double(input), method & 1, method & 2);
      EXPECT_LE(relative_error(data, want), bound(k)) << "size 2^" << k << " method " << method;
    }
  }
}

TEST(Fft, TwoDimensionsMatchTheDirectTransformForEveryShape) {
  for (unsigned int total = 0; total <= 12; ++total) {
    // Square-ish, all rows and all columns.
    const unsigned int shapes[][2] = {{total / 2, total - total / 2}, {0, total}, {total, 0}};
    for (const auto& shape : shapes) {
      const std::size_t rows = std::size_t{1} << shape[0], cols = std::size_t{1} << shape[1];
      const std::vector<cfloat> input = random_values(rows * cols, 200 + total);
      for (fft_method_t method : METHODS) {
        std::vector<cfloat> data = input;
        quarn::fft2d(data.data(), shape[0], shape[1], method);
        const auto want = dft2(to_double(input), rows, cols, method & 1, method & 2);
        EXPECT_LE(relative_error(data, want), bound(total))
            << rows << "x" << cols << " method " << method;
      }
    }
  }
}

TEST(Fft, DesignedSmallCases) {
  // An impulse has a flat spectrum.
  std::vector<cfloat> v = {{1, 0}, {0, 0}, {0, 0}, {0, 0}};
  quarn::fft1d(v.data(), 2, quarn::FFT_METHOD_FORWARD);
  for (const cfloat& c : v) {
    EXPECT_EQ(c.re, 1.0f);
    EXPECT_EQ(c.im, 0.0f);
  }
  // One value divided by 1 stays.
  cfloat one = {3.5f, -2.0f};
  quarn::fft1d(&one, 0, quarn::FFT_METHOD_NORMALIZE);
  EXPECT_EQ(one.re, 3.5f);
  EXPECT_EQ(one.im, -2.0f);
  // x[j] = e^{+2πi·j/8} puts everything in bin 1 of the negative-exponent
  // transform... and in bin 7 of the positive one.
  for (int sign : {-1, 1}) {
    std::vector<cfloat> w(8);
    for (int j = 0; j < 8; ++j)
      w[j] = {float(std::cos(2 * PI * j / 8)), float(std::sin(2 * PI * j / 8))};
    quarn::fft1d(w.data(), 3,
                 sign < 0 ? quarn::FFT_METHOD_FORWARD : quarn::FFT_METHOD_POSITIVE_EXPONENT);
    const int peak = sign < 0 ? 1 : 7;
    for (int k = 0; k < 8; ++k) {
      EXPECT_NEAR(w[k].re, k == peak ? 8 : 0, 1e-5) << k;
      EXPECT_NEAR(w[k].im, 0, 1e-5) << k;
    }
  }
}

TEST(Fft, ForwardThenInverseRestoresTheInput) {
  struct {
    unsigned int rows, cols;
  } cases[] = {{0, 0}, {0, 14}, {14, 0}, {5, 9}, {9, 5}, {16, 0}};
  for (const auto& c : cases) {
    const std::vector<cfloat> input = random_values(std::size_t{1} << (c.rows + c.cols), 7);
    std::vector<cfloat> data = input;
    if (c.rows == 0) {
      quarn::fft1d(data.data(), c.cols, quarn::FFT_METHOD_FORWARD);
      quarn::fft1d(data.data(), c.cols, quarn::FFT_METHOD_INVERSE);
    } else {
      quarn::fft2d(data.data(), c.rows, c.cols, quarn::FFT_METHOD_FORWARD);
      quarn::fft2d(data.data(), c.rows, c.cols, quarn::FFT_METHOD_INVERSE);
    }
    EXPECT_LE(relative_error(data, to_double(input)), 2 * bound(c.rows + c.cols))
        << c.rows << " " << c.cols;
  }
}

TEST(Fft, WithoutScratchMemory) {
  // A large 1-D transform falls back to factors computed stage by stage and
  // is still right; a 2-D one reports and leaves the data alone.
  const std::vector<cfloat> input = random_values(8192, 3);
  std::vector<cfloat> data = input;
  {
    qxtest::allocation_failure_scope_t refuse(0);
    quarn::fft1d(data.data(), 13, quarn::FFT_METHOD_FORWARD);
  }
  EXPECT_LE(relative_error(data, dft(to_double(input), false, false)), bound(13));

  qxtest::capture_sink_t sink;
  data = input;
  {
    qxtest::allocation_failure_scope_t refuse(0);
    quarn::fft2d(data.data(), 6, 7, quarn::FFT_METHOD_FORWARD);
  }
  ASSERT_EQ(sink.errors().size(), 1u);
  // 64 twiddle factors and an 8-column block of 64 rows, 8 bytes each.
  EXPECT_EQ(sink.errors()[0], "[math] fft2d: cannot allocate 4608 bytes of scratch storage");
  EXPECT_EQ(relative_error(data, to_double(input)), 0.0);
}

TEST(Fft, BadArgumentsAreReported) {
  qxtest::capture_sink_t sink;
  cfloat v[2] = {{1, 2}, {3, 4}};
  quarn::fft1d(nullptr, 3, quarn::FFT_METHOD_FORWARD);
  quarn::fft1d(v, 32, quarn::FFT_METHOD_FORWARD);
  quarn::fft2d(nullptr, 1, 1, quarn::FFT_METHOD_FORWARD);
  quarn::fft2d(v, 16, 16, quarn::FFT_METHOD_FORWARD);
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{
                "[math] fft1d: no data to transform",
                "[math] fft1d: 2^32 values are more than a transform can index",
                "[math] fft2d: no data to transform",
                "[math] fft2d: 2^16 by 2^16 values are more than a transform can index"}));
  EXPECT_EQ(v[0].re, 1.0f);
  EXPECT_EQ(v[1].im, 4.0f);
}

TEST(Fft, BitReversedValues) {
  // Each entry, reversed again by shifting bits one at a time, gives its index.
  for (unsigned int i = 0; i < 256; ++i) {
    unsigned int back = 0;
    for (int b = 0; b < 8; ++b) back |= ((quarn::bit_reversed_values[i] >> b) & 1u) << (7 - b);
    EXPECT_EQ(back, i);
  }
  EXPECT_EQ(quarn::bit_reversed_values[1], 128);
  EXPECT_EQ(quarn::bit_reversed_values[2], 64);
  EXPECT_EQ(quarn::bit_reversed_values[0x0F], 0xF0);
}

}  // namespace
