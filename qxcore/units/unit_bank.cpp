#include "qxcore/units/unit_bank.h"

#include "qxcore/core/messages.h"
#include "qxcore/units/unit.h"

namespace quarn {

unit_bank_t::unit_bank_t() { register_root_types(); }

unit_bank_t::~unit_bank_t() = default;

void unit_bank_t::register_root_types() {
  unit_base_t::register_class(*this);
  unit_t::register_class(*this);
}

void unit_bank_t::reset() {
  clear();
  register_root_types();
}

bool unit_bank_t::register_class(const unit_descriptor_t& d) {
  const string& name = *d.class_name;
  const void* held = find(name.c_str(), name.length());
  if (held == nullptr) {
    put(name.c_str(), name.length(), const_cast<unit_descriptor_t*>(&d));
    return true;
  }
  if (held == &d) {
    verbose("[unit] Unit type '%s' registered twice.", name.c_str());
    return true;
  }
  error("[unit] Attempt to register unit type '%s', but the type name is already taken.",
        name.c_str());
  return false;
}

bool unit_bank_t::unregister_class(const unit_descriptor_t& d) {
  const string& name = *d.class_name;
  const void* removed = remove_key(name.c_str(), name.length());
  if (removed == nullptr) {
    verbose("[unit] Attempt to unregister unit type '%s' - but it was not registered at all.",
            name.c_str());
    return false;
  }
  if (removed == &d) return true;
  error("[unit] Unregister unit type '%s', but there was some other class registered under "
        "this name.",
        name.c_str());
  return false;
}

const unit_descriptor_t* unit_bank_t::get_descriptor(const string& name) const {
  return static_cast<const unit_descriptor_t*>(find(name.c_str(), name.length()));
}

unsigned int unit_bank_t::get_class_count() const { return values().size(); }

const char* unit_bank_t::get_class_name(unsigned int index) const {
  for (const vptrlist_node_t* node : values()) {
    if (index-- == 0) return static_cast<const unit_descriptor_t*>(node->ptr)->class_name->c_str();
  }
  return nullptr;
}

}  // namespace quarn
