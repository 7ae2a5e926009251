// unit_base_t: the header every unit carries (reference count and flags), its
// virtual interface, and generic access to attribute values through the
// type's unit_attribute_t records. Units are never deleted directly: dropping
// the last reference queues a unit, and unit_system_t::clean_garbage deletes it.
//
//   const unit_attribute_t* speed = unit_system_t::get_attribute_descriptor(type, "speed");
//   float v;
//   if (unit->get_value(speed, &v) && unit->check_value(speed, v * 2) == UCR_OK)
//     unit->set_value(speed, v * 2);
#pragma once

#include <cstddef>

#include "qxcore/collections/arrays/arrays_base_impl.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/quat.h"
#include "qxcore/math/placement.h"
#include "qxcore/math/plane.h"
#include "qxcore/math/sphere.h"
#include "qxcore/math/aabox.h"
#include "qxcore/strings/string_dyn.h"
#include "qxcore/units/unit_structs.h"

namespace quarn {

class unit_bank_t;

// Element type of UAT_STRING_ARRAY attributes, and short names of the value
// types whose template arguments carry commas.
using unit_string_t = string_dyn_t<>;
using unit_float2_t = vec_t<float, 2>;
using unit_float3_t = vec_t<float, 3>;
using unit_float4_t = vec_t<float, 4>;
using unit_matrix_t = mat_sq_t<float, 4>;

// The attribute value families, one set of overloads per value type T:
// scalar get/set, array element get/set/append/prepend, a view of the unit's
// own array, a copy of it, and the domain check. Which attribute types each
// T serves (and which integers it widens) is fixed by the value layer.
#define QX_UNIT_VALUE_FAMILY(T)                                                          \
  bool get_value(const unit_attribute_t* attribute, T* out) const {                      \
    if (!_is_own_scalar(attribute, unit_natural_type_v<T>)) return _get_value(attribute, out); \
    *out = *static_cast<const T*>(_attribute_address(attribute));                        \
    return true;                                                                         \
  }                                                                                      \
  bool set_value(const unit_attribute_t* attribute, const T& value) {                    \
    if (!_is_own_scalar(attribute, unit_natural_type_v<T>)) return _set_value(attribute, value); \
    *static_cast<T*>(_attribute_address(attribute)) = value;                             \
    return true;                                                                         \
  }                                                                                      \
  bool _get_value(const unit_attribute_t* attribute, T* out) const;                      \
  bool _set_value(const unit_attribute_t* attribute, const T& value);                    \
  bool get_value(const unit_attribute_t* attribute, unsigned int index, T* out) const;   \
  bool set_value(const unit_attribute_t* attribute, unsigned int index, const T& value); \
  bool append_value(const unit_attribute_t* attribute, unsigned int index, const T& value);  \
  bool prepend_value(const unit_attribute_t* attribute, unsigned int index, const T& value); \
  bool get_value(const unit_attribute_t* attribute, const array_t<T>** out) const;       \
  bool get_value(const unit_attribute_t* attribute, array_t<T>* out) const;              \
  unit_check_result_t check_value(const unit_attribute_t* attribute, const T& value) const;

// The scalar attribute type that stores a value type as it is.
template <class T>
inline constexpr unit_attr_type_t unit_natural_type_v = UAT_NONE;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<int> = UAT_S32;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<unsigned int> = UAT_U32;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<long long> = UAT_S64;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<unsigned long long> = UAT_U64;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<bool> = UAT_BOOL;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<float> = UAT_FLOAT;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<unit_float2_t> = UAT_FLOAT2;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<unit_float3_t> = UAT_FLOAT3;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<unit_float4_t> = UAT_FLOAT4;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<unit_matrix_t> = UAT_MATRIX;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<quat_t> = UAT_QUAT;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<placement_t> = UAT_PLACEMENT;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<placement_scale_t> =
    UAT_PLACEMENT_SCALE;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<placement_nonuniform_t> =
    UAT_PLACEMENT_NONUNIFORM;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<plane_t> = UAT_PLANE;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<sphere_t> = UAT_SPHERE;
template <> inline constexpr unit_attr_type_t unit_natural_type_v<aabox_t> = UAT_AABOX;

class QX_API unit_base_t {
 public:
  // Flag bits.
  static constexpr unsigned char FLAG_SYSTEM_MASK = 0x07;  // index of the creating unit system
  static constexpr unsigned char FLAG_QUEUED = 0x08;       // on the garbage list
  static constexpr unsigned char FLAG_PROXY = 0x10;
  static constexpr unsigned char FLAG_SAVE_MARK = 0x20;    // used by the saver while collecting
  static constexpr unsigned char FLAG_OWNED = 0x40;        // an owning pointer holds the unit
  static constexpr unsigned char FLAG_ALIVE = 0x80;        // not destroyed yet

  static constexpr unsigned int END = 0xFFFFFFFFu;  // index: "at the end" for append/remove

