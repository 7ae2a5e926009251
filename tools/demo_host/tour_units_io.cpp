// The units files stop: a small scene saved into the virtual path space,
// loaded back into a fresh unit system, and saved again to the same bytes.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace {

using namespace quarn;

class prop_t : public unit_t {
  QX_UNIT_CLASS(prop_t, unit_t)
 public:
  placement_t place;
  int colour = 0;
  string_dyn_t<> label;
  link_ptr_t<unit_base_t> looks_at;
};

class level_t : public unit_t {
  QX_UNIT_CLASS(level_t, unit_t)
 public:
  float gravity = 9.81f;
  array_dyn_t<unit_base_t*> props;
};

QX_UNIT_ENUM(prop_colours, {0, "grey"}, {1, "red"}, {2, "green"});
QX_UNIT_DEFINE(prop_t, "prop", QX_UNIT_ATTR(place, UAT_PLACEMENT, nullptr),
               QX_UNIT_ATTR(colour, UAT_ENUM, &prop_colours),
               QX_UNIT_ATTR(label, UAT_STRING, nullptr),
               QX_UNIT_ATTR(looks_at, UAT_LINKED_UNIT, nullptr));
QX_UNIT_DEFINE(level_t, "level", QX_UNIT_ATTR(gravity, UAT_FLOAT, nullptr),
               QX_UNIT_ATTR(props, UAT_OWNED_UNIT_ARRAY, nullptr));

bool save_level(unit_base_t* level, const char* path) {
  file_t* out = fs_create(string_alias_t(path), FS_TYPE_VIRTUAL);
  if (out == nullptr) return false;
  unit_save_t saver(*out, UTM_OWNED);
  saver.add(level);
  bool ok = saver.save(UPF_TEXT);
  delete out;
  return ok;
}

std::string read_host_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

namespace demo {

void tour_units_io() {
  section("units files");
  char pattern[] = "/tmp/qxcore_demo_units_XXXXXX";
  const std::string scratch = ::mkdtemp(pattern);
  ufs_device_t* device =
      ufs_mount(FS_DEVICE_DIRECTORY, string_alias_t(scratch.c_str()), string_alias_t("/save"), false, 100);
  unit_bank_t bank;
  prop_t::register_class(bank);
  level_t::register_class(bank);
  {
    unit_system_t system(bank);
    owner_ptr_t<level_t> level = static_cast<level_t*>(system.create_unit(level_t::unit_descriptor));
    level->set_name("e1m1");
    const unit_attribute_t* props =
        unit_system_t::get_attribute_descriptor(&level_t::unit_descriptor, string_alias_t("props"));
    const char* names[] = {"e1m1.crate", "e1m1.lamp", "e1m1.door"};
    for (int i = 0; i < 3; ++i) {
      auto* p = static_cast<prop_t*>(system.create_unit(prop_t::unit_descriptor));
      p->set_name(string_alias_t(names[i]));
      p->place.pos = {2.0f * i, 0.5f, -1.25f * i};
      p->colour = i;
      p->label = string_alias_t(i == 1 ? "warm light" : "wood_01");
      level->append_value(props, unit_base_t::END, static_cast<unit_base_t*>(p));
    }
    static_cast<prop_t*>(level->props.data()[0])->looks_at = level->props.data()[1];
    std::printf("saved /save/e1m1.units: %s\n", save_level(level.get(), "/save/e1m1.units") ? "yes" : "no");
    level = nullptr;
    unit_system_t::clean_garbage();  // the scene is gone; its names are free again
  }

  const std::string first = read_host_file(scratch + "/e1m1.units");
  std::printf("the file (%zu bytes) begins:\n", first.size());
  std::size_t at = 0;
  for (int line = 0; line < 10 && at < first.size(); ++line) {
    std::size_t end = first.find("\r\n", at);
    std::printf("  | %s\n", first.substr(at, end - at).c_str());
    at = end + 2;
  }
  {
    unit_system_t fresh(bank);
    file_t* in = fs_open(string_alias_t("/save/e1m1.units"), FS_TYPE_VIRTUAL);
    unit_load_t loader(*in, fresh);
    owner_ptr_t<unit_base_t> level = loader.load_tree_generic();
    delete in;
    if (level) {
      auto* crate = static_cast<prop_t*>(unit_system_t::find_unit("e1m1.crate"));
      string_dyn_t<> target;
      crate->looks_at->get_name(&target);
      std::printf("loaded into a fresh system: level '%s', the crate looks at '%s'\n", "e1m1", target.c_str());
      save_level(level.get(), "/save/again.units");
    }
    level = nullptr;
    loader.reset();
    unit_system_t::clean_garbage();  // before the system goes
  }
  const std::string second = read_host_file(scratch + "/again.units");
  std::printf("saved again: %s\n", second == first ? "the same bytes" : "DIFFERENT bytes");
  ufs_unmount(device);
  std::filesystem::remove_all(scratch);
}

}  // namespace demo
