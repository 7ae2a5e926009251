#include "qxcore/units/unit.h"

#include "qxcore/units/unit_bank.h"
#include "qxcore/units/unit_system.h"

namespace quarn {

constinit const string_alias_t unit_t::class_name = "unit";
constinit const unsigned int unit_t::fingerprint = unit_fingerprint_of("unit_t");
constinit const unit_attribute_t unit_t::attributes[] = {
    {&unit_t::unit_descriptor, 0, UAT_NONE, nullptr, ""}};
constinit const unit_descriptor_t unit_t::unit_descriptor = {
    &unit_t::class_name,          &unit_t::create_instance, &unit_t::destroy_instance,
    &unit_base_t::unit_descriptor, unit_t::attributes,       &unit_t::fingerprint};

unit_t::~unit_t() = default;  // the name member unlinks itself

unit_base_t* unit_t::create_instance(unit_system_t* system) { return new unit_t(system); }

void unit_t::destroy_instance(unit_base_t* unit, unit_system_t*) { _delete_unit(unit); }

bool unit_t::register_class(unit_bank_t& bank) { return bank.register_class(unit_descriptor); }

void unit_t::destroy() {
  name_.mark_dead();
  _destroy_attributes(unit_descriptor);
  unit_base_t::destroy();
}

unit_base_t* unit_t::clone() const { return _clone_as<unit_t>(); }

bool unit_t::_clone_to(unit_base_t* target) const {
  return unit_base_t::_clone_to(target) && _clone_attributes_to(unit_descriptor, target);
}

bool unit_t::is_anonymous() const { return false; }
bool unit_t::is_nameless() const { return !name_.is_linked(); }

bool unit_t::get_name(mstring_t* out) const {
  return name_.is_linked() ? name_.compose_name(out) : unit_name_t::compose_nameless(out, this);
}

const unit_descriptor_t* unit_t::get_unit_descriptor() const { return &unit_descriptor; }

void unit_t::move_name_to(unit_t* target) {
  if (target == this || target == nullptr) return;
  target->name_.take_over(&name_);
}

}  // namespace quarn
