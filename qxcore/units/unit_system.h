// unit_system_t: the context units are created in. At most eight systems
// exist at a time (each unit carries its system's index); they share one
// garbage list and the global name tree. The statics on descriptors answer
// type questions without a system.
//
//   unit_bank_t bank;                      // knows the host's types
//   unit_system_t system(bank);
//   system.set_default();
//   owner_ptr_t<car_t> car = static_cast<car_t*>(system.create_unit("car"));
//   ...
//   car = nullptr;                         // destroyed and queued
//   unit_system_t::clean_garbage();        // deleted
#pragma once

#include "qxcore/units/unit_bank.h"
#include "qxcore/units/unit_base.h"

namespace quarn {

class unit_t;

constexpr unsigned int UF_UNIT_SYTEMS_COUNT = 8;

class QX_API unit_system_t {
 public:
  static constexpr unsigned int NO_INDEX = 0xFFFFFFFFu;  // a system that found no free slot

  explicit unit_system_t(unit_bank_t& bank);  // takes the lowest free slot
  virtual ~unit_system_t();
  unit_system_t(const unit_system_t&) = delete;
  unit_system_t& operator=(const unit_system_t&) = delete;

  unsigned int get_index() const { return index_; }  // NO_INDEX when all slots were taken
  unit_bank_t& get_bank() const { return *bank_; }

  void set_default();  // warns when it takes the place of another default
  static unit_system_t* get_default();
  static unit_system_t* get_system(unsigned int index);  // null for a free slot

  // A new unit with no reference yet: the caller hands it to an owning
  // pointer. Null for an abstract type, an unknown type name (silently) or
  // when memory runs out.
  unit_base_t* create_unit(const unit_descriptor_t& type);
  unit_base_t* create_unit(const string& type_name);
  // create_unit on the default system, reported when there is none.
  static unit_base_t* create_default_unit(const unit_descriptor_t& type);
  static unit_base_t* create_default_unit(const string& type_name);

  const unit_descriptor_t* find_unit_type(const string& type_name) const;
  static unit_t* find_unit(const string& name);  // names are global, not per system

  static void add_to_garbage(unit_base_t* unit);  // once per unit until it is cleaned
  static void clean_garbage();                    // deletes the queued units
  static unsigned int get_garbage_count();

  // Type questions on descriptors.
  static unsigned int compute_fingerprint(const string& name);
  static bool inherits_from(const unit_descriptor_t* type, const unit_descriptor_t* ancestor);
  static bool inherits_from(const unit_descriptor_t* type, unsigned int ancestor_fingerprint);
  static const unit_attribute_t* get_attribute_descriptor(const unit_descriptor_t* type,
                                                          const string& name);

 private:
  bool usable(const char* operation) const;

  unit_bank_t* bank_;
  unsigned int index_;
};

// The fingerprint of a class identifier, for constants: h = 31 h + byte.
constexpr unsigned int unit_fingerprint_of(const char* identifier) {
  unsigned int h = 0;
  for (; *identifier != '\0'; ++identifier) h = h * 31u + static_cast<unsigned char>(*identifier);
  return h;
}

}  // namespace quarn
