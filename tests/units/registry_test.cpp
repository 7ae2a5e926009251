// Unit types: the bank, fingerprints, inheritance, attribute lookup, the
// type classification and enumeration domains.
#include "tests/units/units_fixture.h"

namespace qxtest {
namespace {

TEST_F(units_test, fresh_bank_knows_the_two_root_types_by_their_short_names) {
  unit_bank_t fresh;
  ASSERT_EQ(fresh.get_class_count(), 2u);
  EXPECT_STREQ(fresh.get_class_name(0), "unit_base");
  EXPECT_STREQ(fresh.get_class_name(1), "unit");
  EXPECT_EQ(fresh.get_descriptor("unit"), &unit_t::unit_descriptor);
  EXPECT_EQ(fresh.get_descriptor("unit_t"), nullptr);
  EXPECT_EQ(fresh.get_descriptor("Unit"), nullptr);
  register_test_classes(fresh);
  fresh.reset();
  EXPECT_EQ(fresh.get_class_count(), 2u);
  EXPECT_EQ(fresh.get_descriptor("body"), nullptr);
}

TEST_F(units_test, registration_keeps_the_first_descriptor_of_a_name) {
  // A second descriptor under the name "body", written by hand.
  const unit_descriptor_t impostor = {
      &body_t::class_name, nullptr, nullptr, &unit_t::unit_descriptor, unit_t::attributes,
      &body_t::fingerprint};
  EXPECT_TRUE(bank.register_class(body_t::unit_descriptor));
  EXPECT_FALSE(bank.register_class(impostor));
  EXPECT_EQ(bank.get_descriptor("body"), &body_t::unit_descriptor);
  EXPECT_FALSE(bank.unregister_class(impostor));
  EXPECT_EQ(bank.get_descriptor("body"), nullptr);  // removed before the comparison
  EXPECT_FALSE(bank.unregister_class(body_t::unit_descriptor));
  EXPECT_TRUE(bank.register_class(body_t::unit_descriptor));
  EXPECT_TRUE(bank.unregister_class(body_t::unit_descriptor));
  EXPECT_STREQ(bank.get_class_name(bank.get_class_count() - 1), "plain");
  std::vector<std::string> expected = {
      "[unit] Unit type 'body' registered twice.",
      "[unit] Attempt to register unit type 'body', but the type name is already taken.",
      "[unit] Unregister unit type 'body', but there was some other class registered under "
      "this name.",
      "[unit] Attempt to unregister unit type 'body' - but it was not registered at all."};
  std::vector<std::string> seen;
  for (const auto& m : sink.messages) seen.push_back(m.text);
  EXPECT_EQ(seen, expected);
}

TEST_F(units_test, fingerprints_follow_h_times_31_plus_byte) {
  struct case_t {
    const char* name;
    unsigned int expected;
  } cases[] = {{"", 0}, {"a", 97}, {"ab", 97 * 31 + 98}, {"\xff", 255}, {"\x80\x01", 128 * 31 + 1}};
  for (const case_t& c : cases)
    EXPECT_EQ(unit_system_t::compute_fingerprint(c.name), c.expected) << c.name;
  // Each class's fingerprint is that of its C++ identifier, not its short name.
  EXPECT_EQ(unit_proxy_u::fingerprint, unit_system_t::compute_fingerprint("unit_proxy_u"));
  EXPECT_EQ(unit_t::fingerprint, unit_system_t::compute_fingerprint("unit_t"));
  EXPECT_EQ(all_types_t::fingerprint, unit_system_t::compute_fingerprint("all_types_t"));
}

TEST_F(units_test, inheritance_by_record_and_by_fingerprint) {
  const unit_descriptor_t* base = &unit_base_t::unit_descriptor;
  const unit_descriptor_t* unit = &unit_t::unit_descriptor;
  const unit_descriptor_t* proxy = &unit_proxy_u::unit_descriptor;
  const unit_descriptor_t* all = &all_types_t::unit_descriptor;
  const unit_descriptor_t* plain = &plain_t::unit_descriptor;
  struct case_t {
    const unit_descriptor_t* type;
    const unit_descriptor_t* ancestor;
    bool expected;
  } cases[] = {{unit, base, true},    {base, unit, false},  {all, &part_t::unit_descriptor, true},
               {all, all, true},      {plain, unit, false}, {proxy, plain, true},
               {nullptr, base, false}};
  for (const case_t& c : cases) {
    EXPECT_EQ(unit_system_t::inherits_from(c.type, c.ancestor), c.expected);
    if (c.type != nullptr) {
      EXPECT_EQ(unit_system_t::inherits_from(c.type, *c.ancestor->fingerprint), c.expected);
    }
  }
  EXPECT_FALSE(unit_system_t::inherits_from(nullptr, unit_t::fingerprint));
}

TEST_F(units_test, attribute_lookup_walks_the_parents_and_derived_names_hide) {
  const unit_attribute_t* label = attr("label");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->owner, &body_t::unit_descriptor);
  EXPECT_EQ(label->domain, &short_text);
  EXPECT_EQ(unit_system_t::get_attribute_descriptor(&part_t::unit_descriptor, "label")->owner,
            &part_t::unit_descriptor);
  EXPECT_EQ(attr("mass")->type, UAT_FLOAT);
  EXPECT_EQ(attr("Mass"), nullptr);
  EXPECT_EQ(unit_system_t::get_attribute_descriptor(nullptr, "mass"), nullptr);
  // The helpers write the 52 value types in order, each found by its name; their
  // offsets and domains are checked by the round trips and the domain checks.
  for (unsigned int t = 1; t <= UAT_LAST; ++t) {
    const unit_attribute_t& made = all_types_t::attributes[t - 1];
    EXPECT_EQ(made.type, t);
    EXPECT_EQ(made.owner, &all_types_t::unit_descriptor);
    EXPECT_EQ(attr(made.name.c_str()), &made);
  }
  EXPECT_EQ(all_types_t::attributes[UAT_LAST].type, UAT_NONE);
}

TEST_F(units_test, type_classification_and_unknown_types) {
  for (unsigned int t = 0; t <= UAT_LAST; ++t) {
    auto type = static_cast<unit_attr_type_t>(t);
    EXPECT_EQ(unit_attr_type_is_unit(type), t >= 47 && t <= 50) << t;
    EXPECT_EQ(unit_attr_type_is_array(type), t != 0 && t % 2 == 0) << t;
    EXPECT_EQ(unit_attr_type_element_type(type), t != 0 && t % 2 == 0 ? t - 1 : t) << t;
  }
  auto bad = static_cast<unit_attr_type_t>(53);
  EXPECT_FALSE(unit_attr_type_is_unit(bad));
  EXPECT_FALSE(unit_attr_type_is_array(bad));
  EXPECT_EQ(unit_attr_type_element_type(bad), UAT_NONE);
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{
                "units/unit_structs:80: unknown fn: unit_attr_type_is_unit(): Unknown type.",
                "units/unit_structs:150: unknown fn: unit_attr_type_is_array(): Unknown type.",
                "units/unit_structs:220: unknown fn: unit_attr_type_element_type(): Unknown "
                "type."}));
}

