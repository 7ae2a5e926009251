// Loading units files: hand-written golden files in the saver's layout and in
// every other spelling the format allows, and hostile files that must fail
// with their exact reports and leave nothing behind.
#include <bit>
#include <cstdint>
#include <cstring>

#include "tests/units/units_fixture.h"

namespace qxtest {
namespace {

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

class load_test : public units_io_test {
 protected:
  load_test() {
    lamp = make<body_t>();
    lamp->set_name("lamp");
    stone = make<unit_t>();
    stone->set_name("stone");
  }
  owner_ptr_t<body_t> lamp;
  owner_ptr_t<unit_t> stone;
};

TEST_F(load_test, golden_and_loose_files_values_and_saved_bytes) {
  const std::string golden = data("all_types.units");
  ASSERT_TRUE(load_text(golden));
  ASSERT_EQ(trees().size(), 1u);
  auto* hero = static_cast<all_types_t*>(trees()[0]);
  EXPECT_EQ(name_of(hero), "hero");
  EXPECT_STREQ(hero->s.c_str(), "a b");
  ASSERT_EQ(hero->s_a.size(), 2u);
  EXPECT_STREQ(hero->s_a.data()[1].c_str(), "\xe9\"\\");
  EXPECT_EQ(bits(hero->f), 0x3f000000u);
  EXPECT_EQ(bits(hero->f4.w), 0x7fc00001u);
  EXPECT_EQ(hero->m.m[12], 5.0f);
  EXPECT_EQ(hero->m_a.data()[0].m[1], 5.0f);
  EXPECT_EQ(bits(hero->q_a.data()[0].w), 0x3f3504f3u);
  EXPECT_TRUE(std::signbit(hero->f3_a.data()[0].z));
  EXPECT_EQ(hero->s64, INT64_MIN);
  EXPECT_EQ(hero->u64, UINT64_MAX);
  EXPECT_EQ(hero->e, shade_t::LIGHT);
  EXPECT_EQ(name_of(hero->own.get()), "sidekick");
  EXPECT_EQ(hero->link.get(), hero);
  EXPECT_EQ(hero->link_a.data()[1], hero->own.get());
  EXPECT_EQ(hero->res, lamp.get());
  EXPECT_EQ(static_cast<body_t*>(hero->own.get())->mass, 0.25f);
  EXPECT_TRUE(sink.errors().empty());
  EXPECT_EQ(save({hero}, UTM_REFERENCED), golden);

  // Every other spelling reads the same units.
  dir.write("loose_part.units", data("loose_part.units"));
  ASSERT_TRUE(load_text(data("loose.units"), "loose.units"));
  // Text after the final brace is reported, and forgiven.
  EXPECT_EQ(sink.errors(), (std::vector<std::string>{"[unit] File '/loose.units', line 21:",
                                                     "Expecting end of file, found 't'"}));
  ASSERT_EQ(trees().size(), 1u);
  EXPECT_EQ(save({trees()[0]}, UTM_REFERENCED), golden);
}

TEST_F(load_test, trees_nameless_units_and_named_roots) {
  const std::string text =
      "QxdNunit\r\n{\r\nbody : .x1 {}\r\nall_types : _nameless.k {\r\n own_a[]: .x1\r\n}\r\n"
      "body : Root {}\r\n}\r\n";
  ASSERT_TRUE(load_text(text));
  ASSERT_EQ(trees().size(), 2u);  // in first-mention order
  EXPECT_TRUE(trees()[0]->is_nameless());
  EXPECT_EQ(static_cast<all_types_t*>(trees()[0])->own_a.size(), 1u);
  EXPECT_TRUE(static_cast<all_types_t*>(trees()[0])->own_a.data()[0]->is_nameless());
  EXPECT_EQ(name_of(trees()[1]), "root");
  EXPECT_EQ(unit_system_t::find_unit("_nameless.x1"), nullptr);

  loader.reset();  // the names are free again
  file_t* f = fs_open(string_alias_t("/in.units"), FS_TYPE_VIRTUAL);
  {
    unit_load_t l(*f, system);
    EXPECT_FALSE(l.load_tree_generic());
    EXPECT_EQ(sink.errors().back(),
              "[unit] There are multiple unit trees in the file '/in.units'.");
    EXPECT_FALSE(l.load_named_tree_generic(".x1"));
    EXPECT_EQ(sink.errors().back(), "[unit] Can not filter nameless units based on name.");
    f->seek(0, 0);
    owner_ptr_t<unit_base_t> root = l.load_named_tree_generic("ROOT");
    EXPECT_EQ(name_of(root.get()), "root");
  }
  delete f;
}

TEST_F(load_test, includes_continue_the_including_text_and_end) {
  dir.write("sub/b.units", "hero {\n s32:\n@include \"a.units\"\n2) }\n");
  const std::string main_text = "QxdNunit\n{\nall_types :\n@include \"sub/b.units\"\n}\n";
  dir.write("sub/a.units", "-3 f2: (1,");  // ends inside a value
  ASSERT_TRUE(load_text(main_text));
  ASSERT_EQ(trees().size(), 1u);
  auto* hero = static_cast<all_types_t*>(trees()[0]);
  EXPECT_EQ(hero->s32, -3);
  EXPECT_EQ(hero->f2.y, 2.0f);
  EXPECT_TRUE(sink.errors().empty());

  dir.write("sub/a.units", "-3 f2: (1,x");
  EXPECT_FALSE(load_text(main_text));
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{
                "[unit] File '/sub/a.units', line 1:", "Included at '/sub/b.units', line 3:",
                "Included at '/in.units', line 4:", "Expecting 2D vector, found 'x'"}));
  // An include of itself is cut off, with every level reported.
  sink.messages.clear();
  dir.write("self.units", "@include \"self.units\"\n");
  EXPECT_FALSE(load_text("QxdNunit\n{\n@include \"self.units\"\n}\n"));
  ASSERT_FALSE(sink.errors().empty());
  EXPECT_EQ(sink.errors().back(), "[unit] Includes nest deeper than 32 files at '/self.units'.");
  EXPECT_EQ(sink.errors()[1], "Included at '/self.units', line 1:");
}

