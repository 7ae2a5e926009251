// unit_load_t: reads one units text file into live units of a unit system.
// Names of the file are bound in the global name space, forward references
// are held by proxies until the file ends, every value is checked against its
// attribute's domain, and the units that no owning pointer of the file took
// (the trees) are handed to the caller. A failed load leaves nothing behind.
//
//   file_t* f = fs_open(string_alias_t("/data/level.units"), FS_TYPE_VIRTUAL);
//   unit_load_t loader(*f, system);
//   owner_ptr_t<unit_base_t> level = loader.load_tree_generic();  // null on failure
//   delete f;
#pragma once

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/units/unit_proxy.h"
#include "qxcore/units/unit_ptr.h"
#include "qxcore/units/unit_system.h"

namespace quarn {

class file_t;
class units_scanner_t;

class QX_API unit_load_t {
 public:
  unit_load_t(file_t& file, unit_system_t& system);
  virtual ~unit_load_t();
  unit_load_t(const unit_load_t&) = delete;
  unit_load_t& operator=(const unit_load_t&) = delete;

  // Reads and resolves the whole file; the roots are then held as trees.
  bool load();
  // load, then the one tree (null for none or several); the loader is
  // cleaned up afterwards in every case.
  owner_ptr_t<unit_base_t>::ret_t load_tree_generic();
  // load, then the root of that name (case-insensitive); the others are destroyed.
  owner_ptr_t<unit_base_t>::ret_t load_named_tree_generic(const string& name);
  void reset();  // destroys the trees still held

  unsigned int get_tree_count() const { return trees_.size(); }
  unit_base_t* get_tree(unsigned int i) const { return trees_.data()[i]; }  // i < count

  static void* operator new(std::size_t size) noexcept;
  static void operator delete(void* p) noexcept;

 protected:
  // For a host's typed wrapper: the loaded root is not of the expected type.
  void report_bad_type(unit_base_t* unit, const unit_descriptor_t* expected);

 private:
  bool read_file();
  bool read_unit(const string& type_name);
  bool read_attribute(const string& name);
  bool read_value(unit_attr_type_t scalar);
  unit_base_t* bind_name(const string& name, unit_base_t* defining);
  template <class T>
  bool store(const T& value);
  template <class T>
  bool store_checked(const T& value);
  bool store_integer(unsigned long long bits, bool is_signed);
  bool store_enum();
  bool store_pointer();
  bool store_resource();
  void report_domain(const char* value_text);
  bool resolve_links();
  bool resolve_owners();
  bool collect_trees();
  void cleanup();
  void destroy_trees();
  const char* unit_type_name() const;
  owner_ptr_t<unit_base_t>::ret_t take_tree(unsigned int i);
  unsigned int proxy_index(unit_base_t* proxy) const;  // 0xFFFFFFFF: not of this load
  bool remember_proxy(unit_base_t* proxy, unsigned int index);
  unsigned int owner_root(unsigned int i);

  file_t* file_;
  unit_system_t* system_;
  units_scanner_t* scanner_ = nullptr;
  array_dyn_t<unit_base_t*> trees_;    // owned
  array_dyn_t<unit_base_t*> created_;  // plain
  array_dyn_t<unit_base_t*> proxies_;  // referenced
  // Ownership among the proxies as a union-find forest: an owning pointer
  // that would close a loop is refused, since units that own each other
  // could never be destroyed.
  array_dyn_t<unsigned int> owner_parent_;
  struct index_slot_t {
    unit_base_t* proxy;
    unsigned int index;
  };
  index_slot_t* index_slots_ = nullptr;  // open addressing, proxy -> index in proxies_
  unsigned int index_capacity_ = 0;      // a power of two, or 0
  unit_base_t* current_proxy_ = nullptr;
  unit_base_t* current_unit_ = nullptr;
  string_dyn_t<> current_unit_name_;
  const unit_attribute_t* current_attribute_ = nullptr;
  bool current_is_array_ = false;
  unsigned int current_index_ = 0xFFFFFFFFu;
  string_dyn_t<> file_name_;
  unsigned int file_size_ = 0;
};

}  // namespace quarn
