// Internal: the pieces the transforms of fft.cpp are made of — twiddle
// tables, the bit-reversal permutation and the butterfly passes. Not part of
// the exported interface.
#pragma once

#include <cstddef>

#include "qxcore/math/fft.h"

namespace quarn::fft_detail {

using cfloat = complex_t<float>;

// table[k] = e^{±2πik/n} for k < n/2 (+ when `positive`); n a power of two
// from 2. A table for n serves every smaller power of two too: stage m of a
// transform reads entry k·n/(2m) for its factor k.
void fill_twiddles(cfloat* table, std::size_t n, bool positive);

// The reversal of the lowest `bits` bits of i (bits ≤ 32), byte by byte.
unsigned int reverse_bits(unsigned int i, unsigned int bits);

// Moves value i to the bit-reversed index of i, for all 2^log2 values.
void bit_reverse(cfloat* data, unsigned int log2);

// All butterfly stages of a transform of 2^log2 values already in
// bit-reversed order, with factors from a table made for table_n ≥ 2^log2
// values (transforms of up to 4 values need no table).
void butterflies(cfloat* data, unsigned int log2, const cfloat* table, std::size_t table_n,
                 bool positive);

// The same stages without a table: one sine and cosine per factor and stage,
// computed as the stage reaches it, so nothing beyond the data is needed.
void butterflies_unbuffered(cfloat* data, unsigned int log2, bool positive);

// Multiplies both parts of n values by f.
void scale(cfloat* data, std::size_t n, float f);

}  // namespace quarn::fft_detail
