// check_value: whether a value may be stored in an attribute, by its domain.
// Minimum and maximum are inclusive; a null domain restricts nothing except
// an enumeration, which then admits no value.
#include <limits>

#include "qxcore/strings/tokens.h"
#include "qxcore/units/attribute_rules.h"

namespace quarn {

namespace {

using namespace unit_values;

template <class D>
const D* domain_of(const unit_attribute_t* a) {
  return static_cast<const D*>(a->domain);
}

// The common steps; UCR_OK when the overload may go on to the domain.
unit_check_result_t common_steps(const unit_base_t* unit, const unit_attribute_t* a) {
  if (a == nullptr) return UCR_NO_ATTRIBUTE;
  if (!unit_system_t::inherits_from(unit->get_unit_descriptor(), a->owner))
    return UCR_FOREIGN_ATTRIBUTE;
  return UCR_OK;
}

template <class V>
unit_check_result_t range(const V& v, const V& min, const V& max) {
  if (v < min) return UCR_BELOW_MIN;
  if (max < v) return UCR_ABOVE_MAX;
  return UCR_OK;
}

template <class D>
unit_check_result_t vector_range(const unit_attribute_t* a, const float* v, int n) {
  const D* d = domain_of<D>(a);
  if (d == nullptr) return UCR_OK;
  for (int i = 0; i < n; ++i) {
    if (v[i] < d->min[i]) return UCR_BELOW_MIN;
    if (v[i] > d->max[i]) return UCR_ABOVE_MAX;
  }
  return UCR_OK;
}

// Every integer overload: the value taken as 64 bits (int sign-extended,
// unsigned int zero-extended).
unit_check_result_t check_integer(const unit_attribute_t* a, unsigned long long bits64) {
  long long as_signed = static_cast<long long>(bits64);
  bool fits_s32 = as_signed >= std::numeric_limits<int>::min() &&
                  as_signed <= std::numeric_limits<int>::max();
  bool fits_u32 = (bits64 >> 32) == 0;
  switch (unit_attr_type_element_type(a->type)) {
    case UAT_TOKEN:
      return UCR_OK;
    case UAT_S32:
    case UAT_S32_ALT: {
      if (!fits_s32) return UCR_TOO_LARGE;
      const auto* d = domain_of<unit_attr_t<UAT_S32>>(a);
      return d != nullptr ? range(static_cast<int>(as_signed), d->min, d->max) : UCR_OK;
    }
    case UAT_U32:
    case UAT_U32_ALT: {
      if (!fits_u32) return UCR_TOO_LARGE;
      const auto* d = domain_of<unit_attr_t<UAT_U32>>(a);
      return d != nullptr ? range(static_cast<unsigned int>(bits64), d->min, d->max) : UCR_OK;
    }
    case UAT_S64: {
      const auto* d = domain_of<unit_attr_t<UAT_S64>>(a);
      return d != nullptr ? range(as_signed, d->min, d->max) : UCR_OK;
    }
    case UAT_U64: {
      const auto* d = domain_of<unit_attr_t<UAT_U64>>(a);
      return d != nullptr ? range(bits64, d->min, d->max) : UCR_OK;
    }
    case UAT_U32_UNCHECKED:
      return fits_u32 ? UCR_OK : UCR_TOO_LARGE;
    case UAT_ENUM:
      if (!fits_s32) return UCR_TOO_LARGE;
      return unit_base_t::lookup_enum_symbol(domain_of<unit_attr_t<UAT_ENUM>>(a),
                                             static_cast<int>(as_signed)) != nullptr
                 ? UCR_OK
                 : UCR_NOT_IN_ENUM;
    default:
      return UCR_TYPE_MISMATCH;
  }
}

unit_check_result_t check_integer_value(const unit_base_t* unit, const unit_attribute_t* a,
                                        unsigned long long bits64) {
  unit_check_result_t common = common_steps(unit, a);
  if (common != UCR_OK) return common;
  if (a->type == UAT_NONE || a->type > UAT_LAST) return UCR_TYPE_MISMATCH;
  return check_integer(a, bits64);
}

// Types whose values are always admitted once the attribute's type matches.
template <class T>
unit_check_result_t check_unrestricted(const unit_base_t* unit, const unit_attribute_t* a) {
  unit_check_result_t common = common_steps(unit, a);
  if (common != UCR_OK) return common;
  return serves(rules_t<T>::get, a->type, unit_attr_type_is_array(a->type)) ? UCR_OK
                                                                            : UCR_TYPE_MISMATCH;
}

template <class D, class V>
unit_check_result_t check_vector(const unit_base_t* unit, const unit_attribute_t* a, const V& v,
                                 unit_attr_type_t scalar, int n) {
  unit_check_result_t common = common_steps(unit, a);
  if (common != UCR_OK) return common;
  if (a->type != scalar && a->type != scalar + 1) return UCR_TYPE_MISMATCH;
  return vector_range<D>(a, &v.x, n);
}

}  // namespace

unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a, const int& v) const {
  return check_integer_value(this, a, static_cast<unsigned long long>(static_cast<long long>(v)));
}
unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a,
                                             const unsigned int& v) const {
  return check_integer_value(this, a, v);
}
unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a, const long long& v) const {
  return check_integer_value(this, a, static_cast<unsigned long long>(v));
}
unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a,
                                             const unsigned long long& v) const {
  return check_integer_value(this, a, v);
}

unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a, const bool&) const {
  return check_unrestricted<bool>(this, a);
}

unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a, const float& v) const {
  unit_check_result_t common = common_steps(this, a);
  if (common != UCR_OK) return common;
  if (a->type != UAT_FLOAT && a->type != UAT_FLOAT_ARRAY) return UCR_TYPE_MISMATCH;
  // A NaN compares false both ways and passes.
  const auto* d = domain_of<unit_attr_t<UAT_FLOAT>>(a);
  return d != nullptr ? range(v, d->min, d->max) : UCR_OK;
}

unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a,
                                             const unit_float2_t& v) const {
  return check_vector<unit_attr_t<UAT_FLOAT2>>(this, a, v, UAT_FLOAT2, 2);
}
unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a,
                                             const unit_float3_t& v) const {
  return check_vector<unit_attr_t<UAT_FLOAT3>>(this, a, v, UAT_FLOAT3, 3);
}
unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a,
                                             const unit_float4_t& v) const {
  return check_vector<unit_attr_t<UAT_FLOAT4>>(this, a, v, UAT_FLOAT4, 4);
}

#define QX_UNRESTRICTED_CHECK(T)                                                            \
  unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a, const T&) const { \
    return check_unrestricted<T>(this, a);                                                  \
  }
QX_UNRESTRICTED_CHECK(unit_matrix_t)
QX_UNRESTRICTED_CHECK(quat_t)
QX_UNRESTRICTED_CHECK(placement_t)
QX_UNRESTRICTED_CHECK(placement_scale_t)
QX_UNRESTRICTED_CHECK(placement_nonuniform_t)
QX_UNRESTRICTED_CHECK(plane_t)
QX_UNRESTRICTED_CHECK(sphere_t)
QX_UNRESTRICTED_CHECK(aabox_t)
#undef QX_UNRESTRICTED_CHECK

unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a,
                                             const string& v) const {
  unit_check_result_t common = common_steps(this, a);
  if (common != UCR_OK) return common;
  switch (a->type) {
    case UAT_STRING:
    case UAT_STRING_ARRAY: {
      const auto* d = domain_of<unit_attr_t<UAT_STRING>>(a);
      return d != nullptr && v.length() > d->max_length ? UCR_TOO_LONG : UCR_OK;
    }
    case UAT_TOKEN:
    case UAT_TOKEN_ARRAY:
      return is_valid_token(v) ? UCR_OK : UCR_INVALID_TOKEN;
    default:
      return UCR_TYPE_MISMATCH;
  }
}

unit_check_result_t unit_base_t::check_value(const unit_attribute_t* a,
                                             unit_base_t* const& v) const {
  unit_check_result_t common = common_steps(this, a);
  if (common != UCR_OK) return common;
  unit_attr_type_t scalar = a->type <= UAT_LAST ? unit_attr_type_element_type(a->type) : UAT_NONE;
  if (scalar != UAT_OWNED_UNIT && scalar != UAT_LINKED_UNIT && scalar != UAT_RESOURCE_TIE)
    return UCR_TYPE_MISMATCH;
  const auto* d = domain_of<unit_attr_t<UAT_OWNED_UNIT>>(a);
  if (d == nullptr) return UCR_OK;
  if (d->required && v == nullptr) return UCR_NULL_NOT_ALLOWED;
  if (scalar == UAT_RESOURCE_TIE && v != nullptr &&
      (current_tie() == nullptr || !current_tie()->check_resource_type(v)))
    return UCR_WRONG_UNIT_TYPE;
  if (d->required_type != nullptr && v != nullptr &&
      !unit_system_t::inherits_from(v->get_unit_descriptor(), d->required_type))
    return UCR_WRONG_UNIT_TYPE;
  return UCR_OK;
}

}  // namespace quarn
