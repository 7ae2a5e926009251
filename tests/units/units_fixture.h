// The fixture of the unit-model tests: a bank that knows the test classes, a
// default unit system, a sink that keeps every message, and a host resource
// tie that keeps resource pointers in the attributes' own storage.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "qxcore/units/unit_resource_tie.h"
#include "tests/support/capture_sink.h"
#include "tests/units/test_units.h"

namespace qxtest {

// A host tie: 51 stores the pointer itself, 52 an array_dyn_t of them.
class slot_tie_t : public unit_resource_tie_t {
 public:
  using unit_resource_tie_t::get_value;
  static unit_base_t** slot(const unit_base_t* u, const unit_attribute_t* a) {
    return reinterpret_cast<unit_base_t**>(const_cast<char*>(reinterpret_cast<const char*>(u)) +
                                           a->offset);
  }
  static array_dyn_t<unit_base_t*>& array(const unit_base_t* u, const unit_attribute_t* a) {
    return *reinterpret_cast<array_dyn_t<unit_base_t*>*>(slot(u, a));
  }
  bool check_resource_type(unit_base_t*) override { return true; }
  void destroy_value(unit_base_t* u, const unit_attribute_t* a) override { *slot(u, a) = nullptr; }
  void destroy_array(unit_base_t* u, const unit_attribute_t* a) override { array(u, a).clear(); }
  bool clone_value(const unit_base_t* s, const unit_attribute_t* a, unit_base_t* t) override {
    *slot(t, a) = *slot(s, a);
    return true;
  }
  bool clone_array(const unit_base_t* s, const unit_attribute_t* a, unit_base_t* t) override {
    array(t, a) = array(s, a);
    return true;
  }
  bool get_value(const unit_base_t* u, const unit_attribute_t* a, unit_base_t** out) override {
    *out = *slot(u, a);
    return true;
  }
  bool set_value(unit_base_t* u, const unit_attribute_t* a, unit_base_t* r) override {
    *slot(u, a) = r;
    return true;
  }
  bool get_array_size(const unit_base_t* u, const unit_attribute_t* a, unsigned int* n) override {
    *n = array(u, a).size();
    return true;
  }
};

class units_test : public testing::Test {
 protected:
  units_test() {
    register_test_classes(bank);
    system.set_default();
  }
  ~units_test() override { unit_system_t::clean_garbage(); }

  template <class T>
  T* make() {
    return static_cast<T*>(system.create_unit(T::unit_descriptor));
  }
  static std::string name_of(const unit_base_t* u) {
    string_dyn_t<> name;
    u->get_name(&name);
    return name.c_str();
  }
  // Swaps the default tie for a host tie for the test's length.
  struct host_tie_scope_t {
    host_tie_scope_t() {
      unit_resource_tie_t::destroy_instance();
      new slot_tie_t;
    }
    ~host_tie_scope_t() {
      unit_resource_tie_t::destroy_instance();
      new unit_resource_tie_t;
    }
  };

  unit_bank_t bank;
  unit_system_t system{bank};
  capture_sink_t sink;
};

}  // namespace qxtest
