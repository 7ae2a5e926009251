// Which attribute types each value type serves, and where a value lives:
// the tables behind the attribute value families (library-internal).
#pragma once

#include <type_traits>

#include "qxcore/units/unit_base.h"
#include "qxcore/units/unit_resource_tie.h"
#include "qxcore/units/unit_system.h"

namespace quarn::unit_values {

using mask_t = unsigned long long;

constexpr mask_t bits() { return 0; }
template <class... Rest>
constexpr mask_t bits(unit_attr_type_t first, Rest... rest) {
  return (1ull << first) | bits(rest...);
}

// The scalar types a value type T reads (get), writes (set, append,
// prepend; integers widen) and views or copies as a whole array (view).
// Array forms use the same masks on the array's element type.
template <class T>
struct rules_t;

template <unit_attr_type_t N>
struct single_type_rules_t {
  static constexpr mask_t get = bits(N), set = bits(N), view = bits(N);
};

template <> struct rules_t<int> {
  static constexpr mask_t get = bits(UAT_S32, UAT_S32_ALT, UAT_ENUM);
  static constexpr mask_t set = get | bits(UAT_S64);
  static constexpr mask_t view = get;
};
template <> struct rules_t<unsigned int> {
  static constexpr mask_t get = bits(UAT_U32, UAT_U32_ALT, UAT_U32_UNCHECKED);
  static constexpr mask_t set = get | bits(UAT_TOKEN, UAT_U64);
  static constexpr mask_t view = get;
};
template <> struct rules_t<long long> {
  static constexpr mask_t get = bits(UAT_S64, UAT_S32, UAT_S32_ALT, UAT_ENUM);
  static constexpr mask_t set = bits(UAT_S64);
  static constexpr mask_t view = set;
};
template <> struct rules_t<unsigned long long> {
  static constexpr mask_t get = bits(UAT_TOKEN, UAT_U64, UAT_U32, UAT_U32_ALT, UAT_U32_UNCHECKED);
  static constexpr mask_t set = bits(UAT_TOKEN, UAT_U64);
  static constexpr mask_t view = set;
};
template <> struct rules_t<bool> : single_type_rules_t<UAT_BOOL> {};
template <> struct rules_t<float> : single_type_rules_t<UAT_FLOAT> {};
template <> struct rules_t<unit_float2_t> : single_type_rules_t<UAT_FLOAT2> {};
template <> struct rules_t<unit_float3_t> : single_type_rules_t<UAT_FLOAT3> {};
template <> struct rules_t<unit_float4_t> : single_type_rules_t<UAT_FLOAT4> {};
template <> struct rules_t<unit_matrix_t> : single_type_rules_t<UAT_MATRIX> {};
template <> struct rules_t<quat_t> : single_type_rules_t<UAT_QUAT> {};
template <> struct rules_t<placement_t> : single_type_rules_t<UAT_PLACEMENT> {};
template <> struct rules_t<placement_scale_t> : single_type_rules_t<UAT_PLACEMENT_SCALE> {};
template <> struct rules_t<placement_nonuniform_t>
    : single_type_rules_t<UAT_PLACEMENT_NONUNIFORM> {};
template <> struct rules_t<plane_t> : single_type_rules_t<UAT_PLANE> {};
template <> struct rules_t<sphere_t> : single_type_rules_t<UAT_SPHERE> {};
template <> struct rules_t<aabox_t> : single_type_rules_t<UAT_AABOX> {};

// Whether `mask` serves `type` as a scalar (array false) or as an array.
inline bool serves(mask_t mask, unit_attr_type_t type, bool array) {
  if (type == UAT_NONE || type > UAT_LAST || (type % 2 == 0) != array) return false;
  unsigned int scalar = array ? type - 1 : type;
  return (mask >> scalar & 1) != 0;
}

// The first two steps every operation takes.
inline bool admits(const unit_base_t* unit, const unit_attribute_t* attribute) {
  if (attribute == nullptr) return false;
  const unit_descriptor_t* type = unit->get_unit_descriptor();
  // Most accesses name an attribute of the unit's own class.
  return type == attribute->owner || unit_system_t::inherits_from(type, attribute->owner);
}

// Calls f with a null S* for the type S that stores a scalar of `type` when
// values of type T are exchanged with it: integers may be stored wider or
// narrower than T; every other value is stored as T itself.
template <class T, class F>
bool with_storage(unit_attr_type_t scalar, F&& f) {
  if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
    switch (scalar) {
      case UAT_S32: case UAT_S32_ALT: case UAT_ENUM:
        return f(static_cast<int*>(nullptr));
      case UAT_U32: case UAT_U32_ALT: case UAT_U32_UNCHECKED:
        return f(static_cast<unsigned int*>(nullptr));
      case UAT_S64:
        return f(static_cast<long long*>(nullptr));
      case UAT_TOKEN: case UAT_U64:
        return f(static_cast<unsigned long long*>(nullptr));
      default:
        return false;
    }
  } else {
    return f(static_cast<T*>(nullptr));
  }
}

