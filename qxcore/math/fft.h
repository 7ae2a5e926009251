// Fast Fourier transforms of power-of-two sizes, in place on arrays of
// complex_t<float>: fft1d for one dimension, fft2d for a row-major grid.
//
//   quarn::fft1d(samples, 10, quarn::FFT_METHOD_FORWARD);  // 1024 values
//   quarn::fft1d(samples, 10, quarn::FFT_METHOD_INVERSE);  // back, divided by 1024
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// Real part, then imaginary part; arrays of them are contiguous floats.
template <class T>
struct complex_t {
  T re;
  T im;
};
static_assert(sizeof(complex_t<float>) == 2 * sizeof(float));

// A bit set. Bit 0 picks the exponent's sign (set: e^{+iθ}, clear: e^{−iθ});
// bit 1 divides every result by the number of values transformed. Other bits
// are ignored.
enum fft_method_t : unsigned int {
  FFT_METHOD_FORWARD = 0,            // e^{−iθ}, not divided
  FFT_METHOD_POSITIVE_EXPONENT = 1,  // e^{+iθ}
  FFT_METHOD_NORMALIZE = 2,          // divide by the count
  FFT_METHOD_INVERSE = 3,            // e^{+iθ}, divided: undoes FFT_METHOD_FORWARD
};
inline fft_method_t operator|(fft_method_t a, fft_method_t b) {
  return static_cast<fft_method_t>(static_cast<unsigned int>(a) | static_cast<unsigned int>(b));
}

// Each byte value with its 8 bits in reverse order (entry 1 is 128, entry 2
// is 64); wider indices are reversed byte by byte.
QX_API extern const unsigned char bit_reversed_values[256];

// Transforms the 2^log2_count values at `data` in place. At most 2^31 values;
// a larger size or null data is reported and leaves nothing changed.
QX_API void fft1d(complex_t<float>* data, unsigned int log2_count, fft_method_t method);

// Transforms 2^log2_rows rows of 2^log2_columns values (row-major) in place:
// every row, then every column; bit 1 divides by the total count. Scratch
// storage (a column block and the twiddle factors) comes from the vector
// hook; when it is refused, or the grid has more than 2^31 values, the error
// is reported and the data is left unchanged.
QX_API void fft2d(complex_t<float>* data, unsigned int log2_rows, unsigned int log2_columns,
                  fft_method_t method);

}  // namespace quarn
