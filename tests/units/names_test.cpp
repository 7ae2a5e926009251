// Unit systems and the global name tree, with a randomized run against a
// small reference model of names, holders and reference counts.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>

#include "tests/units/units_fixture.h"

namespace qxtest {
namespace {

// Names are kept in lower case.
std::string canonical(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), ::tolower);
  return name;
}

// The model below replays names over a small vocabulary; here are the forms.
TEST_F(units_test, names_are_dotted_tokens_found_however_the_dots_run) {
  owner_ptr_t<unit_t> a = make<unit_t>(), b = make<unit_t>();
  EXPECT_TRUE(a->set_name("Level.Door"));
  for (const char* spelling : {"level..door", ".level.door.", "LEVEL.DOOR"})
    EXPECT_EQ(unit_system_t::find_unit(spelling), a.get()) << spelling;
  for (const char* missing : {"", ".", "level.do-or", "toolongtoken13"})
    EXPECT_EQ(unit_system_t::find_unit(missing), nullptr) << missing;
  struct case_t {
    const char* name;
    bool accepted;
  } forms[] = {{"", false},
               {"...", false},
               {"a-b", false},
               {"_nameless.x", false},
               {"_NAMELESS", false},
               {"x._nameless", true},
               {"abcdefghijkl", true},
               {"abcdefghijklm", false}};
  for (const case_t& f : forms) EXPECT_EQ(b->set_name(f.name), f.accepted) << f.name;
  EXPECT_EQ(name_of(b), "abcdefghijkl");
  // The proxies' form takes "_nameless" names.
  owner_ptr_t<unit_proxy_u> proxy = make<unit_proxy_u>();
  EXPECT_TRUE(proxy->set_name("_nameless.0000.0001", false));
  // A loader binds a proxy's name to the unit it stood for: the unit's old
  // name goes, the proxy's is found at the unit.
  ASSERT_TRUE(proxy->set_name("scene.lamp", false));
  proxy->move_name_to(a.get());
  EXPECT_TRUE(proxy->is_nameless());
  EXPECT_EQ(unit_system_t::find_unit("scene.lamp"), a.get());
  EXPECT_EQ(unit_system_t::find_unit("level.door"), nullptr);
  EXPECT_EQ(name_of(a), "scene.lamp");
}

TEST_F(units_test, nameless_units_name_themselves_by_their_address) {
  owner_ptr_t<unit_base_t> u = make<unit_base_t>();
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llX",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(u.get())));
  std::string expected = "_nameless";
  for (int i = 0; i < 16; i += 4) expected += "." + std::string(digits + i, 4);
  EXPECT_EQ(name_of(u), expected);
}

TEST_F(units_test, eight_system_slots_and_an_unusable_ninth) {
  std::vector<std::unique_ptr<unit_system_t>> more;
  for (unsigned int i = 1; i < UF_UNIT_SYTEMS_COUNT; ++i) {
    more.push_back(std::make_unique<unit_system_t>(bank));
    EXPECT_EQ(more.back()->get_index(), i);
  }
  more[2].reset();  // slot 3 is free again
  more[2] = std::make_unique<unit_system_t>(bank);
  EXPECT_EQ(more[2]->get_index(), 3u);
  unit_system_t ninth(bank);
  EXPECT_EQ(ninth.get_index(), unit_system_t::NO_INDEX);
  EXPECT_EQ(ninth.create_unit("unit"), nullptr);
  EXPECT_EQ(ninth.find_unit_type("unit"), nullptr);
  ninth.set_default();
  EXPECT_EQ(unit_system_t::get_default(), &system);
  owner_ptr_t<unit_t> u = static_cast<unit_t*>(more[4]->create_unit("unit"));
  owner_ptr_t<unit_base_t> copy = u->clone();
  EXPECT_EQ(copy->get_system_index(), 5u);
  std::vector<std::string> errors = sink.errors();
  ASSERT_EQ(errors.size(), 4u);
  EXPECT_EQ(errors[0],
            "units/unit_system:156: unknown fn: [unit] Can not create more unit systems "
            "- already UF_UNIT_SYTEMS_COUNT systems exist.");
}

