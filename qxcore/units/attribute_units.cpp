// The unit-pointer family (owning and linking attributes, resource ties
// forwarded to the current tie) and the operations every array type shares.
#include "qxcore/units/attribute_rules.h"

namespace quarn {

namespace {

using namespace unit_values;

constexpr mask_t POINTER_TYPES = bits(UAT_OWNED_UNIT, UAT_LINKED_UNIT, UAT_RESOURCE_TIE);

using unit_array_t = array_t<unit_base_t*>;

void store(unit_attr_type_t scalar, unit_base_t** slot, unit_base_t* value) {
  if (scalar == UAT_OWNED_UNIT)
    unit_base_t::store_owning(slot, value);
  else
    unit_base_t::store_linking(slot, value);
}

}  // namespace

bool unit_base_t::get_value(const unit_attribute_t* a, unit_base_t** out) const {
  if (!admits(this, a) || !serves(POINTER_TYPES, a->type, false)) return false;
  if (a->type == UAT_RESOURCE_TIE) return current_tie() && current_tie()->get_value(this, a, out);
  *out = *static_cast<unit_base_t* const*>(_attribute_address(a));
  return true;
}

bool unit_base_t::set_value(const unit_attribute_t* a, unit_base_t* value) {
  if (!admits(this, a) || !serves(POINTER_TYPES, a->type, false)) return false;
  if (a->type == UAT_RESOURCE_TIE) return current_tie() && current_tie()->set_value(this, a, value);
  store(a->type, static_cast<unit_base_t**>(_attribute_address(a)), value);
  return true;
}

bool unit_base_t::get_value(const unit_attribute_t* a, unsigned int index,
                            unit_base_t** out) const {
  if (!admits(this, a) || !serves(POINTER_TYPES, a->type, true)) return false;
  if (a->type == UAT_RESOURCE_TIE_ARRAY)
    return current_tie() && current_tie()->get_element(this, a, index, out);
  const auto& array = *static_cast<const unit_array_t*>(_attribute_address(a));
  if (index >= array.size()) return false;
  *out = array.data()[index];
  return true;
}

bool unit_base_t::set_value(const unit_attribute_t* a, unsigned int index, unit_base_t* value) {
  if (!admits(this, a) || !serves(POINTER_TYPES, a->type, true)) return false;
  if (a->type == UAT_RESOURCE_TIE_ARRAY)
    return current_tie() && current_tie()->set_element(this, a, index, value);
  auto& array = *static_cast<unit_array_t*>(_attribute_address(a));
  if (index >= array.size()) return false;
  store(unit_attr_type_t(a->type - 1), &array.data()[index], value);
  return true;
}

bool unit_base_t::append_value(const unit_attribute_t* a, unsigned int index, unit_base_t* value) {
  if (!admits(this, a) || !serves(POINTER_TYPES, a->type, true)) return false;
  if (a->type == UAT_RESOURCE_TIE_ARRAY)
    return current_tie() && current_tie()->append_element(this, a, index, value);
  auto& array = *static_cast<unit_array_t*>(_attribute_address(a));
  unsigned int where;
  if (!append_position(index, array.size(), &where) ||
      !insert_element(array, where, static_cast<unit_base_t*>(nullptr)))
    return false;
  store(unit_attr_type_t(a->type - 1), &array.data()[where], value);
  return true;
}

bool unit_base_t::prepend_value(const unit_attribute_t* a, unsigned int index,
                                unit_base_t* value) {
  if (!admits(this, a) || !serves(POINTER_TYPES, a->type, true)) return false;
  if (a->type == UAT_RESOURCE_TIE_ARRAY)
    return current_tie() && current_tie()->prepend_element(this, a, index, value);
  auto& array = *static_cast<unit_array_t*>(_attribute_address(a));
  unsigned int where;
  if (!prepend_position(index, array.size(), &where) ||
      !insert_element(array, where, static_cast<unit_base_t*>(nullptr)))
    return false;
  store(unit_attr_type_t(a->type - 1), &array.data()[where], value);
  return true;
}

bool unit_base_t::get_value(const unit_attribute_t* a, unit_array_t* out) const {
  if (!admits(this, a) || !serves(POINTER_TYPES, a->type, true)) return false;
  if (a->type == UAT_RESOURCE_TIE_ARRAY)
    return current_tie() && current_tie()->get_array_copy(this, a, out);
  return copy_array(_attribute_address(a), out);
}

bool unit_base_t::remove_value(const unit_attribute_t* a, unsigned int index) {
  if (!admits(this, a) || !unit_values::serves(~0ull, a->type, true)) return false;
  if (a->type == UAT_RESOURCE_TIE_ARRAY)
    return current_tie() && current_tie()->remove_element(this, a, index);
  unit_attr_type_t scalar = unit_attr_type_t(a->type - 1);
  void* at = _attribute_address(a);
  return with_element_storage(scalar, [&](auto* tag) {
    using S = storage_of_t<decltype(tag)>;
    auto& array = *static_cast<array_t<S>*>(at);
    unsigned int n = array.size();
    if (index == END && n > 0) index = n - 1;
    if (index >= n) return false;
    if constexpr (std::is_same_v<S, unit_base_t*>) {
      // Out of the array first, so that a destroy cascading from the target
      // never meets the element again.
      unit_base_t* target = array.data()[index];
      array.remove(index);
      if (target != nullptr) {
        if (scalar == UAT_OWNED_UNIT) target->destroy();
        target->drop_reference();
      }
    } else {
      array.remove(index);
    }
    return true;
  });
}

bool unit_base_t::get_size(const unit_attribute_t* a, unsigned int* size) const {
  if (!admits(this, a) || !unit_values::serves(~0ull, a->type, true)) return false;
  if (a->type == UAT_RESOURCE_TIE_ARRAY)
    return current_tie() && current_tie()->get_array_size(this, a, size);
  const void* at = _attribute_address(a);
  return with_element_storage(unit_attr_type_t(a->type - 1), [&](auto* tag) {
    *size = static_cast<const array_t<storage_of_t<decltype(tag)>>*>(at)->size();
    return true;
  });
}

bool unit_base_t::request_capacity(const unit_attribute_t* a, unsigned int capacity) {
  if (!admits(this, a) || !unit_values::serves(~0ull, a->type, true)) return false;
  if (a->type == UAT_RESOURCE_TIE_ARRAY)
    return current_tie() && current_tie()->request_array_capacity(this, a, capacity);
  void* at = _attribute_address(a);
  with_element_storage(unit_attr_type_t(a->type - 1), [&](auto* tag) {
    using S = storage_of_t<decltype(tag)>;
    auto& array = *static_cast<array_t<S>*>(at);
    if (array.capacity() < capacity) array.reserve(capacity);
    return true;
  });
  return true;
}

}  // namespace quarn
