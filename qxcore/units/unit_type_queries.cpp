// The questions answered from descriptors alone: fingerprints, inheritance
// and attribute lookup by name.
#include "qxcore/units/unit_proxy.h"
#include "qxcore/units/unit_system.h"

namespace quarn {

unsigned int unit_system_t::compute_fingerprint(const string& name) {
  return unit_fingerprint_of(name.c_str());
}

bool unit_system_t::inherits_from(const unit_descriptor_t* type,
                                  const unit_descriptor_t* ancestor) {
  for (const unit_descriptor_t* t = type; t != nullptr; t = t->parent)
    if (t == ancestor) return true;
  // A proxy stands in for a unit of any type until it is resolved.
  return type == &unit_proxy_u::unit_descriptor;
}

bool unit_system_t::inherits_from(const unit_descriptor_t* type,
                                  unsigned int ancestor_fingerprint) {
  if (type == nullptr) return false;
  for (const unit_descriptor_t* t = type; t != nullptr; t = t->parent)
    if (*t->fingerprint == ancestor_fingerprint) return true;
  return *type->fingerprint == unit_proxy_u::fingerprint;
}

const unit_attribute_t* unit_system_t::get_attribute_descriptor(const unit_descriptor_t* type,
                                                                const string& name) {
  for (const unit_descriptor_t* t = type; t != nullptr; t = t->parent)
    for (const unit_attribute_t* a = t->attributes; a->type != UAT_NONE; ++a)
      if (a->name == name) return a;
  return nullptr;
}

}  // namespace quarn
