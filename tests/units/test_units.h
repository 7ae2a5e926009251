// Host unit classes of the unit-model tests: a three-deep chain under an
// abstract type whose last class holds one attribute of each of the 52 value
// types (declared with the helpers), and a class whose records are written
// by hand, field by field.
#pragma once

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/units/unit_declare.h"
#include "qxcore/units/unit_proxy.h"

namespace qxtest {

using namespace quarn;

enum class shade_t : int { DARK = -1, LIGHT = 7 };

// Abstract: no factory.
class part_t : public unit_t {
  QX_UNIT_CLASS(part_t, unit_t)
 public:
  virtual int weight() const = 0;
  string_dyn_t<> label;
};

class body_t : public part_t {
  QX_UNIT_CLASS(body_t, part_t)
 public:
  int weight() const override { return 1; }
  float mass = 0;
  string_dyn_t<> label;  // hides part_t's attribute of the same name
};

class all_types_t : public body_t {
  QX_UNIT_CLASS(all_types_t, body_t)
 public:
  string_dyn_t<> s;
  array_dyn_t<unit_string_t> s_a;
  unsigned long long tok = 0;
  array_dyn_t<unsigned long long> tok_a;
  float f = 0;
  array_dyn_t<float> f_a;
  unit_float2_t f2{};
  array_dyn_t<unit_float2_t> f2_a;
  unit_float3_t f3{};
  array_dyn_t<unit_float3_t> f3_a;
  unit_float4_t f4{};
  array_dyn_t<unit_float4_t> f4_a;
  unit_matrix_t m{};
  array_dyn_t<unit_matrix_t> m_a;
  quat_t q{};
  array_dyn_t<quat_t> q_a;
  placement_t p;
  array_dyn_t<placement_t> p_a;
  placement_scale_t ps;
  array_dyn_t<placement_scale_t> ps_a;
  placement_nonuniform_t pn;
  array_dyn_t<placement_nonuniform_t> pn_a;
  plane_t pl{};
  array_dyn_t<plane_t> pl_a;
  sphere_t sp{};
  array_dyn_t<sphere_t> sp_a;
  aabox_t bx{};
  array_dyn_t<aabox_t> bx_a;
  int s32 = 0;
  array_dyn_t<int> s32_a;
  unsigned int u32 = 0;
  array_dyn_t<unsigned int> u32_a;
  int s32x = 0;
  array_dyn_t<int> s32x_a;
  unsigned int u32x = 0;
  array_dyn_t<unsigned int> u32x_a;
  long long s64 = 0;
  array_dyn_t<long long> s64_a;
  unsigned long long u64 = 0;
  array_dyn_t<unsigned long long> u64_a;
  unsigned int u32u = 0;
  array_dyn_t<unsigned int> u32u_a;
  bool b = false;
  array_dyn_t<bool> b_a;
  shade_t e = shade_t::DARK;
  array_dyn_t<int> e_a;
  owner_ptr_t<unit_base_t> own;
  array_dyn_t<unit_base_t*> own_a;
  link_ptr_t<unit_base_t> link;
  array_dyn_t<unit_base_t*> link_a;
  unit_base_t* res = nullptr;
  array_dyn_t<unit_base_t*> res_a;
};

// Written by hand: an anonymous unit with three attributes.
class plain_t : public unit_base_t {
 public:
  static const string_alias_t class_name;
  static const unsigned int fingerprint;
  static const unit_descriptor_t unit_descriptor;
  static const unit_attribute_t attributes[];
  static unit_base_t* create_instance(unit_system_t* system) { return new plain_t(system); }
  static void destroy_instance(unit_base_t* unit, unit_system_t*) { _delete_unit(unit); }
  static bool register_class(unit_bank_t& bank) { return bank.register_class(unit_descriptor); }

  explicit plain_t(unit_system_t* system) : unit_base_t(system) {}
  const unit_descriptor_t* get_unit_descriptor() const override { return &unit_descriptor; }
  void destroy() override {
    _destroy_attributes(unit_descriptor);
    unit_base_t::destroy();
  }
  unit_base_t* clone() const override { return _clone_as<plain_t>(); }

  int count = 0;
  unit_base_t* child = nullptr;
  array_dyn_t<unit_base_t*> friends;

 protected:
  bool _clone_to(unit_base_t* target) const override {
    return unit_base_t::_clone_to(target) && _clone_attributes_to(unit_descriptor, target);
  }
};

// Domains of the tests' attributes.
extern const unit_attr_t<UAT_STRING> short_text;    // at most 4 bytes
extern const unit_attr_t<UAT_FLOAT> unit_interval;  // [0, 1]
extern const unit_attr_t<UAT_FLOAT3> small_box;     // [-1, 1]^3
extern const unit_attr_t<UAT_S32> minus_five_to_five;
extern const unit_attr_t<UAT_U32> ten_to_twenty;
extern const unit_attr_t<UAT_OWNED_UNIT> required_body;  // a body_t, never null

// Every attribute of all_types_t, found by name.
const unit_attribute_t* attr(const char* name);

// Registers the tests' classes in a bank.
void register_test_classes(unit_bank_t& bank);

}  // namespace qxtest
