#include "qxcore/units/unit_proxy.h"

#include "qxcore/units/unit_bank.h"
#include "qxcore/units/unit_system.h"

namespace quarn {

constinit const string_alias_t unit_proxy_u::class_name = "unit_proxy";
constinit const unsigned int unit_proxy_u::fingerprint = unit_fingerprint_of("unit_proxy_u");
constinit const unit_attribute_t unit_proxy_u::attributes[] = {
    {&unit_proxy_u::unit_descriptor, 0, UAT_NONE, nullptr, ""}};
constinit const unit_descriptor_t unit_proxy_u::unit_descriptor = {
    &unit_proxy_u::class_name,   &unit_proxy_u::create_instance, &unit_proxy_u::destroy_instance,
    &unit_t::unit_descriptor,    unit_proxy_u::attributes,       &unit_proxy_u::fingerprint};

unit_proxy_u::unit_proxy_u(unit_system_t* system) : unit_t(system) { flags_ |= FLAG_PROXY; }

// Members go in reverse order: the link first, then the owned unit.
unit_proxy_u::~unit_proxy_u() = default;

unit_base_t* unit_proxy_u::create_instance(unit_system_t* system) {
  return new unit_proxy_u(system);
}

void unit_proxy_u::destroy_instance(unit_base_t* unit, unit_system_t*) { _delete_unit(unit); }

bool unit_proxy_u::register_class(unit_bank_t& bank) { return bank.register_class(unit_descriptor); }

void unit_proxy_u::destroy() {
  owned = nullptr;
  linked = nullptr;
  _destroy_attributes(unit_descriptor);
  unit_t::destroy();
}

unit_base_t* unit_proxy_u::clone() const { return _clone_as<unit_proxy_u>(); }

bool unit_proxy_u::_clone_to(unit_base_t* target) const {
  return unit_t::_clone_to(target) && _clone_attributes_to(unit_descriptor, target);
}

const unit_descriptor_t* unit_proxy_u::get_unit_descriptor() const { return &unit_descriptor; }

}  // namespace quarn
