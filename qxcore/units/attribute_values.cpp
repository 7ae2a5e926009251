// The value families of numbers, booleans and the math types: scalar and
// array element access, views and copies of arrays.
#include "qxcore/units/attribute_rules.h"

namespace quarn {

namespace {

using namespace unit_values;

template <class T>
bool read_scalar(const void* at, unit_attr_type_t type, T* out) {
  return with_storage<T>(type, [&](auto* tag) {
    using S = storage_of_t<decltype(tag)>;
    *out = static_cast<T>(*static_cast<const S*>(at));
    return true;
  });
}

template <class T>
bool write_scalar(void* at, unit_attr_type_t type, const T& value) {
  return with_storage<T>(type, [&](auto* tag) {
    using S = storage_of_t<decltype(tag)>;
    *static_cast<S*>(at) = static_cast<S>(value);
    return true;
  });
}

template <class T>
bool read_element(const void* at, unit_attr_type_t scalar, unsigned int index, T* out) {
  return with_storage<T>(scalar, [&](auto* tag) {
    using S = storage_of_t<decltype(tag)>;
    const auto& array = *static_cast<const array_t<S>*>(at);
    if (index >= array.size()) return false;
    *out = static_cast<T>(array.data()[index]);
    return true;
  });
}

template <class T>
bool write_element(void* at, unit_attr_type_t scalar, unsigned int index, const T& value) {
  return with_storage<T>(scalar, [&](auto* tag) {
    using S = storage_of_t<decltype(tag)>;
    auto& array = *static_cast<array_t<S>*>(at);
    if (index >= array.size()) return false;
    array.data()[index] = static_cast<S>(value);
    return true;
  });
}

// append (after `index`) or prepend (before it), by `position`.
template <class T>
bool insert_value(void* at, unit_attr_type_t scalar, unsigned int index, const T& value,
                  bool (*position)(unsigned int, unsigned int, unsigned int*)) {
  return with_storage<T>(scalar, [&](auto* tag) {
    using S = storage_of_t<decltype(tag)>;
    auto& array = *static_cast<array_t<S>*>(at);
    unsigned int where;
    return position(index, array.size(), &where) &&
           insert_element(array, where, static_cast<S>(value));
  });
}

}  // namespace

#define QX_UNIT_VALUE_FAMILY_BODY(T)                                                          \
  bool unit_base_t::_get_value(const unit_attribute_t* a, T* out) const {                     \
    return admits(this, a) && serves(rules_t<T>::get, a->type, false) &&                      \
           read_scalar(_attribute_address(a), a->type, out);                                  \
  }                                                                                           \
  bool unit_base_t::_set_value(const unit_attribute_t* a, const T& value) {                   \
    return admits(this, a) && serves(rules_t<T>::set, a->type, false) &&                      \
           write_scalar(_attribute_address(a), a->type, value);                               \
  }                                                                                           \
  bool unit_base_t::get_value(const unit_attribute_t* a, unsigned int index, T* out) const {  \
    return admits(this, a) && serves(rules_t<T>::get, a->type, true) &&                       \
           read_element(_attribute_address(a), unit_attr_type_t(a->type - 1), index, out);    \
  }                                                                                           \
  bool unit_base_t::set_value(const unit_attribute_t* a, unsigned int index, const T& value) { \
    return admits(this, a) && serves(rules_t<T>::set, a->type, true) &&                       \
           write_element(_attribute_address(a), unit_attr_type_t(a->type - 1), index, value); \
  }                                                                                           \
  bool unit_base_t::append_value(const unit_attribute_t* a, unsigned int index,               \
                                 const T& value) {                                            \
    return admits(this, a) && serves(rules_t<T>::set, a->type, true) &&                       \
           insert_value(_attribute_address(a), unit_attr_type_t(a->type - 1), index, value,  \
                        append_position);                                                     \
  }                                                                                           \
  bool unit_base_t::prepend_value(const unit_attribute_t* a, unsigned int index,              \
                                  const T& value) {                                           \
    return admits(this, a) && serves(rules_t<T>::set, a->type, true) &&                       \
           insert_value(_attribute_address(a), unit_attr_type_t(a->type - 1), index, value,  \
                        prepend_position);                                                    \
  }                                                                                           \
  bool unit_base_t::get_value(const unit_attribute_t* a, const array_t<T>** out) const {      \
    if (!admits(this, a) || !serves(rules_t<T>::view, a->type, true)) return false;           \
    *out = static_cast<const array_t<T>*>(_attribute_address(a));                             \
    return true;                                                                              \
  }                                                                                           \
  bool unit_base_t::get_value(const unit_attribute_t* a, array_t<T>* out) const {             \
    return admits(this, a) && serves(rules_t<T>::view, a->type, true) &&                      \
           copy_array(_attribute_address(a), out);                                            \
  }

QX_UNIT_VALUE_FAMILY_BODY(int)
QX_UNIT_VALUE_FAMILY_BODY(unsigned int)
QX_UNIT_VALUE_FAMILY_BODY(long long)
QX_UNIT_VALUE_FAMILY_BODY(unsigned long long)
QX_UNIT_VALUE_FAMILY_BODY(bool)
QX_UNIT_VALUE_FAMILY_BODY(float)
QX_UNIT_VALUE_FAMILY_BODY(unit_float2_t)
QX_UNIT_VALUE_FAMILY_BODY(unit_float3_t)
QX_UNIT_VALUE_FAMILY_BODY(unit_float4_t)
QX_UNIT_VALUE_FAMILY_BODY(unit_matrix_t)
QX_UNIT_VALUE_FAMILY_BODY(quat_t)
QX_UNIT_VALUE_FAMILY_BODY(placement_t)
QX_UNIT_VALUE_FAMILY_BODY(placement_scale_t)
QX_UNIT_VALUE_FAMILY_BODY(placement_nonuniform_t)
QX_UNIT_VALUE_FAMILY_BODY(plane_t)
QX_UNIT_VALUE_FAMILY_BODY(sphere_t)
QX_UNIT_VALUE_FAMILY_BODY(aabox_t)

#undef QX_UNIT_VALUE_FAMILY_BODY

}  // namespace quarn
