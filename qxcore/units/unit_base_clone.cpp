// clone and _clone_attributes_to: copies of units, one class level at a time.
// Owned units are cloned too; links copy the pointer (null for a dead target).
#include "qxcore/core/assertions.h"
#include "qxcore/core/messages.h"
#include "qxcore/units/attribute_rules.h"

namespace quarn {

namespace unit_values {
void release_unit_array(array_t<unit_base_t*>& array, bool owning);
}

namespace {

using namespace unit_values;

// The owning clone of one target into `slot`.
bool clone_owned(unit_base_t* source, unit_base_t** slot) {
  if (source == nullptr || !source->is_alive()) {
    unit_base_t::store_owning(slot, nullptr);
    return true;
  }
  unit_base_t* copy = source->clone();
  unit_base_t::store_owning(slot, copy);
  return copy != nullptr;
}

void clone_linked(unit_base_t* source, unit_base_t** slot) {
  unit_base_t::store_linking(slot, source != nullptr && source->is_alive() ? source : nullptr);
}

bool clone_unit_array(const array_t<unit_base_t*>& s, array_t<unit_base_t*>& t, bool owning) {
  release_unit_array(t, owning);
  if (t.capacity() < s.size()) t.reserve(s.size());
  for (unsigned int i = 0; i < s.size(); ++i) {
    if (!t.push_back(nullptr)) break;
    unit_base_t** slot = &t.data()[t.size() - 1];
    if (owning) {
      if (!clone_owned(s.data()[i], slot)) break;
    } else {
      clone_linked(s.data()[i], slot);
    }
  }
  if (t.size() == s.size()) return true;
  release_unit_array(t, owning);
  return false;
}

bool clone_strings(const array_t<unit_string_t>& s, array_t<unit_string_t>& t) {
  t.clear();
  if (t.capacity() < s.size()) t.reserve(s.size());
  for (unsigned int i = 0; i < s.size(); ++i) {
    if (!t.push_back(unit_string_t()) || !t.data()[i].copy(s.data()[i])) {
      t.clear();
      return false;
    }
  }
  return true;
}

template <class S>
bool clone_values(const array_t<S>& s, array_t<S>& t) {
  t.resize(0);
  if (t.capacity() < s.size()) t.reserve(s.size());
  for (unsigned int i = 0; i < s.size(); ++i) {
    if (!t.push_back(s.data()[i])) {
      t.resize(0);
      return false;
    }
  }
  return true;
}

}  // namespace

bool unit_base_t::_clone_attributes_to(const unit_descriptor_t& type, unit_base_t* target) const {
  for (const unit_attribute_t* a = type.attributes; a->type != UAT_NONE; ++a) {
    const void* s = _attribute_address(a);
    void* t = target->_attribute_address(a);
    bool cloned = true;
    switch (a->type) {
      case UAT_STRING:
        cloned = static_cast<mstring_t*>(t)->copy(*static_cast<const mstring_t*>(s));
        break;
      case UAT_STRING_ARRAY:
        cloned = clone_strings(*static_cast<const array_t<unit_string_t>*>(s),
                               *static_cast<array_t<unit_string_t>*>(t));
        break;
      case UAT_OWNED_UNIT:
        cloned = clone_owned(*static_cast<unit_base_t* const*>(s), static_cast<unit_base_t**>(t));
        break;
      case UAT_LINKED_UNIT:
        clone_linked(*static_cast<unit_base_t* const*>(s), static_cast<unit_base_t**>(t));
        break;
      case UAT_OWNED_UNIT_ARRAY:
      case UAT_LINKED_UNIT_ARRAY:
        cloned = clone_unit_array(*static_cast<const array_t<unit_base_t*>*>(s),
                                  *static_cast<array_t<unit_base_t*>*>(t),
                                  a->type == UAT_OWNED_UNIT_ARRAY);
        break;
      case UAT_RESOURCE_TIE:
        cloned = current_tie() != nullptr && current_tie()->clone_value(this, a, target);
        break;
      case UAT_RESOURCE_TIE_ARRAY:
        cloned = current_tie() != nullptr && current_tie()->clone_array(this, a, target);
        break;
      default:
        if (a->type > UAT_LAST) {
          v_abort_fail("[unit] Unknown attribute type in _clone_attributes_to().",
                       "units/unit_base_clone", 382, "unknown fn");
          cloned = false;
        } else if (a->type % 2 == 1) {
          with_element_storage(a->type, [&](auto* tag) {
            using S = storage_of_t<decltype(tag)>;
            *static_cast<S*>(t) = *static_cast<const S*>(s);
            return true;
          });
        } else {
          cloned = with_element_storage(unit_attr_type_t(a->type - 1), [&](auto* tag) {
            using S = storage_of_t<decltype(tag)>;
            return clone_values(*static_cast<const array_t<S>*>(s), *static_cast<array_t<S>*>(t));
          });
        }
        break;
    }
    if (!cloned) {
      string_dyn_t<> name;
      get_name(&name);
      error("[unit] Failed to clone the the attribute '%s' of unit '%s' (type '%s').",
            a->name.c_str(), name.c_str(), get_unit_descriptor()->class_name->c_str());
      return false;
    }
  }
  return true;
}

}  // namespace quarn
