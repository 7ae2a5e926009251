#include "tests/units/test_units.h"

namespace qxtest {

constinit const unit_attr_t<UAT_STRING> short_text{4};
constinit const unit_attr_t<UAT_FLOAT> unit_interval{0.0f, 1.0f};
constinit const unit_attr_t<UAT_FLOAT3> small_box{{-1, -1, -1}, {1, 1, 1}};
constinit const unit_attr_t<UAT_S32> minus_five_to_five{-5, 5};
constinit const unit_attr_t<UAT_U32> ten_to_twenty{10, 20};
constinit const unit_attr_t<UAT_OWNED_UNIT> required_body{&body_t::unit_descriptor, true};
// Listed out of order on purpose: the helper sorts both arrays.
QX_UNIT_ENUM(shades, {7, "light"}, {-1, "dark"}, {3, "Grey"});

QX_UNIT_DEFINE(part_t, "part", QX_UNIT_ATTR(label, UAT_STRING, nullptr));
QX_UNIT_DEFINE(body_t, "body", QX_UNIT_ATTR(mass, UAT_FLOAT, &unit_interval),
               QX_UNIT_ATTR(label, UAT_STRING, &short_text));
QX_UNIT_DEFINE(all_types_t, "all_types",
               QX_UNIT_ATTR(s, UAT_STRING, &short_text), QX_UNIT_ATTR(s_a, UAT_STRING_ARRAY, &short_text),
               QX_UNIT_ATTR(tok, UAT_TOKEN, nullptr), QX_UNIT_ATTR(tok_a, UAT_TOKEN_ARRAY, nullptr),
               QX_UNIT_ATTR(f, UAT_FLOAT, &unit_interval), QX_UNIT_ATTR(f_a, UAT_FLOAT_ARRAY, &unit_interval),
               QX_UNIT_ATTR(f2, UAT_FLOAT2, nullptr), QX_UNIT_ATTR(f2_a, UAT_FLOAT2_ARRAY, nullptr),
               QX_UNIT_ATTR(f3, UAT_FLOAT3, &small_box), QX_UNIT_ATTR(f3_a, UAT_FLOAT3_ARRAY, &small_box),
               QX_UNIT_ATTR(f4, UAT_FLOAT4, nullptr), QX_UNIT_ATTR(f4_a, UAT_FLOAT4_ARRAY, nullptr),
               QX_UNIT_ATTR(m, UAT_MATRIX, nullptr), QX_UNIT_ATTR(m_a, UAT_MATRIX_ARRAY, nullptr),
               QX_UNIT_ATTR(q, UAT_QUAT, nullptr), QX_UNIT_ATTR(q_a, UAT_QUAT_ARRAY, nullptr),
               QX_UNIT_ATTR(p, UAT_PLACEMENT, nullptr), QX_UNIT_ATTR(p_a, UAT_PLACEMENT_ARRAY, nullptr),
               QX_UNIT_ATTR(ps, UAT_PLACEMENT_SCALE, nullptr),
               QX_UNIT_ATTR(ps_a, UAT_PLACEMENT_SCALE_ARRAY, nullptr),
               QX_UNIT_ATTR(pn, UAT_PLACEMENT_NONUNIFORM, nullptr),
               QX_UNIT_ATTR(pn_a, UAT_PLACEMENT_NONUNIFORM_ARRAY, nullptr),
               QX_UNIT_ATTR(pl, UAT_PLANE, nullptr), QX_UNIT_ATTR(pl_a, UAT_PLANE_ARRAY, nullptr),
               QX_UNIT_ATTR(sp, UAT_SPHERE, nullptr), QX_UNIT_ATTR(sp_a, UAT_SPHERE_ARRAY, nullptr),
               QX_UNIT_ATTR(bx, UAT_AABOX, nullptr), QX_UNIT_ATTR(bx_a, UAT_AABOX_ARRAY, nullptr),
               QX_UNIT_ATTR(s32, UAT_S32, &minus_five_to_five),
               QX_UNIT_ATTR(s32_a, UAT_S32_ARRAY, &minus_five_to_five),
               QX_UNIT_ATTR(u32, UAT_U32, &ten_to_twenty), QX_UNIT_ATTR(u32_a, UAT_U32_ARRAY, &ten_to_twenty),
               QX_UNIT_ATTR(s32x, UAT_S32_ALT, nullptr), QX_UNIT_ATTR(s32x_a, UAT_S32_ALT_ARRAY, nullptr),
               QX_UNIT_ATTR(u32x, UAT_U32_ALT, nullptr), QX_UNIT_ATTR(u32x_a, UAT_U32_ALT_ARRAY, nullptr),
               QX_UNIT_ATTR(s64, UAT_S64, nullptr), QX_UNIT_ATTR(s64_a, UAT_S64_ARRAY, nullptr),
               QX_UNIT_ATTR(u64, UAT_U64, nullptr), QX_UNIT_ATTR(u64_a, UAT_U64_ARRAY, nullptr),
               QX_UNIT_ATTR(u32u, UAT_U32_UNCHECKED, nullptr),
               QX_UNIT_ATTR(u32u_a, UAT_U32_UNCHECKED_ARRAY, nullptr),
               QX_UNIT_ATTR(b, UAT_BOOL, nullptr), QX_UNIT_ATTR(b_a, UAT_BOOL_ARRAY, nullptr),
               QX_UNIT_ATTR(e, UAT_ENUM, &shades), QX_UNIT_ATTR(e_a, UAT_ENUM_ARRAY, &shades),
               QX_UNIT_ATTR(own, UAT_OWNED_UNIT, nullptr), QX_UNIT_ATTR(own_a, UAT_OWNED_UNIT_ARRAY, nullptr),
               QX_UNIT_ATTR(link, UAT_LINKED_UNIT, nullptr),
               QX_UNIT_ATTR(link_a, UAT_LINKED_UNIT_ARRAY, nullptr),
               QX_UNIT_ATTR(res, UAT_RESOURCE_TIE, nullptr),
               QX_UNIT_ATTR(res_a, UAT_RESOURCE_TIE_ARRAY, nullptr));

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
// The table QX_UNIT_DEFINE writes for all_types_t, written out by hand.
constinit const unit_attribute_t all_types_by_hand[] = {
    {&all_types_t::unit_descriptor, offsetof(all_types_t, s), UAT_STRING, &short_text, "s"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, s_a), UAT_STRING_ARRAY, &short_text, "s_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, tok), UAT_TOKEN, nullptr, "tok"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, tok_a), UAT_TOKEN_ARRAY, nullptr, "tok_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, f), UAT_FLOAT, &unit_interval, "f"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, f_a), UAT_FLOAT_ARRAY, &unit_interval, "f_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, f2), UAT_FLOAT2, nullptr, "f2"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, f2_a), UAT_FLOAT2_ARRAY, nullptr, "f2_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, f3), UAT_FLOAT3, &small_box, "f3"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, f3_a), UAT_FLOAT3_ARRAY, &small_box, "f3_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, f4), UAT_FLOAT4, nullptr, "f4"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, f4_a), UAT_FLOAT4_ARRAY, nullptr, "f4_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, m), UAT_MATRIX, nullptr, "m"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, m_a), UAT_MATRIX_ARRAY, nullptr, "m_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, q), UAT_QUAT, nullptr, "q"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, q_a), UAT_QUAT_ARRAY, nullptr, "q_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, p), UAT_PLACEMENT, nullptr, "p"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, p_a), UAT_PLACEMENT_ARRAY, nullptr, "p_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, ps), UAT_PLACEMENT_SCALE, nullptr, "ps"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, ps_a), UAT_PLACEMENT_SCALE_ARRAY, nullptr, "ps_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, pn), UAT_PLACEMENT_NONUNIFORM, nullptr, "pn"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, pn_a), UAT_PLACEMENT_NONUNIFORM_ARRAY, nullptr, "pn_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, pl), UAT_PLANE, nullptr, "pl"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, pl_a), UAT_PLANE_ARRAY, nullptr, "pl_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, sp), UAT_SPHERE, nullptr, "sp"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, sp_a), UAT_SPHERE_ARRAY, nullptr, "sp_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, bx), UAT_AABOX, nullptr, "bx"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, bx_a), UAT_AABOX_ARRAY, nullptr, "bx_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, s32), UAT_S32, &minus_five_to_five, "s32"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, s32_a), UAT_S32_ARRAY, &minus_five_to_five, "s32_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, u32), UAT_U32, &ten_to_twenty, "u32"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, u32_a), UAT_U32_ARRAY, &ten_to_twenty, "u32_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, s32x), UAT_S32_ALT, nullptr, "s32x"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, s32x_a), UAT_S32_ALT_ARRAY, nullptr, "s32x_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, u32x), UAT_U32_ALT, nullptr, "u32x"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, u32x_a), UAT_U32_ALT_ARRAY, nullptr, "u32x_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, s64), UAT_S64, nullptr, "s64"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, s64_a), UAT_S64_ARRAY, nullptr, "s64_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, u64), UAT_U64, nullptr, "u64"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, u64_a), UAT_U64_ARRAY, nullptr, "u64_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, u32u), UAT_U32_UNCHECKED, nullptr, "u32u"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, u32u_a), UAT_U32_UNCHECKED_ARRAY, nullptr, "u32u_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, b), UAT_BOOL, nullptr, "b"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, b_a), UAT_BOOL_ARRAY, nullptr, "b_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, e), UAT_ENUM, &shades, "e"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, e_a), UAT_ENUM_ARRAY, &shades, "e_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, own), UAT_OWNED_UNIT, nullptr, "own"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, own_a), UAT_OWNED_UNIT_ARRAY, nullptr, "own_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, link), UAT_LINKED_UNIT, nullptr, "link"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, link_a), UAT_LINKED_UNIT_ARRAY, nullptr, "link_a"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, res), UAT_RESOURCE_TIE, nullptr, "res"},
    {&all_types_t::unit_descriptor, offsetof(all_types_t, res_a), UAT_RESOURCE_TIE_ARRAY, nullptr, "res_a"},
    {&all_types_t::unit_descriptor, 0, UAT_NONE, nullptr, ""}};
