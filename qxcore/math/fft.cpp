// The transforms' entries, the bit-reversal permutation and the twiddle
// tables; the butterfly passes are in fft_passes.cpp.
#include "qxcore/math/fft.h"

#include <cmath>
#include <cstdint>

#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"
#include "qxcore/math/fft_passes.h"

namespace quarn {

namespace {

constexpr unsigned char reversed_byte(unsigned int b) {
  unsigned int r = 0;
  for (int i = 0; i < 8; ++i) r |= ((b >> i) & 1u) << (7 - i);
  return static_cast<unsigned char>(r);
}

// Indices are 32-bit and reversed over 32 bits, so 2^31 values is the most
// a transform can address.
constexpr unsigned int MAX_LOG2 = 31;

// A transform of up to this many values keeps its twiddle table on the stack.
constexpr std::size_t STACK_TABLE_VALUES = 4096;

}  // namespace

// Constant data, worked out at compile time.
const unsigned char bit_reversed_values[256] = {
#define QX_B4(i) reversed_byte(i), reversed_byte(i + 1), reversed_byte(i + 2), reversed_byte(i + 3)
#define QX_B16(i) QX_B4(i), QX_B4(i + 4), QX_B4(i + 8), QX_B4(i + 12)
#define QX_B64(i) QX_B16(i), QX_B16(i + 16), QX_B16(i + 32), QX_B16(i + 48)
    QX_B64(0), QX_B64(64), QX_B64(128), QX_B64(192)
#undef QX_B64
#undef QX_B16
#undef QX_B4
};

namespace fft_detail {

unsigned int reverse_bits(unsigned int i, unsigned int bits) {
  if (bits == 0) return 0;
  const unsigned int r = static_cast<unsigned int>(bit_reversed_values[i & 0xFF]) << 24 |
                         static_cast<unsigned int>(bit_reversed_values[(i >> 8) & 0xFF]) << 16 |
                         static_cast<unsigned int>(bit_reversed_values[(i >> 16) & 0xFF]) << 8 |
                         bit_reversed_values[i >> 24];
  return r >> (32 - bits);
}

// An index splits into its top h bits a, an optional middle bit and its low
// h bits b; the reversal exchanges reversed a and reversed b. Walking a and,
// for every a, only the c = reversed(b) above it meets each pair that moves
// exactly once, so there is no compare-and-branch per index.
void bit_reverse_pairs(cfloat* x, unsigned int log2) {
  const unsigned int h = log2 / 2;
  const std::size_t half = std::size_t{1} << h;
  const std::size_t top = std::size_t{1} << (log2 - h);  // weight of a
  const std::size_t middles = top / half;                // 1 or 2
  for (std::size_t a = 0; a < half; ++a) {
    const std::size_t ra = reverse_bits(static_cast<unsigned int>(a), h);
    for (std::size_t c = a + 1; c < half; ++c) {
      const std::size_t i = a * top + reverse_bits(static_cast<unsigned int>(c), h);
      const std::size_t j = c * top + ra;
      for (std::size_t mid = 0; mid < middles; ++mid) {
        const cfloat t = x[i + mid * half];
        x[i + mid * half] = x[j + mid * half];
        x[j + mid * half] = t;
      }
    }
  }
}

// Larger sizes go by tiles, so every cache line that is read or written is
// used whole: an index is (a, m, b) with 3-bit a and b around the middle
// bits m, and its reversal is (rev b, rev m, rev a). The 8 × 8 values of one
// m (eight runs of eight neighbours) therefore land, transposed, in the tile
// of rev m; the two tiles are read into a buffer and written back exchanged.
void bit_reverse_tiles(cfloat* x, unsigned int log2) {
  static constexpr std::size_t REV3[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  const unsigned int middle_bits = log2 - 6;
  const std::size_t row = std::size_t{1} << (log2 - 3);  // weight of a
  cfloat tile[2][8][8];
  for (std::size_t m = 0; m >> middle_bits == 0; ++m) {
    const std::size_t rm = reverse_bits(static_cast<unsigned int>(m), middle_bits);
    if (rm < m) continue;  // exchanged when rm was met
    const std::size_t bases[2] = {m * 8, rm * 8};
    const int tiles = rm == m ? 1 : 2;
    for (int t = 0; t < tiles; ++t)
      for (std::size_t a = 0; a < 8; ++a)
        for (std::size_t b = 0; b < 8; ++b) tile[t][a][b] = x[a * row + bases[t] + b];
    for (int t = 0; t < tiles; ++t)
      for (std::size_t a = 0; a < 8; ++a)
        for (std::size_t b = 0; b < 8; ++b)
          x[REV3[b] * row + bases[tiles - 1 - t] + REV3[a]] = tile[t][a][b];
  }
}

void bit_reverse(cfloat* x, unsigned int log2) {
  if (log2 < 2) return;
  if (log2 < 6)
    bit_reverse_pairs(x, log2);
  else
    bit_reverse_tiles(x, log2);
}

// The cosines and sines of the first eighth of the circle are computed in
// double by rotation (exact sine-cosine pairs for one step and one block of
// 64 steps), then the table is completed by symmetry. Rotation errors grow
// with the number of steps, but stay orders of magnitude below a float's
// rounding even for 2^31 values.
void fill_twiddles(cfloat* table, std::size_t n, bool positive) {
  const std::size_t half = n / 2, quarter = n / 4, eighth = n / 8;
  const float s = positive ? 1.0f : -1.0f;
  table[0] = {1.0f, 0.0f};
  if (n < 4) return;
  table[quarter] = {0.0f, s};
  if (n < 8) return;
  constexpr std::size_t BLOCK = 64;
  const double step = 6.283185307179586476925 / static_cast<double>(n);
  const double step_c = std::cos(step), step_s = std::sin(step);
  const double block_c = std::cos(step * BLOCK), block_s = std::sin(step * BLOCK);
  double base_c = 1.0, base_s = 0.0;
  for (std::size_t k0 = 0; k0 <= eighth; k0 += BLOCK) {
    double c = base_c, si = base_s;
    for (std::size_t k = k0; k < k0 + BLOCK && k <= eighth; ++k) {
      const float fc = static_cast<float>(c), fs = static_cast<float>(si);
      table[k] = {fc, s * fs};
      table[quarter - k] = {fs, s * fc};
      table[quarter + k] = {-fs, s * fc};
      if (k > 0) table[half - k] = {-fc, s * fs};
      const double nc = c * step_c - si * step_s;
      si = si * step_c + c * step_s;
      c = nc;
    }
    const double nc = base_c * block_c - base_s * block_s;
    base_s = base_s * block_c + base_c * block_s;
    base_c = nc;
  }
}

void scale(cfloat* x, std::size_t n, float f) {
  float* p = &x->re;
  for (std::size_t i = 0; i < 2 * n; ++i) p[i] *= f;
}

}  // namespace fft_detail

using fft_detail::cfloat;

void fft1d(cfloat* data, unsigned int log2_count, fft_method_t method) {
  if (data == nullptr) {
    error("[math] fft1d: no data to transform");
    return;
  }
  if (log2_count > MAX_LOG2) {
    error("[math] fft1d: 2^%u values are more than a transform can index", log2_count);
    return;
  }
  const std::size_t n = std::size_t{1} << log2_count;
  const bool positive = (method & FFT_METHOD_POSITIVE_EXPONENT) != 0;
  fft_detail::bit_reverse(data, log2_count);
  if (n <= 4) {
    fft_detail::butterflies(data, log2_count, nullptr, n, positive);
  } else if (n <= STACK_TABLE_VALUES) {
    cfloat table[STACK_TABLE_VALUES / 2];
    fft_detail::fill_twiddles(table, n, positive);
    fft_detail::butterflies(data, log2_count, table, n, positive);
  } else if (auto* table = static_cast<cfloat*>(host_alloc_vector(n / 2 * sizeof(cfloat)))) {
    fft_detail::fill_twiddles(table, n, positive);
    fft_detail::butterflies(data, log2_count, table, n, positive);
    host_free_vector(table);
  } else {
    // Without room for a table the factors are computed stage by stage.
    fft_detail::butterflies_unbuffered(data, log2_count, positive);
  }
  if ((method & FFT_METHOD_NORMALIZE) != 0 && n > 1)
    fft_detail::scale(data, n, 1.0f / static_cast<float>(n));
}

void fft2d(cfloat* data, unsigned int log2_rows, unsigned int log2_columns, fft_method_t method) {
  if (data == nullptr) {
    error("[math] fft2d: no data to transform");
    return;
  }
  if (log2_rows > MAX_LOG2 || log2_columns > MAX_LOG2 || log2_rows + log2_columns > MAX_LOG2) {
    error("[math] fft2d: 2^%u by 2^%u values are more than a transform can index", log2_rows,
          log2_columns);
    return;
  }
  const std::size_t rows = std::size_t{1} << log2_rows, columns = std::size_t{1} << log2_columns;
  const bool positive = (method & FFT_METHOD_POSITIVE_EXPONENT) != 0;
  const bool normalize = (method & FFT_METHOD_NORMALIZE) != 0 && rows * columns > 1;
  const float factor = 1.0f / static_cast<float>(rows * columns);

  // Columns are transformed a block at a time: eight values are one cache
  // line of each row, so a column block costs one pass over the rows.
  const std::size_t block = rows > 1 ? (columns < 8 ? columns : 8) : 0;
  const std::size_t longest = rows > columns ? rows : columns;
  const std::size_t table_values = longest > 4 ? longest / 2 : 0;
  const std::size_t scratch_values = table_values + block * rows;
  cfloat* scratch = nullptr;
  if (scratch_values > 0) {
    scratch = static_cast<cfloat*>(host_alloc_vector(scratch_values * sizeof(cfloat)));
    if (scratch == nullptr) {
      error("[math] fft2d: cannot allocate %zu bytes of scratch storage",
            scratch_values * sizeof(cfloat));
      return;
    }
  }
  cfloat* table = table_values > 0 ? scratch : nullptr;
  cfloat* column = scratch + table_values;
  if (table != nullptr) fft_detail::fill_twiddles(table, longest, positive);

  if (columns > 1) {
    for (std::size_t r = 0; r < rows; ++r) {
      cfloat* row = data + r * columns;
      fft_detail::bit_reverse(row, log2_columns);
      fft_detail::butterflies(row, log2_columns, table, longest, positive);
    }
  }
  if (rows > 1) {
    for (std::size_t c0 = 0; c0 < columns; c0 += block) {
      // Gathered straight into bit-reversed order.
      for (std::size_t r = 0; r < rows; ++r) {
        const std::size_t to = fft_detail::reverse_bits(static_cast<unsigned int>(r), log2_rows);
        const cfloat* from = data + r * columns + c0;
        for (std::size_t b = 0; b < block; ++b) column[b * rows + to] = from[b];
      }
      for (std::size_t b = 0; b < block; ++b)
        fft_detail::butterflies(column + b * rows, log2_rows, table, longest, positive);
      const float f = normalize ? factor : 1.0f;
      for (std::size_t r = 0; r < rows; ++r) {
        cfloat* to = data + r * columns + c0;
        for (std::size_t b = 0; b < block; ++b)
          to[b] = {column[b * rows + r].re * f, column[b * rows + r].im * f};
      }
    }
  } else if (normalize) {
    fft_detail::scale(data, columns, factor);
  }
  host_free_vector(scratch);
}

}  // namespace quarn
