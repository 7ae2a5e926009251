// unit_bank_t: the registry of unit types by their class names ("unit",
// "car"). It does not own the descriptors; a fresh or reset bank always knows
// unit_base_t and unit_t.
//
//   unit_bank_t bank;
//   car_t::register_class(bank);
//   const unit_descriptor_t* car = bank.get_descriptor("car");
#pragma once

#include "qxcore/collections/vptrhash.h"
#include "qxcore/units/unit_structs.h"

namespace quarn {

class QX_API unit_bank_t : public vptrhash_t {
 public:
  unit_bank_t();   // registers unit_base_t, then unit_t
  ~unit_bank_t() override;

  void reset();  // forgets every type but the two root types

  // True when the name is new or already holds `d`; false (reported) when
  // another descriptor holds the name.
  bool register_class(const unit_descriptor_t& d);
  // True when `d` held its name; the name is free afterwards in every case.
  bool unregister_class(const unit_descriptor_t& d);

  const unit_descriptor_t* get_descriptor(const string& name) const;  // exact; null when absent
  unsigned int get_class_count() const;
  const char* get_class_name(unsigned int index) const;  // in registration order; index < count

 private:
  void register_root_types();
};

}  // namespace quarn