constinit const string_alias_t plain_t::class_name = "plain";
constinit const unsigned int plain_t::fingerprint = unit_fingerprint_of("plain_t");
constinit const unit_attribute_t plain_t::attributes[] = {
    {&plain_t::unit_descriptor, offsetof(plain_t, count), UAT_S32, &minus_five_to_five, "count"},
    {&plain_t::unit_descriptor, offsetof(plain_t, child), UAT_OWNED_UNIT, &required_body, "child"},
    {&plain_t::unit_descriptor, offsetof(plain_t, friends), UAT_LINKED_UNIT_ARRAY, nullptr,
     "friends"},
    {&plain_t::unit_descriptor, 0, UAT_NONE, nullptr, ""}};
#pragma GCC diagnostic pop
constinit const unit_descriptor_t plain_t::unit_descriptor = {
    &plain_t::class_name, &plain_t::create_instance, &plain_t::destroy_instance,
    &unit_base_t::unit_descriptor, plain_t::attributes, &plain_t::fingerprint};

const unit_attribute_t* attr(const char* name) {
  return unit_system_t::get_attribute_descriptor(&all_types_t::unit_descriptor,
                                                 string_alias_t(name));
}

void register_test_classes(unit_bank_t& bank) {
  part_t::register_class(bank);
  body_t::register_class(bank);
  all_types_t::register_class(bank);
  plain_t::register_class(bank);
}

}  // namespace qxtest