  static const string_alias_t class_name;        // "unit_base"
  static const unsigned int fingerprint;          // of "unit_base_t"
  static const unit_descriptor_t unit_descriptor;
  static const unit_attribute_t attributes[];
  static unit_base_t* create_instance(unit_system_t* system);
  static void destroy_instance(unit_base_t* unit, unit_system_t* system);  // deletes; null ignored
  static bool register_class(unit_bank_t& bank);

  explicit unit_base_t(unit_system_t* system);
  unit_base_t(const unit_base_t&) = delete;
  unit_base_t& operator=(const unit_base_t&) = delete;

  // Virtual interface, in slot order after the destructor.
  virtual void destroy();                 // releases what the unit owns and links; clears alive
  virtual unit_base_t* clone() const;     // a nameless copy in the same system, or null
  virtual bool is_anonymous() const;      // true: the type can never carry a name
  virtual bool is_nameless() const;
  virtual bool get_name(mstring_t* out) const;  // the dotted name, or the "_nameless" form
  virtual const unit_descriptor_t* get_unit_descriptor() const;
  virtual bool _call_pre_save();
  virtual bool _call_post_save();
  virtual void _call_pre_load();
  virtual bool _call_post_load();

  // Header.
  unsigned int get_ref_count() const { return ref_count_; }
  unsigned char get_flags() const { return flags_; }
  bool is_alive() const { return (flags_ & FLAG_ALIVE) != 0; }
  bool is_owned() const { return (flags_ & FLAG_OWNED) != 0; }
  bool is_proxy() const { return (flags_ & FLAG_PROXY) != 0; }
  unsigned int get_system_index() const { return flags_ & FLAG_SYSTEM_MASK; }
  void set_save_mark(bool on) { flags_ = on ? (flags_ | FLAG_SAVE_MARK) : (flags_ & ~FLAG_SAVE_MARK); }
  bool has_save_mark() const { return (flags_ & FLAG_SAVE_MARK) != 0; }

  // Reference counting. Dropping the last reference queues the unit for
  // deletion; nothing else deletes a unit.
  void add_reference() { ++ref_count_; }
  void drop_reference();
  // Takes the ownership bit off without queueing (owner_ptr_t::ret_t).
  void release_ownership();
  // For a unit that no owning pointer holds: destroys it and queues it once
  // nothing refers to it. An owned unit is left alone.
  void destroy_unowned();

  // Owning and linking stores into a pointer slot (attributes 47 to 50).
  static void store_owning(unit_base_t** slot, unit_base_t* target);
  static void store_linking(unit_base_t** slot, unit_base_t* target);

  // Enumeration domains: both walk a sorted array and stop early.
  static bool lookup_enum_value(const unit_attr_t<UAT_ENUM>* domain, const string& symbol,
                                int* value);
  static const string* lookup_enum_symbol(const unit_attr_t<UAT_ENUM>* domain, int value);

  // Attribute values.
  QX_UNIT_VALUE_FAMILY(int)
  QX_UNIT_VALUE_FAMILY(unsigned int)
  QX_UNIT_VALUE_FAMILY(long long)
  QX_UNIT_VALUE_FAMILY(unsigned long long)
  QX_UNIT_VALUE_FAMILY(bool)
  QX_UNIT_VALUE_FAMILY(float)
  QX_UNIT_VALUE_FAMILY(unit_float2_t)
  QX_UNIT_VALUE_FAMILY(unit_float3_t)
  QX_UNIT_VALUE_FAMILY(unit_float4_t)
  QX_UNIT_VALUE_FAMILY(unit_matrix_t)
  QX_UNIT_VALUE_FAMILY(quat_t)
  QX_UNIT_VALUE_FAMILY(placement_t)
  QX_UNIT_VALUE_FAMILY(placement_scale_t)
  QX_UNIT_VALUE_FAMILY(placement_nonuniform_t)
  QX_UNIT_VALUE_FAMILY(plane_t)
  QX_UNIT_VALUE_FAMILY(sphere_t)
  QX_UNIT_VALUE_FAMILY(aabox_t)

  // Text: UAT_STRING holds the text, UAT_TOKEN converts it to and from a token.
  bool get_value(const unit_attribute_t* attribute, mstring_t* out) const;
  bool set_value(const unit_attribute_t* attribute, const string& value);
  bool get_value(const unit_attribute_t* attribute, unsigned int index, mstring_t* out) const;
  bool set_value(const unit_attribute_t* attribute, unsigned int index, const string& value);
  bool append_value(const unit_attribute_t* attribute, unsigned int index, const string& value);
  bool prepend_value(const unit_attribute_t* attribute, unsigned int index, const string& value);
  bool get_value(const unit_attribute_t* attribute, const mstring_t** out) const;  // UAT_STRING
  bool get_value(const unit_attribute_t* attribute, unsigned int index,
                 const mstring_t** out) const;  // always false
  unit_check_result_t check_value(const unit_attribute_t* attribute, const string& value) const;
  // A literal is text, not a bool: without these a `const char*` would
  // convert to bool before it converted to string.
  bool set_value(const unit_attribute_t* attribute, const char* value) {
    return set_value(attribute, string_alias_t(value));
  }
  bool set_value(const unit_attribute_t* attribute, unsigned int index, const char* value) {
    return set_value(attribute, index, string_alias_t(value));
  }
  bool append_value(const unit_attribute_t* attribute, unsigned int index, const char* value) {
    return append_value(attribute, index, string_alias_t(value));
  }
  bool prepend_value(const unit_attribute_t* attribute, unsigned int index, const char* value) {
    return prepend_value(attribute, index, string_alias_t(value));
  }
  unit_check_result_t check_value(const unit_attribute_t* attribute, const char* value) const {
    return check_value(attribute, string_alias_t(value));
  }

