// Unit types: the bank, fingerprints, inheritance and the type classification.
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

TEST_F(units_test, fingerprints_are_h_times_31_plus_byte_and_answer_inheritance) {
  EXPECT_EQ(unit_system_t::compute_fingerprint("\x80\x01"), 128u * 31 + 1);  // bytes unsigned
  EXPECT_EQ(all_types_t::fingerprint, unit_system_t::compute_fingerprint("all_types_t"));
  const unit_descriptor_t* all = &all_types_t::unit_descriptor;
  EXPECT_TRUE(unit_system_t::inherits_from(all, &part_t::unit_descriptor));
  EXPECT_TRUE(unit_system_t::inherits_from(all, part_t::fingerprint));
  EXPECT_FALSE(unit_system_t::inherits_from(&plain_t::unit_descriptor, unit_t::fingerprint));
  EXPECT_TRUE(unit_system_t::inherits_from(&unit_proxy_u::unit_descriptor, plain_t::fingerprint));
  EXPECT_FALSE(unit_system_t::inherits_from(nullptr, unit_base_t::fingerprint));
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

}  // namespace
}  // namespace qxtest