TEST_F(units_test, enumeration_domains_are_sorted_both_ways_and_searched_with_early_stops) {
  const auto* domain = static_cast<const unit_attr_t<UAT_ENUM>*>(attr("e")->domain);
  ASSERT_EQ(domain->count, 3u);
  EXPECT_EQ(domain->by_value[0].value, -1);
  EXPECT_EQ(domain->by_value[2].value, 7);
  EXPECT_EQ(domain->by_symbol[0].symbol, "Grey");  // 'G' sorts before lower case
  EXPECT_EQ(domain->by_symbol[2].symbol, "light");
  struct case_t {
    const char* symbol;
    bool found;
    int value;
  } cases[] = {{"dark", true, -1}, {"light", true, 7}, {"Grey", true, 3},
               {"grey", false, 0}, {"A", false, 0},    {"zz", false, 0}};
  for (const case_t& c : cases) {
    int value = 0;
    EXPECT_EQ(unit_base_t::lookup_enum_value(domain, c.symbol, &value), c.found) << c.symbol;
    EXPECT_EQ(value, c.value) << c.symbol;
  }
  EXPECT_EQ(*unit_base_t::lookup_enum_symbol(domain, 3), "Grey");
  EXPECT_EQ(unit_base_t::lookup_enum_symbol(domain, 4), nullptr);
  EXPECT_EQ(unit_base_t::lookup_enum_symbol(domain, -9), nullptr);
  unit_attr_t<UAT_ENUM> empty{0, 0, domain->by_value, domain->by_symbol};
  EXPECT_FALSE(unit_base_t::lookup_enum_value(&empty, "dark", nullptr));
  EXPECT_EQ(unit_base_t::lookup_enum_symbol(&empty, -1), nullptr);
}

}  // namespace
}  // namespace qxtest