// The attributes of an all_types unit "a", on line 3, and the reports about them.
std::string in_a(const std::string& attributes) {
  return "all_types : a { " + attributes + " }\n}";
}
std::string of_a(const std::string& attribute) {
  return "attribute '" + attribute + "' of unit 'a' (of type 'all_types')";
}
std::string out_of_domain(const std::string& value, const std::string& attribute) {
  return "[unit] The requested value " + value + " of the " + of_a(attribute) +
         " is out of the attribute domain.";
}
std::string not_in_enum(const std::string& value) {
  return "[unit] The requested value '" + value + "' is outside the domain of the " + of_a("e") +
         ".";
}
std::string dangling(const std::string& target, const std::string& attribute) {
  return "[unit] The unit 'a' of type 'all_types' has dangling pointer (to '" + target +
         "') in the attribute named '" + attribute + "'.";
}
std::string no_attribute(const std::string& type, const std::string& attribute) {
  return "[unit] The unit 'a' of type '" + type + "' has no attribute named '" + attribute + "'.";
}
std::string taken(const std::string& name) {
  return "[unit] The unit name '" + name +
         "' is already taken by an existing unit (of type 'body').";
}
std::string referenced(const std::string& unit, const std::string& attribute, const char* end) {
  return "[unit] The unit '" + unit + "', referenced in the attribute '" + attribute +
         "' of unit 'b' (of type 'all_types') " + end;
}

