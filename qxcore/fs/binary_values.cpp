// Strings and math values through a file_t. The math types are plain float
// records whose members lie in the order of their file layout, so each is
// moved as an array of floats.
#include "qxcore/fs/binary_values.h"

#include <bit>

#include "qxcore/math/plane_equations.h"

namespace quarn {

// The layouts are little-endian; the bytes of a float go to the file as they are.
static_assert(std::endian::native == std::endian::little);

namespace {

template <class T>
constexpr unsigned int float_count = sizeof(T) / sizeof(float);

bool write_floats(const float* f, unsigned int count, file_t& file) {
  for (unsigned int i = 0; i < count; ++i)
    if (!file.write(&f[i], sizeof(float))) return false;
  return true;
}

// Stores each float as it arrives; the one that fails becomes 0.
bool read_floats(float* f, unsigned int count, file_t& file) {
  for (unsigned int i = 0; i < count; ++i) {
    if (!file.read(&f[i], sizeof(float))) {
      f[i] = 0.0f;
      return false;
    }
  }
  return true;
}

}  // namespace

bool string::write(file_t& file) const {
  const unsigned int n = length();
  const unsigned int header[2] = {n, 0};
  if (!file.write(header, sizeof(header))) return false;
  for (unsigned int i = 0; i < n; ++i)
    if (!file.write(&text_[i], 1)) return false;
  return true;
}

bool mstring_t::read(file_t& file) {
  unsigned int header[2];
  if (!file.read(header, sizeof(header))) return false;
  const unsigned int n = header[0];    // the high word is not looked at
  if (n == 0xFFFFFFFFu) return false;  // no room for the terminator
  if (can_grow()) reserve(n + 1);
  if (capacity() < n + 1) return false;
  char* text = data();
  for (unsigned int i = 0; i < n; ++i) {
    if (!file.read(&text[i], 1)) {
      text[i] = '\0';
      return false;
    }
  }
  text[n] = '\0';
  return true;
}

template <class T>
bool file_trait_t<T>::write(const T& value, file_t& file) {
  return write_floats(reinterpret_cast<const float*>(&value), float_count<T>, file);
}

template <class T>
bool file_trait_t<T>::read(T* out, file_t& file) {
  return read_floats(reinterpret_cast<float*>(out), float_count<T>, file);
}

template <>
bool file_trait_t<plane_t>::read(plane_t* out, file_t& file) {
  vec_t<float, 4> equation;
  if (!read_floats(&equation.x, 4, file)) return false;
  plane_normalize(&equation, equation);
  *out = plane_t({equation.x, equation.y, equation.z}, equation.w);
  return true;
}

template <>
bool file_trait_t<aabox_t>::read(aabox_t* out, file_t& file) {
  aabox_t box;
  if (!read_floats(&box.min.x, 6, file)) return false;
  *out = box;
  return true;
}

template struct file_trait_t<vec_t<float, 2>>;
template struct file_trait_t<vec_t<float, 3>>;
template struct file_trait_t<vec_t<float, 4>>;
template struct file_trait_t<mat_sq_t<float, 2>>;
template struct file_trait_t<mat_sq_t<float, 3>>;
template struct file_trait_t<mat_sq_t<float, 4>>;
template struct file_trait_t<quat_t>;
template struct file_trait_t<placement_t>;
template struct file_trait_t<placement_scale_t>;
template struct file_trait_t<placement_nonuniform_t>;
template struct file_trait_t<sphere_t>;
template struct file_trait_t<plane_t>;
template struct file_trait_t<aabox_t>;

}  // namespace quarn