// The reference model: who holds each unit, whether it lives, its name and
// the unit its "own" attribute owns.
struct model_unit_t {
  unsigned int refs = 0;
  bool alive = true;
  std::string name;
  body_t* child = nullptr;
};

TEST_F(units_test, random_operations_match_a_reference_model) {
  host_tie_scope_t tie;
  const unit_attribute_t* own = attr("own");
  const char* vocabulary[] = {"a", "b", "a.b", "A.C", "a.b.c", "x.y.z", "B", "q.a"};
  std::mt19937 random(20261206);
  constexpr int SLOTS = 8;
  owner_ptr_t<body_t> owners[SLOTS];
  link_ptr_t<body_t> links[SLOTS];
  std::map<body_t*, model_unit_t> model;
  std::map<std::string, body_t*> names;

  // What destroy does: the unit dies, its name is freed, what it owns dies too.
  std::function<void(body_t*)> destroy = [&](body_t* u) {
    model_unit_t& m = model[u];
    if (!m.alive) return;
    m.alive = false;
    if (!m.name.empty()) names.erase(m.name), m.name.clear();
    if (body_t* child = std::exchange(m.child, nullptr)) destroy(child), --model[child].refs;
  };
  auto set_owner = [&](int slot, body_t* u) {
    body_t* old = owners[slot].get();
    if (old == u) return;
    if (old != nullptr) destroy(old), --model[old].refs;
    if (u != nullptr) ++model[u].refs;
    owners[slot] = u;
  };
  auto set_link = [&](int slot, body_t* u) {
    if (u != nullptr) ++model[u].refs;
    if (links[slot].get() != nullptr) --model[links[slot].get()].refs;
    links[slot] = u;
  };
  auto fresh = [&] {
    body_t* u = random() % 2 ? make<body_t>() : make<all_types_t>();
    model[u] = model_unit_t{};
    return u;
  };
  for (int step = 0; step < 20000; ++step) {
    int slot = static_cast<int>(random() % SLOTS), other = static_cast<int>(random() % SLOTS);
    body_t* held = owners[slot].get();
    switch (random() % 8) {
      case 0:
        set_owner(slot, fresh());
        break;
      case 1:
        set_link(slot, owners[other].get());
        break;
      case 2:
        set_link(slot, nullptr);
        break;
      case 3:
        set_owner(slot, nullptr);
        break;
      case 4: {  // own a fresh unit through an attribute
        if (held == nullptr || !held->is_alive() ||
            held->get_unit_descriptor() != &all_types_t::unit_descriptor)
          break;
        body_t* child = fresh();
        ASSERT_TRUE(held->set_value(own, static_cast<unit_base_t*>(child)));
        if (body_t* old = std::exchange(model[held].child, child)) destroy(old), --model[old].refs;
        ++model[child].refs;
        break;
      }
      case 5:
        if (held != nullptr) held->destroy(), destroy(held);
        break;
      case 6: {
        if (held == nullptr || !model[held].alive) break;
        std::string name = canonical(vocabulary[random() % std::size(vocabulary)]);
        bool free = names.count(name) == 0 || names[name] == held;
        ASSERT_EQ(held->set_name(name.c_str()), free) << name;
        if (free) {
          if (!model[held].name.empty()) names.erase(model[held].name);
          names[name] = held, model[held].name = name;
        }
        break;
      }
      case 7:
        unit_system_t::clean_garbage();
        for (auto it = model.begin(); it != model.end();)
          it = it->second.refs == 0 ? model.erase(it) : std::next(it);
        break;
    }
    for (const char* name : vocabulary) {
      auto it = names.find(canonical(name));
      ASSERT_EQ(unit_system_t::find_unit(name), it == names.end() ? nullptr : it->second) << name;
    }
    for (auto& [u, m] : model) {
      ASSERT_EQ(u->get_ref_count(), m.refs) << "step " << step;
      ASSERT_EQ(u->is_alive(), m.alive);
    }
  }
  for (int i = 0; i < SLOTS; ++i) owners[i] = nullptr, links[i] = nullptr;
}

}  // namespace
}  // namespace qxtest
