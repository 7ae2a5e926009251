// Unit lifetimes beyond what the names model replays: releases, destroy
// cascades through arrays, clones, proxies in the garbage list, and the
// default resource tie's reports.
#include "tests/support/counting_hooks.h"
#include "tests/units/units_fixture.h"

namespace qxtest {
namespace {

TEST_F(units_test, released_units_travel_without_ownership) {
  owner_ptr_t<body_t> owner = make<body_t>();
  owner = owner.get();  // the unit it already holds: no change
  EXPECT_TRUE(owner->is_alive() && owner->is_owned());
  // A released unit travels without its ownership and is adopted again.
  owner_ptr_t<body_t>::ret_t out = owner.release();
  EXPECT_FALSE(out.get()->is_owned());
  EXPECT_EQ(out.get()->get_ref_count(), 0u);
  owner_ptr_t<body_t> adopted = std::move(out);
  EXPECT_TRUE(adopted->is_owned() && adopted->is_alive());
  // A ret_t nobody adopts destroys and queues its unit.
  { owner_ptr_t<body_t>::ret_t dropped = adopted.release(); }
  EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
}

TEST_F(units_test, destroying_cascades_down_owning_arrays_and_releases_linking_ones) {
  all_types_t* root = make<all_types_t>();
  owner_ptr_t<all_types_t> hold = root;
  body_t* linked = make<body_t>();
  owner_ptr_t<body_t> hold_linked = linked;
  unit_t* element = make<unit_t>();
  EXPECT_TRUE(root->append_value(attr("own_a"), unit_base_t::END, element));
  EXPECT_TRUE(root->append_value(attr("link_a"), unit_base_t::END, linked));
  EXPECT_EQ(linked->get_ref_count(), 2u);
  host_tie_scope_t tie;
  root->destroy();
  root->destroy();  // twice is harmless
  EXPECT_FALSE(element->is_alive());
  EXPECT_TRUE(linked->is_alive());
  EXPECT_EQ(linked->get_ref_count(), 1u);
  EXPECT_EQ(root->own_a.size(), 0u);
  EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
  EXPECT_TRUE(sink.errors().empty());
}

TEST_F(units_test, clones_copy_values_clone_owned_units_and_share_links) {
  host_tie_scope_t tie;
  all_types_t* source = make<all_types_t>();
  owner_ptr_t<all_types_t> hold = source;
  ASSERT_TRUE(source->set_name("original"));
  body_t* linked = make<body_t>();
  owner_ptr_t<body_t> hold_linked = linked;
  body_t* dead = make<body_t>();
  owner_ptr_t<body_t> hold_dead = dead;
  source->s.copy(string_alias_t("text"));
  source->f_a.push_back(0.5f);
  source->s_a.push_back(unit_string_t("x"));
  source->q = quat_t{1, 2, 3, 4};
  source->own = make<body_t>();
  static_cast<body_t*>(source->own.get())->mass = 0.25f;
  source->link = linked;
  source->append_value(attr("link_a"), unit_base_t::END, dead);
  hold_dead = nullptr;  // the array still links the dead unit
  owner_ptr_t<all_types_t> copy = static_cast<all_types_t*>(source->clone());
  ASSERT_NE(copy.get(), nullptr);
  EXPECT_TRUE(copy->is_nameless());
  EXPECT_EQ(copy->s, "text");
  EXPECT_EQ(copy->s_a[0], "x");
  EXPECT_EQ(copy->f_a[0], 0.5f);
  EXPECT_EQ(copy->q.y, 3.0f);
  ASSERT_NE(copy->own.get(), nullptr);
  EXPECT_NE(copy->own.get(), source->own.get());
  EXPECT_EQ(static_cast<body_t*>(copy->own.get())->mass, 0.25f);
  EXPECT_EQ(copy->link.get(), linked);
  EXPECT_EQ(linked->get_ref_count(), 3u);
  ASSERT_EQ(copy->link_a.size(), 1u);
  EXPECT_EQ(copy->link_a[0], nullptr);  // a link to a dead unit copies as null
  EXPECT_EQ(dead->get_ref_count(), 1u);
}

// A copy that cannot be finished is reported and its memory goes back at once;
// only its owned clone, handed out already, waits in the garbage list.
TEST_F(units_test, a_failed_clone_reports_and_returns_its_copy_at_once) {
  all_types_t* source = make<all_types_t>();
  owner_ptr_t<all_types_t> hold = source;
  source->set_name("failing");
  source->own = make<body_t>();
  make<unit_t>()->destroy_unowned();  // the garbage list has its buffer from now on
  unit_system_t::clean_garbage();
  std::size_t live = allocation_stats().live;
  EXPECT_EQ(source->clone(), nullptr);  // the default tie cannot clone
  EXPECT_EQ(allocation_stats().live, live + 1);
  EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
  std::vector<std::string> errors = sink.errors();
  ASSERT_GE(errors.size(), 2u);
  EXPECT_EQ(errors[1], "[unit] Failed to clone the the attribute 'res' of unit 'failing' (type "
                       "'all_types').");
}

TEST_F(units_test, the_garbage_list_follows_deletions) {
  // A proxy deleted by the clean drops its link; the linked unit goes in the same call.
  unit_proxy_u* proxy = make<unit_proxy_u>();
  unit_t* target = make<unit_t>();
  proxy->linked = target;
  link_ptr_t<unit_proxy_u> hold = proxy;
  hold = nullptr;
  EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
  unit_system_t::clean_garbage();
  EXPECT_EQ(unit_system_t::get_garbage_count(), 0u);
  // An unowned unit is destroyed and queued; an owned one is left alone.
  unit_t* loose = make<unit_t>();
  loose->destroy_unowned();
  EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
  owner_ptr_t<unit_t> owned = make<unit_t>();
  owned->destroy_unowned();
  EXPECT_TRUE(owned->is_alive());
}

TEST_F(units_test, the_default_tie_reports_every_use) {
  all_types_t* u = make<all_types_t>();
  owner_ptr_t<all_types_t> hold = u;
  unit_resource_tie_t* tie = unit_resource_tie_t::get_instance();
  ASSERT_NE(tie, nullptr);
  const unit_attribute_t* res = attr("res");
  const unit_attribute_t* res_a = attr("res_a");
  string_dyn_t<> name("stale");
  unit_base_t* out = nullptr;
  array_dyn_t<unit_base_t*> copy;
  unsigned int size = 0;
  EXPECT_FALSE(tie->get_resource_name(&name, u));
  EXPECT_TRUE(name.empty());
  EXPECT_TRUE(tie->check_resource_type(nullptr));
  EXPECT_FALSE(tie->check_resource_type(u));
  EXPECT_EQ(tie->load_resource("tex", u, res), nullptr);
  tie->unload_resource(nullptr, u, res);  // silent
  tie->unload_resource(u, u, res);
  EXPECT_FALSE(u->remove_value(res_a, 0));
  EXPECT_FALSE(u->get_size(res_a, &size));
  EXPECT_FALSE(u->request_capacity(res_a, 4));
  EXPECT_FALSE(u->get_value(res, &out));
  EXPECT_FALSE(u->get_value(res_a, &copy));
  EXPECT_FALSE(u->set_value(res, u));
  EXPECT_FALSE(u->append_value(res_a, unit_base_t::END, u));
  EXPECT_FALSE(u->prepend_value(res_a, 0u, u));
  u->destroy();
  std::vector<std::string> expected;
  for (const char* line :
       {"67: unknown fn: [unit] Can not support querying names of resources.",
        "87: unknown fn: [unit] Can not support resource type checking.",
        "171: unknown fn: [unit] Can not load the resource tie.",
        "191: unknown fn: [unit] Can not unload the resource tie.",
        "206: unknown fn: [unit] Can not remove element from array of resource ties.",
        "223: unknown fn: [unit] Can not query the size of array of resource ties.",
        "238: unknown fn: [unit] Can not change capacity of array of resource ties.",
        "255: unknown fn: [unit] Can not get resource tie attribute value.",
        "290: unknown fn: [unit] Can not get the resource tie array copy.",
        "306: unknown fn: [unit] Can not set the resource tie attribute value.",
        "340: unknown fn: [unit] Can not append the resource tie attribute value.",
        "357: unknown fn: [unit] Can not prepend the resource tie attribute value.",
        "102: unknown fn: [unit] Resource tie is unable to destroy itself.",
        "116: unknown fn: [unit] Resource tie is unable to destroy itself."})
    expected.push_back(std::string("units/unit_resource_tie:") + line);
  EXPECT_EQ(sink.errors(), expected);
  // A second tie becomes current; deleting it leaves none, even with the first alive.
  unit_resource_tie_t* second = new unit_resource_tie_t;
  EXPECT_EQ(unit_resource_tie_t::get_instance(), second);
  delete second;
  EXPECT_EQ(unit_resource_tie_t::get_instance(), nullptr);
  delete tie;
  new unit_resource_tie_t;
}

}  // namespace
}  // namespace qxtest
