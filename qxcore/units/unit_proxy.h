// unit_proxy_u: the placeholder the loader creates for a unit name that a file
// mentions before it defines it. It carries the name, and once the unit is
// defined an owning and a linking pointer to it. A proxy passes every type
// test, so it can stand in any unit-pointer attribute until it is resolved.
#pragma once

#include "qxcore/units/unit.h"
#include "qxcore/units/unit_ptr.h"

namespace quarn {

class QX_API unit_proxy_u : public unit_t {
 public:
  static const string_alias_t class_name;  // "unit_proxy"
  static const unsigned int fingerprint;   // of "unit_proxy_u"
  static const unit_descriptor_t unit_descriptor;
  static const unit_attribute_t attributes[];
  static unit_base_t* create_instance(unit_system_t* system);
  static void destroy_instance(unit_base_t* unit, unit_system_t* system);
  static bool register_class(unit_bank_t& bank);

  explicit unit_proxy_u(unit_system_t* system);

  void destroy() override;
  unit_base_t* clone() const override;
  const unit_descriptor_t* get_unit_descriptor() const override;

  owner_ptr_t<unit_base_t> owned;   // the unit the proxy stands for, until someone takes it
  link_ptr_t<unit_base_t> linked;   // the same unit, kept for resolving links

 protected:
  ~unit_proxy_u() override;
  bool _clone_to(unit_base_t* target) const override;
};

}  // namespace quarn
