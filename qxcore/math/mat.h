// The square float matrix, `mat_sq_t<float, 4>`: 16 consecutive floats m[0..15].
//
// A point p is transformed as a column vector on the right: component i of the
// result is m[4i]·x + m[4i+1]·y + m[4i+2]·z + m[4i+3], so the translation sits
// in m[3], m[7], m[11] and an affine matrix ends with the row (0, 0, 0, 1).
#pragma once

namespace quarn {

template <class T, int N>
struct mat_sq_t {
  T m[N * N];

  T& operator[](int i) { return m[i]; }
  const T& operator[](int i) const { return m[i]; }
};

static_assert(sizeof(mat_sq_t<float, 4>) == 64);

}  // namespace quarn
