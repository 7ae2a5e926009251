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
QX_UNIT_DEFINE(
    all_types_t, "all_types", QX_UNIT_ATTR(s, UAT_STRING, &short_text),
    QX_UNIT_ATTR(s_a, UAT_STRING_ARRAY, &short_text), QX_UNIT_ATTR(tok, UAT_TOKEN, nullptr),
    QX_UNIT_ATTR(tok_a, UAT_TOKEN_ARRAY, nullptr), QX_UNIT_ATTR(f, UAT_FLOAT, &unit_interval),
    QX_UNIT_ATTR(f_a, UAT_FLOAT_ARRAY, &unit_interval), QX_UNIT_ATTR(f2, UAT_FLOAT2, nullptr),
    QX_UNIT_ATTR(f2_a, UAT_FLOAT2_ARRAY, nullptr), QX_UNIT_ATTR(f3, UAT_FLOAT3, &small_box),
    QX_UNIT_ATTR(f3_a, UAT_FLOAT3_ARRAY, &small_box), QX_UNIT_ATTR(f4, UAT_FLOAT4, nullptr),
    QX_UNIT_ATTR(f4_a, UAT_FLOAT4_ARRAY, nullptr), QX_UNIT_ATTR(m, UAT_MATRIX, nullptr),
    QX_UNIT_ATTR(m_a, UAT_MATRIX_ARRAY, nullptr), QX_UNIT_ATTR(q, UAT_QUAT, nullptr),
    QX_UNIT_ATTR(q_a, UAT_QUAT_ARRAY, nullptr), QX_UNIT_ATTR(p, UAT_PLACEMENT, nullptr),
    QX_UNIT_ATTR(p_a, UAT_PLACEMENT_ARRAY, nullptr), QX_UNIT_ATTR(ps, UAT_PLACEMENT_SCALE, nullptr),
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
    QX_UNIT_ATTR(u32u_a, UAT_U32_UNCHECKED_ARRAY, nullptr), QX_UNIT_ATTR(b, UAT_BOOL, nullptr),
    QX_UNIT_ATTR(b_a, UAT_BOOL_ARRAY, nullptr), QX_UNIT_ATTR(e, UAT_ENUM, &shades),
    QX_UNIT_ATTR(e_a, UAT_ENUM_ARRAY, &shades), QX_UNIT_ATTR(own, UAT_OWNED_UNIT, nullptr),
    QX_UNIT_ATTR(own_a, UAT_OWNED_UNIT_ARRAY, nullptr),
    QX_UNIT_ATTR(link, UAT_LINKED_UNIT, nullptr),
    QX_UNIT_ATTR(link_a, UAT_LINKED_UNIT_ARRAY, nullptr),
    QX_UNIT_ATTR(res, UAT_RESOURCE_TIE, nullptr),
    QX_UNIT_ATTR(res_a, UAT_RESOURCE_TIE_ARRAY, nullptr));

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
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
    &plain_t::class_name,          &plain_t::create_instance, &plain_t::destroy_instance,
    &unit_base_t::unit_descriptor, plain_t::attributes,       &plain_t::fingerprint};

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
