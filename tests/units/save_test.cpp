// Saving units: collection by traversal mode, the name check, the hooks and
// the exact bytes (every value type's bytes are the golden file's, in load_test).
#include "tests/units/units_fixture.h"

namespace qxtest {
namespace {

// A named unit whose save hooks can be told to fail, counting their calls.
class hooked_t : public unit_t {
  QX_UNIT_CLASS(hooked_t, unit_t)
 public:
  bool _call_pre_save() override { return ++pre, !fail_pre; }
  bool _call_post_save() override { return ++post, !fail_post; }
  link_ptr_t<unit_base_t> next;
  owner_ptr_t<unit_base_t> child;
  int pre = 0, post = 0;
  bool fail_pre = false, fail_post = false;
};
QX_UNIT_DEFINE(hooked_t, "hooked", QX_UNIT_ATTR(next, UAT_LINKED_UNIT, nullptr),
               QX_UNIT_ATTR(child, UAT_OWNED_UNIT, nullptr));

class save_test : public units_io_test {
 protected:
  save_test() { hooked_t::register_class(bank); }
  hooked_t* named(const char* name) {
    hooked_t* u = make<hooked_t>();
    u->set_name(name);
    return u;
  }
};

TEST_F(save_test, traversal_modes_collect_in_pre_order) {
  owner_ptr_t<hooked_t> a = named("a"), b = named("b");
  a->child = named("c");
  a->next = b.get();
  b->next = a.get();
  unit_bank_t other_bank;
  hooked_t::register_class(other_bank);
  unit_system_t other(other_bank);
  static_cast<hooked_t*>(a->child.get())->child = other.create_unit(hooked_t::unit_descriptor);
  struct mode_case_t {
    unit_traversal_mode_t mode;
    const char* heads;  // unit names in file order
  };
  const mode_case_t cases[] = {{UTM_UNIT_ONLY, "a"},
                               {UTM_OWNED_IN_SYSTEM, ""},
                               {UTM_REFERENCED_IN_SYSTEM, ""},
                               {UTM_OWNED, "acN"},
                               {UTM_REFERENCED, "abcN"}};
  for (const mode_case_t& c : cases) {
    sink.messages.clear();
    bool ok = false;
    std::string text = save({a.get(), a.get()}, c.mode, &ok);
    std::string heads;
    for (std::size_t at = 0; (at = text.find("hooked : ", at)) != std::string::npos; ++at)
      heads += text[at + 9] == '_' ? 'N' : text[at + 9];
    // The nameless unit of the other system is written only when collected;
    // when the traversal collects its owner but not it, nothing is written.
    const bool refused = c.mode == UTM_OWNED_IN_SYSTEM || c.mode == UTM_REFERENCED_IN_SYSTEM;
    EXPECT_EQ(ok, !refused) << c.mode;
    EXPECT_EQ(heads, refused ? "" : c.heads) << c.mode;
    if (refused) {
      EXPECT_EQ(sink.errors().front(),
                "[unit] Attempt to serialise nameless unit - attribute 'child' of unit 'c'");
    }
  }
  EXPECT_EQ(a->get_flags() & unit_base_t::FLAG_SAVE_MARK, 0);
  static_cast<hooked_t*>(a->child.get())->child = nullptr;
}

TEST_F(save_test, exact_bytes_hooks_and_failures) {
  owner_ptr_t<hooked_t> a = named("a"), b = named("b");
  a->next = b.get();
  bool ok = false;
  EXPECT_EQ(save({a.get()}, UTM_UNIT_ONLY, &ok),
            "QxdNunit\r\n{\r\nhooked : a {\r\n next: b\r\n child: null\r\n}\r\n\r\n}\r\n");
  EXPECT_TRUE(ok);
  EXPECT_EQ(a->pre, 1);
  EXPECT_EQ(a->post, 1);

  b->fail_pre = true;
  save({a.get(), b.get()}, UTM_UNIT_ONLY, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(a->post, 2);  // the units prepared so far recover, the failing one too
  EXPECT_EQ(b->post, 1);
  EXPECT_EQ(sink.errors().back(),
            "[unit] The unit 'b' (of type 'hooked') failed to prepare itself for saving.");
  b->fail_pre = false;
  a->fail_post = true;
  save({a.get()}, UTM_UNIT_ONLY, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(sink.errors().back(),
            "[unit] The unit 'a' (of type 'hooked') failed to recover itself for saving.");

  file_t* f = fs_create(string_alias_t("/x.units"), FS_TYPE_VIRTUAL);
  {
    unit_save_t saver(*f, UTM_UNIT_ONLY);
    saver.add(b.get());
    saver.add(b.get(), unit_traversal_mode_t(9));
    EXPECT_EQ(saver.get_unit_count(), 1u);
    unit_save_t second(*f, UTM_UNIT_ONLY);
    second.add(b.get());  // marked by the first saver
    EXPECT_EQ(second.get_unit_count(), 0u);
    EXPECT_FALSE(saver.save(unit_payload_format_t(1)));
    EXPECT_EQ(sink.errors().back(), "[unit] Error while writing units to file '/x.units'");
  }
  delete f;
}

}  // namespace
}  // namespace qxtest