  // Unit pointers: owning (47, 48), linking (49, 50), resource ties (51, 52).
  bool get_value(const unit_attribute_t* attribute, unit_base_t** out) const;
  bool set_value(const unit_attribute_t* attribute, unit_base_t* value);
  bool get_value(const unit_attribute_t* attribute, unsigned int index, unit_base_t** out) const;
  bool set_value(const unit_attribute_t* attribute, unsigned int index, unit_base_t* value);
  bool append_value(const unit_attribute_t* attribute, unsigned int index, unit_base_t* value);
  bool prepend_value(const unit_attribute_t* attribute, unsigned int index, unit_base_t* value);
  bool get_value(const unit_attribute_t* attribute, array_t<unit_base_t*>* out) const;
  unit_check_result_t check_value(const unit_attribute_t* attribute,
                                  unit_base_t* const& value) const;
  // nullptr is a null unit, not a null text.
  bool set_value(const unit_attribute_t* attribute, std::nullptr_t) {
    return set_value(attribute, static_cast<unit_base_t*>(nullptr));
  }
  bool set_value(const unit_attribute_t* attribute, unsigned int index, std::nullptr_t) {
    return set_value(attribute, index, static_cast<unit_base_t*>(nullptr));
  }
  bool append_value(const unit_attribute_t* attribute, unsigned int index, std::nullptr_t) {
    return append_value(attribute, index, static_cast<unit_base_t*>(nullptr));
  }
  bool prepend_value(const unit_attribute_t* attribute, unsigned int index, std::nullptr_t) {
    return prepend_value(attribute, index, static_cast<unit_base_t*>(nullptr));
  }
  unit_check_result_t check_value(const unit_attribute_t* attribute, std::nullptr_t) const {
    return check_value(attribute, static_cast<unit_base_t*>(nullptr));
  }

  // Every array type.
  bool remove_value(const unit_attribute_t* attribute, unsigned int index);
  bool get_size(const unit_attribute_t* attribute, unsigned int* size) const;
  bool request_capacity(const unit_attribute_t* attribute, unsigned int capacity);

  // check_value for a unit that may be null (UCR_NO_UNIT).
  template <class T>
  static unit_check_result_t check_unit_value(const unit_base_t* unit,
                                              const unit_attribute_t* attribute, const T& value) {
    return unit == nullptr ? UCR_NO_UNIT : unit->check_value(attribute, value);
  }

  // Units live in memory from the host's scalar hooks.
  static void* operator new(std::size_t size) noexcept;
  static void operator delete(void* p) noexcept;

 protected:
  virtual ~unit_base_t();
  // The delete behind every destroy_instance: units are deleted only there.
  static void _delete_unit(unit_base_t* unit) { delete unit; }

  virtual bool _clone_to(unit_base_t* target) const;
  bool _clone_attributes_to(const unit_descriptor_t& type, unit_base_t* target) const;
  void _destroy_attributes(const unit_descriptor_t& type);

  // The clone of a class X: an X in this unit's system, filled by X::_clone_to.
  template <class X>
  unit_base_t* _clone_as() const {
    return _finish_clone(X::create_instance(_clone_system()));
  }

  // The inline fast path of the value families: an attribute of the unit's
  // own class that stores the value type as it is. Everything else takes the
  // general path, which gives the same answers.
  bool _is_own_scalar(const unit_attribute_t* attribute, unit_attr_type_t natural) const {
    return attribute != nullptr && attribute->type == natural &&
           attribute->owner == get_unit_descriptor();
  }

  // Where a value of `attribute` lives inside this unit.
  void* _attribute_address(const unit_attribute_t* attribute) {
    return reinterpret_cast<char*>(this) + attribute->offset;
  }
  const void* _attribute_address(const unit_attribute_t* attribute) const {
    return reinterpret_cast<const char*>(this) + attribute->offset;
  }

 private:
  friend class unit_system_t;
  friend class unit_proxy_u;

  unit_system_t* _clone_system() const;
  unit_base_t* _finish_clone(unit_base_t* copy) const;

  // Widened to 32 bits: 16 would wrap at 65 536 holders, and the header has
  // room for it beside the flags on 64-bit targets.
  unsigned int ref_count_ = 0;
  unsigned char flags_;
};

#undef QX_UNIT_VALUE_FAMILY

}  // namespace quarn
