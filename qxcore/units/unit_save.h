// unit_save_t: writes live units into one units text file. The host adds
// root units; the saver collects them with the units they point to, as far
// as the traversal mode reaches, checks that every pointer can be written as
// a name, runs the save hooks and writes the file. Collected units carry the
// save mark until reset, so another saver skips them meanwhile.
//
//   file_t* f = fs_create(string_alias_t("/data/level.units"), FS_TYPE_VIRTUAL);
//   unit_save_t saver(*f, UTM_OWNED_IN_SYSTEM);
//   saver.add(level);
//   bool written = saver.save(UPF_TEXT);
//   delete f;
#pragma once

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/units/unit_system.h"

namespace quarn {

class file_t;
class units_text_writer_t;

enum unit_traversal_mode_t : unsigned int {
  UTM_UNIT_ONLY = 0,
  UTM_OWNED_IN_SYSTEM = 1,       // owning pointers, within the first unit's system
  UTM_REFERENCED_IN_SYSTEM = 2,  // owning and linking pointers, within that system
  UTM_OWNED = 3,                 // owning pointers, any system
  UTM_REFERENCED = 4,            // owning and linking pointers, any system
};

enum unit_payload_format_t : unsigned int {
  UPF_TEXT = 0,  // the units text format, the only one
};

class QX_API unit_save_t {
 public:
  unit_save_t(file_t& file, unit_traversal_mode_t mode);
  ~unit_save_t();
  unit_save_t(const unit_save_t&) = delete;
  unit_save_t& operator=(const unit_save_t&) = delete;

  void add(unit_base_t* unit);                              // null is ignored
  void add(unit_base_t* unit, unit_traversal_mode_t mode);  // this call only
  bool save(unit_payload_format_t format);
  void reset();  // unmarks and forgets the collected units

  unsigned int get_unit_count() const { return units_.size(); }

  static void* operator new(std::size_t size) noexcept;
  static void operator delete(void* p) noexcept;

 private:
  struct frame_t;

  bool collect(unit_base_t* unit);
  void collect_children(unit_base_t* unit);
  bool check_names();
  bool write_units();
  bool write_unit(unit_base_t* unit);
  bool write_attribute(unit_base_t* unit, const unit_attribute_t* a);
  bool write_value(unit_base_t* unit, const unit_attribute_t* a, unit_attr_type_t scalar,
                   unsigned int index);
  bool flush();

  file_t* file_;
  unit_traversal_mode_t mode_;
  array_dyn_t<unit_base_t*> units_;  // referenced, marked
  unit_system_t* current_system_ = nullptr;
  unsigned int depth_ = 0;
  units_text_writer_t* line_;
  unit_payload_format_t format_ = UPF_TEXT;
};

}  // namespace quarn
