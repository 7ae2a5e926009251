// The fixture of the units file tests: the unit-model fixture plus a mounted
// temporary directory (virtual paths "/name"), a resource tie that names its
// resources by unit name, and helpers that save and load through real files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "qxcore/fs/file.h"
#include "qxcore/fs/fs.h"
#include "qxcore/units/unit_load.h"
#include "qxcore/units/unit_save.h"
#include "tests/support/temp_dir.h"
#include "tests/units/units_fixture.h"

namespace qxtest {

// Resources are named units that exist before the load ("lamp").
class named_tie_t : public slot_tie_t {
 public:
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

class units_io_test : public units_test {
 protected:
  units_io_test() {
    device = ufs_mount(FS_DEVICE_DIRECTORY, string_alias_t(dir.path().c_str()), string::EMPTY,
                       false, 100);
    unit_resource_tie_t::destroy_instance();
    new named_tie_t;
  }
  ~units_io_test() override {
    loader.reset();
    loader_file.reset();
    unit_system_t::clean_garbage();
    unit_resource_tie_t::destroy_instance();
    new unit_resource_tie_t;
    ufs_unmount(device);
  }

  // Loads a file of the mounted directory with a fresh loader; `loader`
  // keeps the trees until the next call or the end of the test.
  bool load(const std::string& name) {
    loader_file.reset();
    loader.reset();
    file_t* f = fs_open(string_alias_t(("/" + name).c_str()), FS_TYPE_VIRTUAL);
    if (f == nullptr) return false;
    loader_file.reset(f);
    loader.reset(new unit_load_t(*f, system));
    return loader->load();
  }
  bool load_text(const std::string& text, const std::string& name = "in.units") {
    dir.write(name, text);
    return load(name);
  }

  // Saves the roots (and what the mode reaches) and answers the file's bytes.
  std::string save(const std::vector<unit_base_t*>& roots, unit_traversal_mode_t mode,
                   bool* ok = nullptr) {
    file_t* f = fs_create(string_alias_t("/out.units"), FS_TYPE_VIRTUAL);
    bool saved = false;
    if (f != nullptr) {
      unit_save_t saver(*f, mode);
      for (unit_base_t* r : roots) saver.add(r);
      saved = saver.save(UPF_TEXT);
    }
    delete f;
    if (ok != nullptr) *ok = saved;
    return temp_dir_t::read(dir / "out.units");
  }

  std::vector<unit_base_t*> trees() const {
    std::vector<unit_base_t*> out;
    for (unsigned int i = 0; loader && i < loader->get_tree_count(); ++i)
      out.push_back(loader->get_tree(i));
    return out;
  }

  static std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
  }
  static std::string data(const std::string& name) {
    return temp_dir_t::read(std::string(QXCORE_UNITS_DATA_DIR) + "/" + name);
  }

  struct file_deleter_t {
    void operator()(file_t* f) const { delete f; }
  };
  struct loader_deleter_t {
    void operator()(unit_load_t* l) const { delete l; }
  };

  temp_dir_t dir;
  ufs_device_t* device = nullptr;
  // Declared after the mount so that they go first.
  std::unique_ptr<unit_load_t, loader_deleter_t> loader;
  std::unique_ptr<file_t, file_deleter_t> loader_file;
};

}  // namespace qxtest
