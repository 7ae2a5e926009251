// Saving units: collection by traversal mode, the name check and the hooks,
// and round trips over randomized graphs that use all 52 attribute types
// (save, load, save: the same bytes, and every loaded value bit for bit).
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>

#include "qxcore/math/plane_equations.h"
#include "qxcore/strings/tokens.h"
#include "tests/units/units_io_fixture.h"

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

TEST_F(save_test, enum_values_without_symbol_are_numbers) {
  owner_ptr_t<all_types_t> u = make<all_types_t>();
  u->set_name("u");
  u->e = shade_t(5);
  const std::string text = save({u.get()}, UTM_UNIT_ONLY);
  EXPECT_NE(text.find("\r\n e: 5\r\n"), std::string::npos);
  EXPECT_EQ(sink.warnings(), (std::vector<std::string>{
                                 "[unit] Unit 'u' (type 'all_types') attribute 'e' value is "
                                 "outside its domain - 5!"}));
}

// ---------------------------------------------------------------------------
// Randomized round trips

struct random_units_t {
  std::mt19937 rng;
  explicit random_units_t(unsigned int seed) : rng(seed) {}

  unsigned int below(unsigned int n) { return std::uniform_int_distribution<unsigned int>(0, n - 1)(rng); }
  float any_float() {
    switch (below(4)) {
      case 0: return static_cast<float>(static_cast<int>(below(16000001)) - 8000000);
      case 1: return std::bit_cast<float>(0x7f800000u | (below(2) << 31) | (below(0x7fffff) + 1));  // NaNs
      case 2: return std::ldexp(static_cast<float>(below(1 << 24)), static_cast<int>(below(60)) - 40);
      default: return std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
    }
  }
  float unit_float() { return below(8) == 0 ? std::nanf("") : static_cast<float>(below(1 << 24)) / (1 << 24); }
  std::string text(unsigned int max) {
    std::string s(below(max + 1), ' ');
    for (char& c : s) c = static_cast<char>(below(255) + 1);
    return s;
  }
  std::string token() {
    std::string s(below(13), ' ');
    for (char& c : s) c = "abcdefghijklmnopqrstuvwxyz0123456789_"[below(37)];
    return s;
  }
  vec_t<float, 3> v3() { return {any_float(), any_float(), any_float()}; }
  quat_t q() { return {any_float(), any_float(), any_float(), any_float()}; }
  // A plane that normalizing leaves unchanged, as loading normalizes.
  plane_t plane() {
    vec_t<float, 4> p{any_float(), any_float(), any_float(), any_float()}, n;
    for (int i = 0; i < 4; ++i) {
      plane_normalize(&n, p);
      if (std::memcmp(&n, &p, sizeof p) == 0) return {{p.x, p.y, p.z}, p.w};
      p = n;
    }
    return {{0, 0, 1}, static_cast<float>(below(100))};
  }

  void fill(all_types_t* u, unit_base_t* lamp) {
    u->s = string_alias_t(text(4).c_str());
    u->tok = 0;
    string_to_token(&u->tok, string_alias_t(token().c_str()));
    u->f = unit_float();
    u->f2 = {any_float(), any_float()};
    u->f3 = {below(3) - 1.0f, below(2) ? -0.0f : 0.5f, std::nanf("7")};
    u->f4 = {any_float(), any_float(), any_float(), any_float()};
    for (float& x : u->m.m) x = any_float();
    u->q = q();
    u->p = {v3(), q()};
    u->ps = {v3(), any_float(), q()};
    u->pn = {v3(), v3(), q()};
    u->pl = plane();
    u->sp = {v3(), any_float()};
    u->bx = {v3(), v3()};
    u->s32 = static_cast<int>(below(11)) - 5;
    u->u32 = 10 + below(11);
    u->s32x = static_cast<int>(rng());
    u->u32x = static_cast<unsigned int>(rng());
    u->s64 = static_cast<long long>((static_cast<std::uint64_t>(rng()) << 32) | rng());
    u->u64 = (static_cast<std::uint64_t>(rng()) << 32) | rng();
    u->u32u = static_cast<unsigned int>(rng());
    u->b = below(2) != 0;
    const int shades[] = {-1, 3, 7};
    u->e = shade_t(shades[below(3)]);
    u->mass = unit_float();
    u->res = below(2) ? lamp : nullptr;
    for (unsigned int n = below(3); n-- > 0;) {
      u->s_a.push_back(unit_string_t(text(4).c_str()));
      unsigned long long t = 0;
      string_to_token(&t, string_alias_t(token().c_str()));
      u->tok_a.push_back(t);
      u->f_a.push_back(unit_float());
      u->f2_a.push_back({any_float(), any_float()});
      u->f3_a.push_back({0, -1, 1});
      u->f4_a.push_back({any_float(), any_float(), any_float(), any_float()});
      unit_matrix_t m;
      for (float& x : m.m) x = any_float();
      u->m_a.push_back(m);
      u->q_a.push_back(q());
      u->p_a.push_back({v3(), q()});
      u->ps_a.push_back({v3(), any_float(), q()});
      u->pn_a.push_back({v3(), v3(), q()});
      u->pl_a.push_back(plane());
      u->sp_a.push_back({v3(), any_float()});
      u->bx_a.push_back({v3(), v3()});
      u->s32_a.push_back(static_cast<int>(below(11)) - 5);
      u->u32_a.push_back(10 + below(11));
      u->s32x_a.push_back(static_cast<int>(rng()));
      u->u32x_a.push_back(static_cast<unsigned int>(rng()));
      u->s64_a.push_back(-static_cast<long long>(rng()));
      u->u64_a.push_back(rng());
      u->u32u_a.push_back(static_cast<unsigned int>(rng()));
      u->b_a.push_back(below(2) != 0);
      u->e_a.push_back(shades[below(3)]);
      u->res_a.push_back(below(2) ? lamp : nullptr);
    }
  }
};

