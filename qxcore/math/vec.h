// Fixed-size float vectors: `vec_t<float, N>` for N = 2, 3, 4, with components
// x, y[, z[, w]] stored consecutively and nothing else, so arrays of them can be
// handed to the batch transforms as raw float records.
//
//   quarn::vec_t<float, 3> p{1, 2, 3};
//   float along = quarn::dot(p, quarn::cross(a, b));
#pragma once

#include <cmath>

namespace quarn {

template <class T, int N>
struct vec_t;

template <class T>
struct vec_t<T, 2> {
  T x, y;

  T& operator[](int i) { return (&x)[i]; }
  const T& operator[](int i) const { return (&x)[i]; }
};

template <class T>
struct vec_t<T, 3> {
  T x, y, z;

  T& operator[](int i) { return (&x)[i]; }
  const T& operator[](int i) const { return (&x)[i]; }
};

template <class T>
struct vec_t<T, 4> {
  T x, y, z, w;

  T& operator[](int i) { return (&x)[i]; }
  const T& operator[](int i) const { return (&x)[i]; }
};

static_assert(sizeof(vec_t<float, 2>) == 8 && sizeof(vec_t<float, 3>) == 12 &&
              sizeof(vec_t<float, 4>) == 16);

// Component-wise arithmetic. Sums run from x to w in order, so a result is the
// same whichever routine computes it.
template <class T, int N>
vec_t<T, N> operator+(const vec_t<T, N>& a, const vec_t<T, N>& b) {
  vec_t<T, N> r;
  for (int i = 0; i < N; ++i) r[i] = a[i] + b[i];
  return r;
}
template <class T, int N>
vec_t<T, N> operator-(const vec_t<T, N>& a, const vec_t<T, N>& b) {
  vec_t<T, N> r;
  for (int i = 0; i < N; ++i) r[i] = a[i] - b[i];
  return r;
}
template <class T, int N>
vec_t<T, N> operator-(const vec_t<T, N>& a) {
  vec_t<T, N> r;
  for (int i = 0; i < N; ++i) r[i] = -a[i];
  return r;
}
template <class T, int N>
vec_t<T, N> operator*(const vec_t<T, N>& a, T f) {
  vec_t<T, N> r;
  for (int i = 0; i < N; ++i) r[i] = a[i] * f;
  return r;
}
template <class T, int N>
vec_t<T, N> operator*(T f, const vec_t<T, N>& a) {
  return a * f;
}
template <class T, int N>
vec_t<T, N> operator/(const vec_t<T, N>& a, T f) {
  vec_t<T, N> r;
  for (int i = 0; i < N; ++i) r[i] = a[i] / f;
  return r;
}
template <class T, int N>
vec_t<T, N>& operator+=(vec_t<T, N>& a, const vec_t<T, N>& b) {
  for (int i = 0; i < N; ++i) a[i] += b[i];
  return a;
}
template <class T, int N>
vec_t<T, N>& operator-=(vec_t<T, N>& a, const vec_t<T, N>& b) {
  for (int i = 0; i < N; ++i) a[i] -= b[i];
  return a;
}
template <class T, int N>
vec_t<T, N>& operator*=(vec_t<T, N>& a, T f) {
  for (int i = 0; i < N; ++i) a[i] *= f;
  return a;
}
template <class T, int N>
vec_t<T, N>& operator/=(vec_t<T, N>& a, T f) {
  for (int i = 0; i < N; ++i) a[i] /= f;
  return a;
}
// Exact comparison: a NaN component makes two vectors unequal.
template <class T, int N>
bool operator==(const vec_t<T, N>& a, const vec_t<T, N>& b) {
  for (int i = 0; i < N; ++i)
    if (!(a[i] == b[i])) return false;
  return true;
}
template <class T, int N>
bool operator!=(const vec_t<T, N>& a, const vec_t<T, N>& b) {
  return !(a == b);
}

template <class T, int N>
T dot(const vec_t<T, N>& a, const vec_t<T, N>& b) {
  T s = a[0] * b[0];
  for (int i = 1; i < N; ++i) s += a[i] * b[i];
  return s;
}
template <class T>
vec_t<T, 3> cross(const vec_t<T, 3>& a, const vec_t<T, 3>& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
template <class T, int N>
T length_squared(const vec_t<T, N>& a) {
  return dot(a, a);
}
template <class T, int N>
T length(const vec_t<T, N>& a) {
  return std::sqrt(dot(a, a));
}
// a / |a|; a zero vector gives NaNs, as a division by zero length should.
template <class T, int N>
vec_t<T, N> normalized(const vec_t<T, N>& a) {
  return a / length(a);
}

// The xyz part of a 4-vector (a plane's normal) and a 3-vector extended by w.
inline vec_t<float, 3> xyz(const vec_t<float, 4>& v) { return {v.x, v.y, v.z}; }
inline vec_t<float, 4> xyzw(const vec_t<float, 3>& v, float w) { return {v.x, v.y, v.z, w}; }

}  // namespace quarn
