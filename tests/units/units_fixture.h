// The fixture of the unit-model tests: a bank that knows the test classes, a
// default unit system, a sink that keeps every message, and a host resource
// tie that keeps resource pointers in the attributes' own storage. The file
// tests add a mounted temporary directory (virtual paths "/name") and save
// and load through real files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qxcore/fs/file.h"
#include "qxcore/fs/fs.h"
#include "qxcore/units/unit_load.h"
#include "qxcore/units/unit_resource_tie.h"
#include "qxcore/units/unit_save.h"
#include "tests/support/capture_sink.h"
#include "tests/support/temp_dir.h"
#include "tests/units/test_units.h"

namespace qxtest {

// A host tie: 51 stores the pointer itself, 52 an array_dyn_t of them.
// Resources are named units that exist before a load ("lamp").
class slot_tie_t : public unit_resource_tie_t {
 public:
  using unit_resource_tie_t::get_value;
  static unit_base_t** slot(const unit_base_t* u, const unit_attribute_t* a) {
    return reinterpret_cast<unit_base_t**>(const_cast<char*>(reinterpret_cast<const char*>(u)) +
                                           a->offset);
  }
  static array_dyn_t<unit_base_t*>& array(const unit_base_t* u, const unit_attribute_t* a) {
    return *reinterpret_cast<array_dyn_t<unit_base_t*>*>(slot(u, a));
  }
  bool check_resource_type(unit_base_t*) override { return true; }
  void destroy_value(unit_base_t* u, const unit_attribute_t* a) override { *slot(u, a) = nullptr; }
  void destroy_array(unit_base_t* u, const unit_attribute_t* a) override { array(u, a).clear(); }
  bool clone_value(const unit_base_t* s, const unit_attribute_t* a, unit_base_t* t) override {
    *slot(t, a) = *slot(s, a);
    return true;
  }
  bool clone_array(const unit_base_t* s, const unit_attribute_t* a, unit_base_t* t) override {
    array(t, a) = array(s, a);
    return true;
  }
  bool get_value(const unit_base_t* u, const unit_attribute_t* a, unit_base_t** out) override {
    *out = *slot(u, a);
    return true;
  }
  bool set_value(unit_base_t* u, const unit_attribute_t* a, unit_base_t* r) override {
    *slot(u, a) = r;
    return true;
  }
  bool get_array_size(const unit_base_t* u, const unit_attribute_t* a, unsigned int* n) override {
    *n = array(u, a).size();
    return true;
  }
  bool get_resource_name(mstring_t* out, unit_base_t* r) override { return r->get_name(out); }
  unit_base_t* load_resource(const string& name, unit_base_t*, const unit_attribute_t*) override {
    return unit_system_t::find_unit(name);
  }
  void unload_resource(unit_base_t*, unit_base_t*, const unit_attribute_t*) override {}
  bool get_element(const unit_base_t* u, const unit_attribute_t* a, unsigned int i,
                   unit_base_t** out) override {
    if (i >= array(u, a).size()) return false;
    *out = array(u, a).data()[i];
    return true;
  }
  bool append_element(unit_base_t* u, const unit_attribute_t* a, unsigned int,
                      unit_base_t* r) override {
    return array(u, a).push_back(r);
  }
  bool request_array_capacity(unit_base_t* u, const unit_attribute_t* a, unsigned int n) override {
    array(u, a).reserve(n);
    return true;
  }
};

class units_test : public testing::Test {
 protected:
  units_test() {
    register_test_classes(bank);
    system.set_default();
  }
  ~units_test() override { unit_system_t::clean_garbage(); }

  template <class T>
  T* make() {
    return static_cast<T*>(system.create_unit(T::unit_descriptor));
  }
  static std::string name_of(const unit_base_t* u) {
    string_dyn_t<> name;
    u->get_name(&name);
    return name.c_str();
  }
  // Swaps the default tie for a host tie for the scope's length.
  struct host_tie_scope_t {
    host_tie_scope_t() {
      unit_resource_tie_t::destroy_instance();
      new slot_tie_t;
    }
    ~host_tie_scope_t() {
      unit_resource_tie_t::destroy_instance();
      new unit_resource_tie_t;
    }
  };

  unit_bank_t bank;
  unit_system_t system{bank};
  capture_sink_t sink;
};

class units_io_test : public units_test {
 protected:
  units_io_test() {
    device = ufs_mount(FS_DEVICE_DIRECTORY, string_alias_t(dir.path().c_str()), string::EMPTY,
                       false, 100);
  }
  ~units_io_test() override {
    loader.reset();
    loader_file.reset();
    unit_system_t::clean_garbage();
    ufs_unmount(device);
  }

  // Loads a file of the mounted directory with a fresh loader; `loader`
  // keeps the trees until the next call or the end of the test.
  bool load(const std::string& name) {
    loader_file.reset();
    loader.reset();
    loader_file.reset(fs_open(string_alias_t(("/" + name).c_str()), FS_TYPE_VIRTUAL));
    if (loader_file == nullptr) return false;
    loader.reset(new unit_load_t(*loader_file, system));
    return loader->load();
  }
  bool load_text(const std::string& text, const std::string& name = "in.units") {
    dir.write(name, text);
    return load(name);
  }

  // Saves the roots (and what the mode reaches) and answers the file's bytes.
  std::string save(const std::vector<unit_base_t*>& roots, unit_traversal_mode_t mode,
                   bool* ok = nullptr) {
    std::unique_ptr<file_t> f(fs_create(string_alias_t("/out.units"), FS_TYPE_VIRTUAL));
    bool saved = false;
    if (f != nullptr) {
      unit_save_t saver(*f, mode);
      for (unit_base_t* r : roots) saver.add(r);
      saved = saver.save(UPF_TEXT);
    }
    f.reset();
    if (ok != nullptr) *ok = saved;
    return temp_dir_t::read(dir / "out.units");
  }

  std::vector<unit_base_t*> trees() const {
    std::vector<unit_base_t*> out;
    for (unsigned int i = 0; loader && i < loader->get_tree_count(); ++i)
      out.push_back(loader->get_tree(i));
    return out;
  }
  static std::string data(const std::string& name) {
    return temp_dir_t::read(std::string(QXCORE_UNITS_DATA_DIR) + "/" + name);
  }

  temp_dir_t dir;
  ufs_device_t* device = nullptr;
  host_tie_scope_t tie;
  // Declared after the mount so that they go first.
  std::unique_ptr<unit_load_t> loader;
  std::unique_ptr<file_t> loader_file;
};

}  // namespace qxtest