TEST_F(load_test, hostile_files_report_and_leave_nothing) {
  const std::string at = "[unit] File '/in.units'", at3 = at + ", line 3:", at4 = at + ", line 4:";
  const std::string eof = "Unexpected end of file.";
  const std::string not_units = "[unit] The file '/in.units' does not contain serialised units";
  const std::string no_name = "Expecting attribute name/unit type name or closing bracket, found ";
  struct hostile_t {
    std::string body;                 // after "QxdNunit\n{\n" unless it starts with '!'
    std::vector<std::string> errors;  // every error message, in order
    bool ok = false;
  } cases[] = {
      {"!Qxd", {not_units + ". (reported size 3 < 8)"}},
      {"!QxdNuniT{}", {not_units + " - missing magic mark."}},
      {"!QxdNunit x", {at + ", line 1:", "Expecting '{', found 'x'", not_units + ". (scan_open)"}},
      {"nope : a {}\n}", {at3, "[unit] The 'nope' is not a unit type name."}},
      {"part : a {}\n}", {at3, "[unit] The 'part' is not an abstract unit type name."}},
      {"body : a { speed: 1 }\n}", {at3, no_attribute("body", "speed")}},
      {"body : abcdefghijklmnop {}",
       {at3, "[unit] The unit name 'abcdefghijklmnop' is in wrong format."}},
      {"body : k {}\nbody : k {}\n}", {at4, taken("k")}},
      {"body : lamp {}\n}", {at3, taken("lamp")}},
      {"all_types : a { s: \"abc\n}\n}\n", {at3, "Expecting string value, found '\"'"}},
      {in_a("s: \"\\q\""), {at3}},
      {in_a("s: \"\\x4\""), {at3}},
      {"/* never closed\n", {at + ":", eof}},
      {"/* a\n/* b */ }", {at + ":", eof}},
      {"body : a {}\n// no line feed", {at4, no_name + "'/'"}},
      {"body : a {}\n} // no line feed", {at4, "Expecting end of file, found '/'"}, true},
      {in_a("s: abcde"), {at3, out_of_domain("'abcde'", "s")}},
      {in_a("f: 2"), {at3, out_of_domain("'2'", "f")}},
      {in_a("f3: (0, 2, 0)"), {at3, out_of_domain("'(0, 2, 0)'", "f3")}},
      {in_a("s32x: 99999999999"), {at3, out_of_domain("99999999999", "s32x")}},
      {in_a("u32: 99999999999999999999999"), {at3, out_of_domain("18446744073709551615", "u32")}},
      {in_a("u32: -1"), {at3, "Expecting unsigned value, found '-'"}},
      {in_a("f: 2.5F"), {at3, "Expecting real number, found '2.5F'"}},
      {in_a("f: &3f80000"), {at3, "Expecting real number, found '&'"}},
      {in_a("f2: (1 2)"), {at3, "Expecting 2D vector, found '2'"}},
      {in_a("q: (1, 0, 0, 0)"), {at3, "Expecting quaternion, found ','"}},
      {in_a("b: maybe"), {at3, "Expecting Boolean value, found 'm'"}},
      {in_a("s32_a[1]: 0"),
       {at3, "[unit] The values in array " + of_a("s32_a") +
                 " must be specified in order - trying to set the element 1 of array of size 0."}},
      {in_a("s32_a[x]: 0"), {at3, "Expecting index, found 'x'"}},
      {in_a("s_a: 4294967296"),
       {at3, "[unit] The requested length of the array " + of_a("s_a") + " is too large."}},
      {"all_types : a { s: x }", {at + ":", eof}},
      {in_a("e: blue"), {at3, not_in_enum("blue")}},
      {in_a("e: 4"), {at3, not_in_enum("4")}},
      {in_a("e: 0x100000000"),
       {at3, "[unit] The requested value 4294967296 of the " + of_a("e") + " is too large."}},
      {in_a("link: ghost"), {at + ":", dangling("ghost", "link"), at + ":"}},
      {in_a("own: ghost"), {at + ":", at + ":", dangling("ghost", "own")}},
      {"body : k {}\nall_types : a { own: k }\nall_types : b { own: k }\n}",
       {at + ", line 5:", referenced("k", "own", "is already owned by something else.")}},
      {"all_types : a { own: b }\nall_types : b { own_a[]: a }\n}",
       {at4, referenced("a", "own_a", "would own itself.")}},
      {in_a("own: lamp"),
       {at3,
        "[unit] The unit name 'lamp', referenced in the " + of_a("own") + " is already taken."}},
      {"plain : p { child: stone }\n}",
       {at3,
        "[unit] The requested value 'stone' of the attribute 'child' of unit 'p' (of type "
        "'plain') is out of the attribute domain."}},
      {"@include \"nothere.units\"\n}", {at4, "Failed to open the file '/nothere.units'."}},
      {"@include nothere\n}", {at3, "Expecting include file name, found 'n'"}, true},
      {"@include \"a\" \"b\"\n}", {at3, "Expecting include file name, found '\"b\"'"}, true},
      {in_a("b: 01"), {at3, no_name + "'1'"}},
      {in_a("b: truex"), {at3, no_attribute("all_types", "x")}},
      {in_a("f: 1f"), {at3, "Expecting ':', found '}'"}},
      {"body : a { @include \"x\"\n }\n}", {at3, no_name + "'@'"}},
      {in_a("link: NULL"), {at + ":", dangling("null", "link"), at + ":"}},
      {"$", {at3, no_name + "'$'"}},
      {"}\n}", {at4, "Expecting end of file, found '}'"}, true},
  };
  for (const hostile_t& c : cases) {
    sink.messages.clear();
    EXPECT_EQ(load_text(c.body[0] == '!' ? c.body.substr(1) : "QxdNunit\n{\n" + c.body), c.ok)
        << c.body;
    EXPECT_EQ(sink.errors(), c.errors) << c.body;
    loader.reset();
    EXPECT_EQ(unit_system_t::find_unit("a"), nullptr) << c.body;
    EXPECT_EQ(unit_system_t::find_unit("k"), nullptr) << c.body;
  }
}

}  // namespace
}  // namespace qxtest