// Every stored value of a unit as bytes (pointers by the name of their target).
std::string dump(const all_types_t* u) {
  std::string out;
  auto raw = [&](const auto& v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); };
  auto array = [&](const auto& a) {
    raw(a.size());
    for (unsigned int i = 0; i < a.size(); ++i) raw(a.data()[i]);
  };
  auto name = [&](const unit_base_t* t) {
    string_dyn_t<> n;
    if (t != nullptr) t->get_name(&n);
    out += std::string(n.c_str()) + '|';
  };
  out += std::string(u->s.c_str()) + '|';
  for (unsigned int i = 0; i < u->s_a.size(); ++i) out += std::string(u->s_a.data()[i].c_str()) + '|';
  raw(u->tok), raw(u->f), raw(u->f2), raw(u->f3), raw(u->f4), raw(u->m), raw(u->q), raw(u->p);
  raw(u->ps), raw(u->pn), raw(u->pl), raw(u->sp), raw(u->bx), raw(u->s32), raw(u->u32);
  raw(u->s32x), raw(u->u32x), raw(u->s64), raw(u->u64), raw(u->u32u), raw(u->b), raw(u->e);
  raw(u->mass);
  array(u->tok_a), array(u->f_a), array(u->f2_a), array(u->f3_a), array(u->f4_a), array(u->m_a);
  array(u->q_a), array(u->p_a), array(u->ps_a), array(u->pn_a), array(u->pl_a), array(u->sp_a);
  array(u->bx_a), array(u->s32_a), array(u->u32_a), array(u->s32x_a), array(u->u32x_a);
  array(u->s64_a), array(u->u64_a), array(u->u32u_a), array(u->b_a), array(u->e_a);
  name(u->own.get()), name(u->link.get()), name(u->res);
  for (unsigned int i = 0; i < u->own_a.size(); ++i) name(u->own_a.data()[i]);
  for (unsigned int i = 0; i < u->link_a.size(); ++i) name(u->link_a.data()[i]);
  for (unsigned int i = 0; i < u->res_a.size(); ++i) name(u->res_a.data()[i]);
  return out;
}

TEST_F(save_test, randomized_graphs_survive_save_and_load_bit_for_bit) {
  owner_ptr_t<body_t> lamp = make<body_t>();
  lamp->set_name("lamp");
  for (unsigned int seed = 1; seed <= 12; ++seed) {
    random_units_t r(seed);
    const unsigned int n = 2 + r.below(12);
    std::vector<all_types_t*> units;
    std::vector<bool> owned(n, false);
    std::vector<owner_ptr_t<all_types_t>> roots;
    for (unsigned int i = 0; i < n; ++i) {
      units.push_back(make<all_types_t>());
      units.back()->set_name(("u" + std::to_string(seed) + "." + std::to_string(i)).c_str());
      r.fill(units.back(), lamp.get());
    }
    // Ownership goes only forward (a forest); links go anywhere.
    for (unsigned int i = 0; i < n; ++i) {
      for (unsigned int j = i + 1; j < n; ++j) {
        if (owned[j] || r.below(3) != 0) continue;
        owned[j] = true;
        if (r.below(2) != 0 && units[i]->own.get() == nullptr)
          units[i]->own = units[j];
        else
          units[i]->append_value(attr("own_a"), unit_base_t::END, static_cast<unit_base_t*>(units[j]));
      }
      units[i]->link = r.below(4) ? units[r.below(n)] : nullptr;
      for (unsigned int k = r.below(3); k-- > 0;)
        units[i]->append_value(attr("link_a"), unit_base_t::END,
                               r.below(4) ? static_cast<unit_base_t*>(units[r.below(n)]) : lamp.get());
    }
    std::vector<unit_base_t*> root_list;
    for (unsigned int i = 0; i < n; ++i)
      if (!owned[i]) {
        roots.emplace_back(units[i]);
        root_list.push_back(units[i]);
      }
    bool ok = false;
    const std::string first = save(root_list, UTM_OWNED, &ok);
    ASSERT_TRUE(ok) << seed;
    std::vector<std::string> before;
    std::map<unit_base_t*, std::string> root_names;
    for (all_types_t* u : units) before.push_back(dump(u));
    for (unit_base_t* r : root_list) root_names[r] = name_of(r);
    roots.clear();
    unit_system_t::clean_garbage();

    ASSERT_TRUE(load_text(first)) << seed << (sink.errors().empty() ? "" : sink.errors().back());
    // The same roots, added in the same order, give the same file.
    std::vector<unit_base_t*> loaded_roots;
    for (unit_base_t* r : root_list) loaded_roots.push_back(unit_system_t::find_unit(root_names[r].c_str()));
    EXPECT_EQ(loaded_roots.size(), trees().size());
    EXPECT_EQ(save(loaded_roots, UTM_OWNED), first) << seed;
    for (unsigned int i = 0; i < n; ++i) {
      const std::string name = "u" + std::to_string(seed) + "." + std::to_string(i);
      auto* loaded = static_cast<all_types_t*>(unit_system_t::find_unit(name.c_str()));
      ASSERT_NE(loaded, nullptr) << name;
      EXPECT_EQ(dump(loaded), before[i]) << name;
    }
    loader.reset();
  }
  EXPECT_TRUE(sink.errors().empty());
}

}  // namespace
}  // namespace qxtest
