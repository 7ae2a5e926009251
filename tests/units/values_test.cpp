// Attribute values: which value types serve which attribute types (against a
// literal transcription of the rules, widening included), array operations,
// domain checks.
#include <cmath>
#include <limits>
#include <set>

#include "tests/units/units_fixture.h"

namespace qxtest {
namespace {

struct family_rule_t {
  std::set<unsigned int> get, set;  // scalar types; array forms follow the element type
};

template <class T>
void check_family(all_types_t* u, const T& sample, const family_rule_t& rule, const char* label) {
  for (const unit_attribute_t* a = all_types_t::attributes; a->type != UAT_NONE; ++a) {
    if (a->type >= UAT_RESOURCE_TIE) continue;  // the tie answers for those
    bool array = a->type % 2 == 0;
    unsigned int scalar = array ? a->type - 1 : a->type;
    bool gets = rule.get.count(scalar) != 0, sets = rule.set.count(scalar) != 0;
    T out{};
    if (!array) {
      EXPECT_EQ(u->get_value(a, &out), gets) << label << " get " << a->name.c_str();
      EXPECT_EQ(u->set_value(a, sample), sets) << label << " set " << a->name.c_str();
      continue;
    }
    EXPECT_EQ(u->get_value(a, 0u, &out), gets) << label << " get[0] " << a->name.c_str();
    EXPECT_EQ(u->set_value(a, 0u, sample), sets) << label << " set[0] " << a->name.c_str();
    EXPECT_EQ(u->append_value(a, unit_base_t::END, sample), sets)
        << label << " append " << a->name.c_str();
    if (sets) {
      EXPECT_TRUE(u->remove_value(a, unit_base_t::END));
    }
  }
}

TEST_F(units_test, each_value_type_serves_exactly_its_attribute_types) {
  host_tie_scope_t tie;
  all_types_t* u = make<all_types_t>();
  owner_ptr_t<all_types_t> hold = u;
  // One element in every array, so that index 0 exists.
  auto grow = [](auto&... arrays) { (arrays.resize(1), ...); };
  grow(u->s_a, u->tok_a, u->f_a, u->f2_a, u->f3_a, u->f4_a, u->m_a, u->q_a, u->p_a, u->ps_a,
       u->pn_a, u->pl_a, u->sp_a, u->bx_a, u->s32_a, u->u32_a, u->s32x_a, u->u32x_a, u->s64_a,
       u->u64_a, u->u32u_a, u->b_a, u->e_a, u->own_a, u->link_a);
  u->e_a.data()[0] = 7;
  check_family(u, 1, {{29, 33, 45}, {29, 33, 45, 37}}, "int");
  check_family(u, 1u, {{31, 35, 41}, {31, 35, 41, 3, 39}}, "unsigned");
  check_family(u, 1ll, {{37, 29, 33, 45}, {37}}, "long long");
  check_family(u, 1ull, {{3, 39, 31, 35, 41}, {3, 39}}, "unsigned long long");
  check_family(u, true, {{43}, {43}}, "bool");
  check_family(u, 0.5f, {{5}, {5}}, "float");
  check_family(u, unit_float2_t{}, {{7}, {7}}, "float2");
  check_family(u, unit_float3_t{}, {{9}, {9}}, "float3");
  check_family(u, unit_float4_t{}, {{11}, {11}}, "float4");
  check_family(u, unit_matrix_t{}, {{13}, {13}}, "matrix");
  check_family(u, quat_t{}, {{15}, {15}}, "quat");
  check_family(u, placement_t{}, {{17}, {17}}, "placement");
  check_family(u, placement_scale_t{}, {{19}, {19}}, "placement_scale");
  check_family(u, placement_nonuniform_t{}, {{21}, {21}}, "placement_nonuniform");
  check_family(u, plane_t{}, {{23}, {23}}, "plane");
  check_family(u, sphere_t{}, {{25}, {25}}, "sphere");
  check_family(u, aabox_t{}, {{27}, {27}}, "aabox");
  check_family(u, static_cast<unit_base_t*>(nullptr), {{47, 49}, {47, 49}}, "unit pointer");
  // Text goes through mstring_t on the way out and string on the way in.
  for (const unit_attribute_t* a = all_types_t::attributes; a->type < UAT_RESOURCE_TIE; ++a) {
    bool text = a->type <= UAT_TOKEN_ARRAY, array = a->type % 2 == 0;
    string_dyn_t<> out;
    EXPECT_EQ(array ? u->get_value(a, 0u, &out) : u->get_value(a, &out), text) << a->name.c_str();
    EXPECT_EQ(array ? u->set_value(a, 0u, "ab") : u->set_value(a, string_alias_t("ab")), text)
        << a->name.c_str();
  }
  // Views of the stored string and array serve their own type only.
  const mstring_t* view = nullptr;
  EXPECT_TRUE(u->get_value(attr("s"), &view));
  EXPECT_EQ(view, &u->s);
  EXPECT_FALSE(u->get_value(attr("tok"), &view));
  const array_t<int>* ints = nullptr;
  EXPECT_TRUE(u->get_value(attr("e_a"), &ints));
  EXPECT_EQ(ints, &u->e_a);
  EXPECT_FALSE(u->get_value(attr("s64_a"), &ints));
}

TEST_F(units_test, arrays_grow_only_by_append_and_prepend) {
  all_types_t* u = make<all_types_t>();
  owner_ptr_t<all_types_t> hold = u;
  const unit_attribute_t* a = attr("s32_a");
  constexpr unsigned int END = unit_base_t::END;
  enum op_t { APPEND, PREPEND, SET, REMOVE };
  struct step_t {
    op_t op;
    unsigned int index;
    int value;
    bool ok;
    std::vector<int> after;
  } steps[] = {
      {PREPEND, 0, 9, false, {}},          {REMOVE, END, 0, false, {}},
      {APPEND, 0, 9, false, {}},           {APPEND, END, 1, true, {1}},
      {PREPEND, 0, 0, true, {0, 1}},       {APPEND, 0, 5, true, {0, 5, 1}},
      {APPEND, 3, 9, false, {0, 5, 1}},    {PREPEND, 3, 9, false, {0, 5, 1}},
      {PREPEND, END, 9, false, {0, 5, 1}}, {APPEND, 2, 7, true, {0, 5, 1, 7}},
      {SET, 4, 9, false, {0, 5, 1, 7}},    {SET, 1, 2, true, {0, 2, 1, 7}},
      {REMOVE, 0, 0, true, {2, 1, 7}},     {REMOVE, END, 0, true, {2, 1}},
      {REMOVE, 2, 0, false, {2, 1}},
  };
  for (const step_t& s : steps) {
    bool ok = s.op == APPEND    ? u->append_value(a, s.index, s.value)
              : s.op == PREPEND ? u->prepend_value(a, s.index, s.value)
              : s.op == SET     ? u->set_value(a, s.index, s.value)
                                : u->remove_value(a, s.index);
    EXPECT_EQ(ok, s.ok) << s.op << " " << s.index;
    EXPECT_EQ(std::vector<int>(u->s32_a.data(), u->s32_a.data() + u->s32_a.size()), s.after);
  }
  unsigned int size = 0;
  EXPECT_TRUE(u->request_capacity(a, 100));
  EXPECT_TRUE(u->get_size(a, &size));
  EXPECT_EQ(size, 2u);
  EXPECT_GE(u->s32_a.capacity(), 100u);
  EXPECT_FALSE(u->get_size(attr("s32"), &size));
  EXPECT_FALSE(u->request_capacity(attr("s32"), 1));
  // Strings are inserted in place.
  EXPECT_TRUE(u->append_value(attr("s_a"), END, "b"));
  EXPECT_TRUE(u->prepend_value(attr("s_a"), 0, "a"));
  string_dyn_t<> text;
  EXPECT_TRUE(u->get_value(attr("s_a"), 1u, &text));
  EXPECT_EQ(text, "b");
}

TEST_F(units_test, domain_checks_in_their_designed_order) {
  all_types_t* u = make<all_types_t>();
  owner_ptr_t<all_types_t> hold = u;
  plain_t* p = make<plain_t>();
  owner_ptr_t<plain_t> hold_plain = p;
  body_t* body = make<body_t>();
  owner_ptr_t<body_t> hold_body = body;
  unit_proxy_u* proxy = make<unit_proxy_u>();
  owner_ptr_t<unit_proxy_u> hold_proxy = proxy;
  const unit_attribute_t* child = &plain_t::attributes[1];
  unit_attribute_t bare_enum = *attr("e");
  bare_enum.domain = nullptr;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct case_t {
    const char* what;
    unit_check_result_t expected;
    unit_check_result_t got;
  } cases[] = {
      {"s32 5", UCR_OK, u->check_value(attr("s32"), 5)},
      {"s32 6", UCR_ABOVE_MAX, u->check_value(attr("s32"), 6)},
      {"s32 -6", UCR_BELOW_MIN, u->check_value(attr("s32_a"), -6)},
      {"s32 2^31", UCR_TOO_LARGE, u->check_value(attr("s32"), 1ll << 31)},
      {"s32 all bits as -1", UCR_OK, u->check_value(attr("s32"), ~0ull)},
      {"u32 -1", UCR_TOO_LARGE, u->check_value(attr("u32"), -1)},
      {"u32 9", UCR_BELOW_MIN, u->check_value(attr("u32"), 9u)},
      {"u32 21", UCR_ABOVE_MAX, u->check_value(attr("u32_a"), 21ll)},
      {"u32u 2^32", UCR_TOO_LARGE, u->check_value(attr("u32u"), 1ull << 32)},
      {"u64 -1", UCR_OK, u->check_value(attr("u64"), -1)},
      {"enum 3", UCR_OK, u->check_value(attr("e"), 3)},
      {"enum 4", UCR_NOT_IN_ENUM, u->check_value(attr("e_a"), 4)},
      {"enum 2^31", UCR_TOO_LARGE, u->check_value(attr("e"), 1ll << 31)},
      {"enum no domain", UCR_NOT_IN_ENUM, u->check_value(&bare_enum, 7)},
      {"f above 1", UCR_ABOVE_MAX, u->check_value(attr("f"), std::nextafter(1.0f, 2.0f))},
      {"f NaN", UCR_OK, u->check_value(attr("f_a"), nan)},
      {"f3 x high, y low", UCR_ABOVE_MAX, u->check_value(attr("f3"), unit_float3_t{2, -2, 0})},
      {"f3 y low", UCR_BELOW_MIN, u->check_value(attr("f3_a"), unit_float3_t{0, -2, 0})},
      {"s 4 bytes", UCR_OK, u->check_value(attr("s"), string_alias_t("abcd"))},
      {"s 5 bytes", UCR_TOO_LONG, u->check_value(attr("s_a"), string_alias_t("abcde"))},
      {"tok dash", UCR_INVALID_TOKEN, u->check_value(attr("tok_a"), string_alias_t("a-b"))},
      {"tok 13", UCR_INVALID_TOKEN, u->check_value(attr("tok"), string_alias_t("abcdefghijklm"))},
      {"bool on f", UCR_TYPE_MISMATCH, u->check_value(attr("f"), true)},
      {"float on s32", UCR_TYPE_MISMATCH, u->check_value(attr("s32"), 1.0f)},
      {"text on s32", UCR_TYPE_MISMATCH, u->check_value(attr("s32"), string_alias_t("1"))},
      {"null attribute", UCR_NO_ATTRIBUTE, u->check_value(nullptr, 1)},
      {"foreign", UCR_FOREIGN_ATTRIBUTE, u->check_value(child, body)},
      {"no unit", UCR_NO_UNIT, unit_base_t::check_unit_value(nullptr, attr("s32"), 1)},
      {"child null", UCR_NULL_NOT_ALLOWED, p->check_value(child, nullptr)},
      {"child derived", UCR_OK, p->check_value(child, u)},
      {"child plain", UCR_WRONG_UNIT_TYPE, p->check_value(child, p)},
      {"child proxy", UCR_OK, p->check_value(child, proxy)},
      {"res no domain", UCR_OK, u->check_value(attr("res"), body)},
  };
  for (const case_t& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

}  // namespace
}  // namespace qxtest