template <class S>
using storage_of_t = std::remove_pointer_t<S>;

// Calls f with a null S* for the element type S of arrays of `scalar`, for
// every scalar type; false for 0, the resource tie and unknown types.
template <class F>
bool with_element_storage(unit_attr_type_t scalar, F&& f) {
  switch (scalar) {
    case UAT_STRING: return f(static_cast<unit_string_t*>(nullptr));
    case UAT_TOKEN: case UAT_U64: return f(static_cast<unsigned long long*>(nullptr));
    case UAT_FLOAT: return f(static_cast<float*>(nullptr));
    case UAT_FLOAT2: return f(static_cast<unit_float2_t*>(nullptr));
    case UAT_FLOAT3: return f(static_cast<unit_float3_t*>(nullptr));
    case UAT_FLOAT4: return f(static_cast<unit_float4_t*>(nullptr));
    case UAT_MATRIX: return f(static_cast<unit_matrix_t*>(nullptr));
    case UAT_QUAT: return f(static_cast<quat_t*>(nullptr));
    case UAT_PLACEMENT: return f(static_cast<placement_t*>(nullptr));
    case UAT_PLACEMENT_SCALE: return f(static_cast<placement_scale_t*>(nullptr));
    case UAT_PLACEMENT_NONUNIFORM: return f(static_cast<placement_nonuniform_t*>(nullptr));
    case UAT_PLANE: return f(static_cast<plane_t*>(nullptr));
    case UAT_SPHERE: return f(static_cast<sphere_t*>(nullptr));
    case UAT_AABOX: return f(static_cast<aabox_t*>(nullptr));
    case UAT_S32: case UAT_S32_ALT: case UAT_ENUM: return f(static_cast<int*>(nullptr));
    case UAT_U32: case UAT_U32_ALT: case UAT_U32_UNCHECKED:
      return f(static_cast<unsigned int*>(nullptr));
    case UAT_S64: return f(static_cast<long long*>(nullptr));
    case UAT_BOOL: return f(static_cast<bool*>(nullptr));
    case UAT_OWNED_UNIT: case UAT_LINKED_UNIT: return f(static_cast<unit_base_t**>(nullptr));
    default: return false;
  }
}

inline unit_resource_tie_t* current_tie() { return unit_resource_tie_t::get_instance(); }

// Inserts `value` before position `at` (at == size: at the end); false,
// changing nothing, when the array cannot grow.
template <class S>
bool insert_element(array_t<S>& array, unsigned int at, const S& value) {
  if (!array.push_back(value)) return false;
  S* data = array.data();
  for (unsigned int i = array.size() - 1; i > at; --i) {
    S moved(static_cast<S&&>(data[i]));
    data[i] = static_cast<S&&>(data[i - 1]);
    data[i - 1] = static_cast<S&&>(moved);
  }
  return true;
}

// `out` becomes a copy of the array at `at`; false when it cannot grow.
template <class T>
bool copy_array(const void* at, array_t<T>* out) {
  const auto& array = *static_cast<const array_t<T>*>(at);
  if (out == &array) return true;
  out->clear();
  if (out->capacity() < array.size()) out->reserve(array.size());
  for (unsigned int i = 0; i < array.size(); ++i)
    if (!out->push_back(array.data()[i])) return false;
  return true;
}

// Where append_value (after index; END: at the end) and prepend_value
// (before index) insert into an array of `size`; false for a refused index.
inline bool append_position(unsigned int index, unsigned int size, unsigned int* at) {
  if (index == unit_base_t::END) {
    *at = size;
    return true;
  }
  if (index >= size) return false;
  *at = index + 1;
  return true;
}

inline bool prepend_position(unsigned int index, unsigned int size, unsigned int* at) {
  if (index >= size) return false;
  *at = index;
  return true;
}

}  // namespace quarn::unit_values
