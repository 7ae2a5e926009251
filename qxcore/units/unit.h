// unit_t: a unit that can carry a global name. Host classes derive from it
// (or from unit_base_t for units that never have a name).
//
//   unit_t* u = static_cast<unit_t*>(system.create_unit(unit_t::unit_descriptor));
//   u->set_name("level.door");
//   unit_system_t::find_unit("level.door") == u;
#pragma once

#include "qxcore/units/unit_base.h"
#include "qxcore/units/unit_name.h"

namespace quarn {

class QX_API unit_t : public unit_base_t {
 public:
  static const string_alias_t class_name;  // "unit"
  static const unsigned int fingerprint;   // of "unit_t"
  static const unit_descriptor_t unit_descriptor;
  static const unit_attribute_t attributes[];
  static unit_base_t* create_instance(unit_system_t* system);
  static void destroy_instance(unit_base_t* unit, unit_system_t* system);
  static bool register_class(unit_bank_t& bank);

  explicit unit_t(unit_system_t* system) : unit_base_t(system) {}

  void destroy() override;  // kills the name first, then releases the attributes
  unit_base_t* clone() const override;
  bool is_anonymous() const override;
  bool is_nameless() const override;
  bool get_name(mstring_t* out) const override;
  const unit_descriptor_t* get_unit_descriptor() const override;

  // Names whose first component is "_nameless" are refused unless
  // refuse_nameless is false (the loader's proxies).
  bool set_name(const string& name, bool refuse_nameless = true) {
    return name_.set_name(name, refuse_nameless);
  }
  // Hands this unit's name to `target`, which gives up its own.
  void move_name_to(unit_t* target);
  const unit_name_t& get_name_node() const { return name_; }

 protected:
  ~unit_t() override;
  bool _clone_to(unit_base_t* target) const override;

 private:
  friend class unit_name_t;
  unit_name_t name_;
};

}  // namespace quarn
