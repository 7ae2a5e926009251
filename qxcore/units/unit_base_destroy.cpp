// _destroy_attributes: what a destroyed unit gives up, one class level at a
// time. Owned units are destroyed with it; linked units only lose a reference.
#include "qxcore/core/assertions.h"
#include "qxcore/units/attribute_rules.h"

namespace quarn {

namespace unit_values {

// Empties an array of unit pointers from its end: each target leaves the array
// before it is destroyed (owning) and dropped.
void release_unit_array(array_t<unit_base_t*>& array, bool owning) {
  while (array.size() > 0) {
    unsigned int last = array.size() - 1;
    unit_base_t* target = array.data()[last];
    array.resize(last);
    if (target == nullptr) continue;
    if (owning) target->destroy();
    target->drop_reference();
  }
}

}  // namespace unit_values

void unit_base_t::_destroy_attributes(const unit_descriptor_t& type) {
  using namespace unit_values;
  for (const unit_attribute_t* a = type.attributes; a->type != UAT_NONE; ++a) {
    // Scalar values below the unit pointers give nothing up here.
    if (a->type < UAT_OWNED_UNIT && a->type % 2 == 1) continue;
    void* at = _attribute_address(a);
    switch (a->type) {
      case UAT_OWNED_UNIT:
        store_owning(static_cast<unit_base_t**>(at), nullptr);
        break;
      case UAT_LINKED_UNIT:
        store_linking(static_cast<unit_base_t**>(at), nullptr);
        break;
      case UAT_OWNED_UNIT_ARRAY:
      case UAT_LINKED_UNIT_ARRAY:
        release_unit_array(*static_cast<array_t<unit_base_t*>*>(at),
                           a->type == UAT_OWNED_UNIT_ARRAY);
        break;
      case UAT_RESOURCE_TIE:
        if (current_tie() != nullptr) current_tie()->destroy_value(this, a);
        break;
      case UAT_RESOURCE_TIE_ARRAY:
        if (current_tie() != nullptr) current_tie()->destroy_array(this, a);
        break;
      default:
        if (a->type > UAT_LAST) {
          v_abort_fail("[unit] Unknown attribute type in _destroy_attributes().",
                       "units/unit_base_destroy", 218, "unknown fn");
        } else if (a->type % 2 == 0 && a->type != UAT_STRING_ARRAY) {
          // The storage stays for a unit that is filled again.
          with_element_storage(unit_attr_type_t(a->type - 1), [&](auto* tag) {
            static_cast<array_t<storage_of_t<decltype(tag)>>*>(at)->resize(0);
            return true;
          });
        }
        break;
    }
  }
}

}  // namespace quarn
