// Fourier transforms against a direct DFT computed in double precision, for
// every size from 1 to 1024 values, both exponent signs, divided or not. The
// error allowed is a float-rounding bound that grows with log2 of the size,
// far below what any wrong factor, sign or index gives.
#include "qxcore/math/fft.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <complex>
#include <random>
#include <vector>

#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using cfloat = quarn::complex_t<float>;
using cdouble = std::complex<double>;

std::vector<cfloat> random_values(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-1, 1);
  std::vector<cfloat> v(n);
  for (cfloat& c : v) c = {d(rng), d(rng)};
  return v;
}

// X[k] = Σj x[j·step]·e^{±2πi·jk/n} for the n values from `first`, written
// back in place, divided by `divide`; jk is reduced mod n, so every factor
// is an exact table entry.
void dft(cdouble* first, std::size_t n, std::size_t step, bool positive, double divide) {
  std::vector<cdouble> e(n), x(n);
  for (std::size_t t = 0; t < n; ++t) {
    e[t] = std::polar(1.0, (positive ? 2 : -2) * 3.14159265358979323846 * double(t) / double(n));
    x[t] = first[t * step];
  }
  for (std::size_t k = 0; k < n; ++k) {
    cdouble s = 0;
    for (std::size_t j = 0; j < n; ++j) s += x[j] * e[(j * k) % n];
    first[k * step] = s / divide;
  }
}

std::vector<cdouble> to_double(const std::vector<cfloat>& in) {
  std::vector<cdouble> x(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) x[i] = {in[i].re, in[i].im};
  return x;
}

// The reference of a rows × cols transform: every row, then every column
// (the 2-D DFT is separable).
std::vector<cdouble> reference(const std::vector<cfloat>& in, std::size_t rows, std::size_t cols,
                               quarn::fft_method_t method) {
  std::vector<cdouble> x = to_double(in);
  const bool positive = method & 1;
  for (std::size_t r = 0; r < rows; ++r) dft(&x[r * cols], cols, 1, positive, 1);
  for (std::size_t c = 0; c < cols; ++c)
    dft(&x[c], rows, cols, positive, (method & 2) ? double(rows * cols) : 1);
  return x;
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
// every value; they add up like a random walk, so the relative error stays
// well below one epsilon per stage (plus one for the input).
double bound(unsigned int log2) { return FLT_EPSILON * (log2 + 1); }

const quarn::fft_method_t METHODS[] = {quarn::FFT_METHOD_FORWARD, quarn::FFT_METHOD_INVERSE,
                                       quarn::FFT_METHOD_POSITIVE_EXPONENT,
                                       quarn::FFT_METHOD_NORMALIZE};

TEST(Fft, MatchesTheDirectTransformAtEverySizeAndShape) {
  for (unsigned int total = 0; total <= 10; ++total) {
    // One dimension; then square-ish, a single column and a single row.
    const int shapes[][2] = {{-1, int(total)},
                             {int(total / 2), int(total - total / 2)},
                             {int(total), 0},
                             {0, int(total)}};
    for (const auto& shape : shapes) {
      const unsigned int r = shape[0] < 0 ? 0 : shape[0], c = shape[1];
      const std::vector<cfloat> input = random_values(std::size_t{1} << total, 100 + total);
      for (quarn::fft_method_t method : METHODS) {
        std::vector<cfloat> data = input;
        if (shape[0] < 0)
          quarn::fft1d(data.data(), c, method);
        else
          quarn::fft2d(data.data(), r, c, method);
        const auto want = reference(input, std::size_t{1} << r, std::size_t{1} << c, method);
        ASSERT_LE(relative_error(data, want), bound(total))
            << shape[0] << " x " << shape[1] << " method " << method;
      }
    }
  }
}

TEST(Fft, LargeRoundTripsAndTheByteTable) {
  // Forward, then the divided inverse, restores sizes beyond the DFT's reach.
  for (unsigned int rows : {0u, 7u, 16u}) {
    const std::vector<cfloat> input = random_values(std::size_t{1} << 16, rows);
    std::vector<cfloat> data = input;
    quarn::fft2d(data.data(), rows, 16 - rows, quarn::FFT_METHOD_FORWARD);
    quarn::fft2d(data.data(), rows, 16 - rows, quarn::FFT_METHOD_INVERSE);
    EXPECT_LE(relative_error(data, to_double(input)), 2 * bound(16)) << rows;
  }
  // The byte table, reversed once more bit by bit, gives back each index.
  for (unsigned int i = 0; i < 256; ++i) {
    unsigned int back = 0;
    for (int b = 0; b < 8; ++b) back |= ((quarn::bit_reversed_values[i] >> b) & 1u) << (7 - b);
    ASSERT_EQ(back, i);
  }
  EXPECT_EQ(quarn::bit_reversed_values[1], 128);
}

TEST(Fft, RefusedScratchAndBadArguments) {
  // A large 1-D transform falls back to factors computed stage by stage and
  // is still right; a 2-D one reports and leaves the data alone.
  const std::vector<cfloat> input = random_values(8192, 3);
  std::vector<cfloat> data = input, grid = input;
  qxtest::capture_sink_t sink;
  {
    qxtest::allocation_failure_scope_t refuse(0);
    quarn::fft1d(data.data(), 13, quarn::FFT_METHOD_FORWARD);
    quarn::fft2d(grid.data(), 6, 7, quarn::FFT_METHOD_FORWARD);
  }
  EXPECT_LE(relative_error(data, reference(input, 1, 8192, quarn::FFT_METHOD_FORWARD)), bound(13));
  EXPECT_EQ(relative_error(grid, to_double(input)), 0.0);
  cfloat v[2] = {{1, 2}, {3, 4}};
  quarn::fft1d(nullptr, 3, quarn::FFT_METHOD_FORWARD);
  quarn::fft1d(v, 32, quarn::FFT_METHOD_FORWARD);
  quarn::fft2d(nullptr, 1, 1, quarn::FFT_METHOD_FORWARD);
  quarn::fft2d(v, 16, 16, quarn::FFT_METHOD_FORWARD);
  EXPECT_TRUE(v[0].re == 1.0f && v[1].im == 4.0f);
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{
                // 64 factors for the longer side and 8 columns of 64 rows, 8 bytes each
                "[math] fft2d: cannot allocate 4608 bytes of scratch storage",
                "[math] fft1d: no data to transform",
                "[math] fft1d: 2^32 values are more than a transform can index",
                "[math] fft2d: no data to transform",
                "[math] fft2d: 2^16 by 2^16 values are more than a transform can index"}));
}

}  // namespace
