// The constant records that describe a unit type: its descriptor, its table of
// attributes (offset, value type, domain, name) and the domain records that
// restrict an attribute's values. Hosts normally write them with the helpers of
// units/unit_declare.h; hand-written records in this field order work as well.
//
//   const unit_attribute_t* a = unit_system_t::get_attribute_descriptor(type, "speed");
//   if (a && a->type == UAT_FLOAT) ...
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"
#include "qxcore/strings/string.h"

namespace quarn {

class unit_base_t;
class unit_system_t;
struct unit_attribute_t;

// Attribute value types: odd values are scalars, the next even value is the
// array of that scalar (stored as array_t<T>); 0 ends an attribute table.
enum unit_attr_type_t : unsigned int {
  UAT_NONE = 0,
  UAT_STRING = 1,                     // mstring_t
  UAT_STRING_ARRAY = 2,               // array_t<string_dyn_t<>>
  UAT_TOKEN = 3,                      // unsigned long long holding a token
  UAT_TOKEN_ARRAY = 4,
  UAT_FLOAT = 5,
  UAT_FLOAT_ARRAY = 6,
  UAT_FLOAT2 = 7,                     // vec_t<float, 2>
  UAT_FLOAT2_ARRAY = 8,
  UAT_FLOAT3 = 9,
  UAT_FLOAT3_ARRAY = 10,
  UAT_FLOAT4 = 11,
  UAT_FLOAT4_ARRAY = 12,
  UAT_MATRIX = 13,                    // mat_sq_t<float, 4>
  UAT_MATRIX_ARRAY = 14,
  UAT_QUAT = 15,
  UAT_QUAT_ARRAY = 16,
  UAT_PLACEMENT = 17,
  UAT_PLACEMENT_ARRAY = 18,
  UAT_PLACEMENT_SCALE = 19,
  UAT_PLACEMENT_SCALE_ARRAY = 20,
  UAT_PLACEMENT_NONUNIFORM = 21,
  UAT_PLACEMENT_NONUNIFORM_ARRAY = 22,
  UAT_PLANE = 23,
  UAT_PLANE_ARRAY = 24,
  UAT_SPHERE = 25,
  UAT_SPHERE_ARRAY = 26,
  UAT_AABOX = 27,
  UAT_AABOX_ARRAY = 28,
  UAT_S32 = 29,                       // int
  UAT_S32_ARRAY = 30,
  UAT_U32 = 31,                       // unsigned int
  UAT_U32_ARRAY = 32,
  UAT_S32_ALT = 33,                   // treated exactly as UAT_S32
  UAT_S32_ALT_ARRAY = 34,
  UAT_U32_ALT = 35,                   // treated exactly as UAT_U32
  UAT_U32_ALT_ARRAY = 36,
  UAT_S64 = 37,                       // long long
  UAT_S64_ARRAY = 38,
  UAT_U64 = 39,                       // unsigned long long
  UAT_U64_ARRAY = 40,
  UAT_U32_UNCHECKED = 41,             // unsigned int, domain never read
  UAT_U32_UNCHECKED_ARRAY = 42,
  UAT_BOOL = 43,                      // bool (one byte)
  UAT_BOOL_ARRAY = 44,
  UAT_ENUM = 45,                      // int, one of the domain's symbol values
  UAT_ENUM_ARRAY = 46,
  UAT_OWNED_UNIT = 47,                // unit_base_t* that owns its target
  UAT_OWNED_UNIT_ARRAY = 48,
  UAT_LINKED_UNIT = 49,               // unit_base_t* that only references its target
  UAT_LINKED_UNIT_ARRAY = 50,
  UAT_RESOURCE_TIE = 51,              // storage kept by the resource tie
  UAT_RESOURCE_TIE_ARRAY = 52,
};

constexpr unsigned int UAT_LAST = 52;

QX_API bool unit_attr_type_is_unit(unit_attr_type_t t);    // 47..50
QX_API bool unit_attr_type_is_array(unit_attr_type_t t);   // even 2..52
QX_API unit_attr_type_t unit_attr_type_element_type(unit_attr_type_t t);  // the scalar of an array

// What check_value answers; the numbers are fixed (1 is never produced).
enum unit_check_result_t : unsigned int {
  UCR_OK = 0,
  UCR_NO_UNIT = 2,
  UCR_NO_ATTRIBUTE = 3,
  UCR_FOREIGN_ATTRIBUTE = 4,   // the unit's type does not inherit from the attribute's owner
  UCR_TYPE_MISMATCH = 5,       // the overload does not serve the attribute's type
  UCR_TOO_LARGE = 6,           // the integer does not fit the attribute's width
  UCR_BELOW_MIN = 7,
  UCR_ABOVE_MAX = 8,
  UCR_TOO_LONG = 9,
  UCR_INVALID_TOKEN = 10,
  UCR_NOT_IN_ENUM = 11,
  UCR_WRONG_UNIT_TYPE = 12,
  UCR_NULL_NOT_ALLOWED = 13,
};

// One constant record per unit type. Two descriptors are the same type only
// when they are the same record.
struct unit_descriptor_t {
  const string* class_name;                                // "unit", as used in files and banks
  unit_base_t* (*create)(unit_system_t* system);           // null for an abstract type
  void (*destroy)(unit_base_t* unit, unit_system_t* system);
  const unit_descriptor_t* parent;                         // null only for unit_base_t
  const unit_attribute_t* attributes;                      // the type's own table, never null
  const unsigned int* fingerprint;                         // the class's static fingerprint
};

// One entry of an attribute table; a table ends with an entry of type 0.
struct unit_attribute_t {
  const unit_descriptor_t* owner;  // the type that declares the attribute
  unsigned int offset;             // bytes from the start of the unit object
  unit_attr_type_t type;
  const void* domain;              // the unit_attr_t<type> record, or null for no restriction
  string_alias_t name;             // "" in the terminating entry
};

// A symbol of an enumeration domain. Its text is a literal that lives as long
// as the program, so records of symbols can be constant data.
struct unit_enum_entry_t {
  int value;
  string_alias_t symbol;
};

// Domain records, one layout per value type; an array type shares the layout
// of its scalar. Types whose domain is never read have an empty record.
template <unsigned int N>
struct unit_attr_t {};

#define QX_UNIT_DOMAIN_RECORD(scalar, ...)      \
  template <>                                   \
  struct unit_attr_t<scalar> {                  \
    __VA_ARGS__                                 \
  };                                            \
  template <>                                   \
  struct unit_attr_t<scalar + 1> : unit_attr_t<scalar> {}

QX_UNIT_DOMAIN_RECORD(UAT_STRING, unsigned int max_length;);  // in bytes
QX_UNIT_DOMAIN_RECORD(UAT_FLOAT, float min; float max;);       // inclusive
QX_UNIT_DOMAIN_RECORD(UAT_FLOAT2, vec_t<float, 2> min; vec_t<float, 2> max;);
QX_UNIT_DOMAIN_RECORD(UAT_FLOAT3, vec_t<float, 3> min; vec_t<float, 3> max;);
QX_UNIT_DOMAIN_RECORD(UAT_FLOAT4, vec_t<float, 4> min; vec_t<float, 4> max;);
QX_UNIT_DOMAIN_RECORD(UAT_S32, int min; int max;);
QX_UNIT_DOMAIN_RECORD(UAT_U32, unsigned int min; unsigned int max;);
QX_UNIT_DOMAIN_RECORD(UAT_S32_ALT, int min; int max;);
QX_UNIT_DOMAIN_RECORD(UAT_U32_ALT, unsigned int min; unsigned int max;);
QX_UNIT_DOMAIN_RECORD(UAT_S64, long long min; long long max;);
QX_UNIT_DOMAIN_RECORD(UAT_U64, unsigned long long min; unsigned long long max;);
// Both arrays hold the same `count` pairs: by_value sorted by ascending value,
// by_symbol by ascending symbol in unsigned byte order.
QX_UNIT_DOMAIN_RECORD(UAT_ENUM, unsigned int reserved; unsigned int count;
                      const unit_enum_entry_t* by_value; const unit_enum_entry_t* by_symbol;);
// Unit-pointer records: the required type (null: any) and whether null is refused.
QX_UNIT_DOMAIN_RECORD(UAT_OWNED_UNIT, const unit_descriptor_t* required_type; bool required;);
QX_UNIT_DOMAIN_RECORD(UAT_LINKED_UNIT, const unit_descriptor_t* required_type; bool required;);
QX_UNIT_DOMAIN_RECORD(UAT_RESOURCE_TIE, const unit_descriptor_t* required_type; bool required;);

#undef QX_UNIT_DOMAIN_RECORD

}  // namespace quarn
