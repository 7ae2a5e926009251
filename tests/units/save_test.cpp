// Saving units: collection by traversal mode, the name check and the hooks,
// and round trips over randomized graphs that use all 52 attribute types
// (save, load, save: the same bytes, and every loaded value bit for bit).
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "qxcore/math/plane_equations.h"
#include "qxcore/strings/tokens.h"
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

TEST_F(save_test, enum_values_without_symbol_are_numbers) {
  owner_ptr_t<all_types_t> u = make<all_types_t>();
  u->set_name("u");
  u->e = shade_t(5);
  const std::string text = save({u.get()}, UTM_UNIT_ONLY);
  EXPECT_NE(text.find("\r\n e: 5\r\n"), std::string::npos);
  EXPECT_EQ(sink.warnings(),
            (std::vector<std::string>{"[unit] Unit 'u' (type 'all_types') attribute 'e' value is "
                                      "outside its domain - 5!"}));
}

// ---------------------------------------------------------------------------
// Randomized round trips

struct random_units_t {
  std::mt19937 rng;
  explicit random_units_t(unsigned int seed) : rng(seed) {}

  unsigned int below(unsigned int n) {
    return std::uniform_int_distribution<unsigned int>(0, n - 1)(rng);
  }
  float any_float() {
    switch (below(4)) {
      case 0:
        return static_cast<float>(static_cast<int>(below(16000001)) - 8000000);
      case 1:
        return std::bit_cast<float>(0x7f800000u | (below(2) << 31) |
                                    (below(0x7fffff) + 1));  // NaNs
      case 2:
        return std::ldexp(static_cast<float>(below(1 << 24)), static_cast<int>(below(60)) - 40);
      default:
        return std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
    }
  }
  float unit_float() {
    return below(8) == 0 ? std::nanf("") : static_cast<float>(below(1 << 24)) / (1 << 24);
  }
  std::uint64_t u64() { return (static_cast<std::uint64_t>(rng()) << 32) | rng(); }
  unit_string_t text(unsigned int max) {
    std::string s(below(max + 1), ' ');
    for (char& c : s) c = static_cast<char>(below(255) + 1);
    return unit_string_t(s.c_str());
  }
  unsigned long long token() {
    std::string s(below(13), ' ');
    for (char& c : s) c = "abcdefghijklmnopqrstuvwxyz0123456789_"[below(37)];
    unsigned long long t = 0;
    string_to_token(&t, string_alias_t(s.c_str()));
    return t;
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

  // Each attribute and each of its array's 0 to 2 elements from one generator.
  void fill(all_types_t* u, unit_base_t* lamp) {
    const unsigned int n = below(3);
    auto both = [n](auto& scalar, auto& array, auto make) {
      scalar = std::decay_t<decltype(scalar)>(make());  // the enum's array holds ints
      for (unsigned int i = 0; i < n; ++i) array.push_back(make());
    };
    both(u->s, u->s_a, [&] { return text(4); });
    both(u->tok, u->tok_a, [&] { return token(); });
    both(u->f, u->f_a, [&] { return unit_float(); });
    both(u->f2, u->f2_a, [&] { return unit_float2_t{any_float(), any_float()}; });
    both(u->f3, u->f3_a, [&] {
      return unit_float3_t{below(3) - 1.0f, below(2) ? -0.0f : 0.5f, std::nanf("7")};
    });
    both(u->f4, u->f4_a, [&] {
      return unit_float4_t{any_float(), any_float(), any_float(), any_float()};
    });
    both(u->m, u->m_a, [&] {
      unit_matrix_t m;
      for (float& x : m.m) x = any_float();
      return m;
    });
    both(u->q, u->q_a, [&] { return q(); });
    both(u->p, u->p_a, [&] { return placement_t{v3(), q()}; });
    both(u->ps, u->ps_a, [&] { return placement_scale_t{v3(), any_float(), q()}; });
    both(u->pn, u->pn_a, [&] { return placement_nonuniform_t{v3(), v3(), q()}; });
    both(u->pl, u->pl_a, [&] { return plane(); });
    both(u->sp, u->sp_a, [&] { return sphere_t{v3(), any_float()}; });
    both(u->bx, u->bx_a, [&] { return aabox_t{v3(), v3()}; });
    both(u->s32, u->s32_a, [&] { return static_cast<int>(below(11)) - 5; });
    both(u->u32, u->u32_a, [&] { return 10 + below(11); });
    both(u->s32x, u->s32x_a, [&] { return static_cast<int>(rng()); });
    both(u->u32x, u->u32x_a, [&] { return static_cast<unsigned int>(rng()); });
    both(u->s64, u->s64_a, [&] { return static_cast<long long>(u64()); });
    both(u->u64, u->u64_a, [&] { return u64(); });
    both(u->u32u, u->u32u_a, [&] { return static_cast<unsigned int>(rng()); });
    both(u->b, u->b_a, [&] { return below(2) != 0; });
    const int shades[] = {-1, 3, 7};
    both(u->e, u->e_a, [&] { return shades[below(3)]; });
    both(u->res, u->res_a, [&] { return below(2) ? lamp : nullptr; });
    u->mass = unit_float();
  }
};

// Every stored value of a unit as bytes (pointers by the name of their target).
std::string dump(const all_types_t* u) {
  std::string out;
  auto one = [&](const auto& v) {
    using T = std::decay_t<decltype(v)>;
    if constexpr (requires { v.c_str(); }) {
      out += std::string(v.c_str()) + '|';
    } else if constexpr (std::is_pointer_v<T> || requires { v.get(); }) {
      string_dyn_t<> n;
      const unit_base_t* t = nullptr;
      if constexpr (std::is_pointer_v<T>)
        t = v;
      else
        t = v.get();
      if (t != nullptr) t->get_name(&n);
      out += std::string(n.c_str()) + '|';
    } else {
      out.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
  };
  auto both = [&](const auto& scalar, const auto& array) {
    one(scalar), one(array.size());
    for (unsigned int i = 0; i < array.size(); ++i) one(array.data()[i]);
  };
  both(u->s, u->s_a), both(u->tok, u->tok_a), both(u->f, u->f_a), both(u->f2, u->f2_a);
  both(u->f3, u->f3_a), both(u->f4, u->f4_a), both(u->m, u->m_a), both(u->q, u->q_a);
  both(u->p, u->p_a), both(u->ps, u->ps_a), both(u->pn, u->pn_a), both(u->pl, u->pl_a);
  both(u->sp, u->sp_a), both(u->bx, u->bx_a), both(u->s32, u->s32_a), both(u->u32, u->u32_a);
  both(u->s32x, u->s32x_a), both(u->u32x, u->u32x_a), both(u->s64, u->s64_a);
  both(u->u64, u->u64_a), both(u->u32u, u->u32u_a), both(u->b, u->b_a), both(u->e, u->e_a);
  both(u->own, u->own_a), both(u->link, u->link_a), both(u->res, u->res_a), one(u->mass);
  return out;
}

TEST_F(save_test, randomized_graphs_survive_save_and_load_bit_for_bit) {
  owner_ptr_t<body_t> lamp = make<body_t>();
  lamp->set_name("lamp");
  for (unsigned int seed = 1; seed <= 12; ++seed) {
    random_units_t r(seed);
    const unsigned int n = 2 + r.below(12);
    auto name = [seed](unsigned int i) {
      return "u" + std::to_string(seed) + "." + std::to_string(i);
    };
    std::vector<all_types_t*> units;
    std::vector<bool> owned(n, false);
    for (unsigned int i = 0; i < n; ++i) {
      units.push_back(make<all_types_t>());
      units.back()->set_name(name(i).c_str());
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
          units[i]->append_value(attr("own_a"), unit_base_t::END,
                                 static_cast<unit_base_t*>(units[j]));
      }
      units[i]->link = r.below(4) ? units[r.below(n)] : nullptr;
      for (unsigned int k = r.below(3); k-- > 0;)
        units[i]->append_value(
            attr("link_a"), unit_base_t::END,
            r.below(4) ? static_cast<unit_base_t*>(units[r.below(n)]) : lamp.get());
    }
    std::vector<owner_ptr_t<all_types_t>> held;
    std::vector<unit_base_t*> roots;
    std::vector<std::string> before;
    for (unsigned int i = 0; i < n; ++i) {
      if (!owned[i]) roots.push_back(units[i]), held.emplace_back(units[i]);
      before.push_back(dump(units[i]));
    }
    bool ok = false;
    const std::string first = save(roots, UTM_OWNED, &ok);
    ASSERT_TRUE(ok) << seed;
    held.clear();
    roots.clear();
    unit_system_t::clean_garbage();

    ASSERT_TRUE(load_text(first)) << seed << (sink.errors().empty() ? "" : sink.errors().back());
    // The same roots, added in the same order, give the same file.
    for (unsigned int i = 0; i < n; ++i)
      if (!owned[i]) roots.push_back(unit_system_t::find_unit(name(i).c_str()));
    EXPECT_EQ(roots.size(), trees().size());
    EXPECT_EQ(save(roots, UTM_OWNED), first) << seed;
    for (unsigned int i = 0; i < n; ++i) {
      auto* loaded = static_cast<all_types_t*>(unit_system_t::find_unit(name(i).c_str()));
      ASSERT_NE(loaded, nullptr) << name(i);
      EXPECT_EQ(dump(loaded), before[i]) << name(i);
    }
    loader.reset();
  }
  EXPECT_TRUE(sink.errors().empty());
}

}  // namespace
}  // namespace qxtest
