// Binary layouts of math values in a file: file_trait_t<T>::write puts a
// value's floats into any file_t, little-endian, 4 bytes each, in member
// order, one file call per float; read takes them back the same way. Strings
// travel as an 8-byte length and their bytes (string::write, mstring_t::read,
// defined beside these).
//
//   quarn::file_trait_t<quarn::placement_t>::write(pose, *file);  // 7 floats
//   bool whole = quarn::file_trait_t<quarn::aabox_t>::read(&box, *file);
//
// A failed read stores 0 into the float it was reading and leaves the later
// ones as they were; plane_t (normalised on reading) and aabox_t change only
// when all their floats were read.
#pragma once

#include "qxcore/fs/file.h"
#include "qxcore/math/aabox.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/placement.h"
#include "qxcore/math/plane.h"
#include "qxcore/math/quat.h"
#include "qxcore/math/sphere.h"
#include "qxcore/math/vec.h"

namespace quarn {

template <class T>
struct QX_API file_trait_t {
  static bool read(T* out, file_t& file);           // false at the first float not read
  static bool write(const T& value, file_t& file);  // false at the first float not written
};

// Built only once all their floats are in: the plane is normalised, the box
// stored whole.
template <>
bool file_trait_t<plane_t>::read(plane_t* out, file_t& file);
template <>
bool file_trait_t<aabox_t>::read(aabox_t* out, file_t& file);

// vec_t and mat_sq_t carry no export mark, which would hide these instantiations;
// so they are marked again here.
extern template struct QX_API file_trait_t<vec_t<float, 2>>;     //  2 floats: x y
extern template struct QX_API file_trait_t<vec_t<float, 3>>;     //  3 floats: x y z
extern template struct QX_API file_trait_t<vec_t<float, 4>>;     //  4 floats: x y z w
extern template struct QX_API file_trait_t<mat_sq_t<float, 2>>;  //  4 floats: m[0..3]
extern template struct QX_API file_trait_t<mat_sq_t<float, 3>>;  //  9 floats: m[0..8]
extern template struct QX_API file_trait_t<mat_sq_t<float, 4>>;  // 16 floats: m[0..15]
extern template struct file_trait_t<quat_t>;                     //  4 floats: w x y z
extern template struct file_trait_t<placement_t>;                //  7: pos, rot
extern template struct file_trait_t<placement_scale_t>;          //  8: pos, scale, rot
extern template struct file_trait_t<placement_nonuniform_t>;     // 10: pos, scale (3), rot
extern template struct file_trait_t<sphere_t>;                   //  4: center, radius
extern template struct file_trait_t<plane_t>;                    //  4: normal, d
extern template struct file_trait_t<aabox_t>;                    //  6: min, max

}  // namespace quarn
