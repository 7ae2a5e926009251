// unit_name_t: the global, dotted, hierarchical names of units ("level.door.
// hinge"). Each component is a token; inner tree nodes stand for prefixes and
// each named unit hangs in the ring of names under its prefix. A side index
// finds a node or a name by (prefix, token) in one probe, so lookups do not
// walk rings however many siblings a prefix has.
//
//   unit->set_name("level.door");
//   unit_t* same = unit_name_t::find_unit("level..door.");  // extra dots are skipped
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/strings/strings_mutable.h"

namespace quarn {

class unit_base_t;
class unit_t;
struct unit_name_dir_t;

// Bit 63 of a name's token marks a destroyed unit: it is never found again.
constexpr unsigned long long UNIT_NAME_DEAD = 1ull << 63;

class QX_API unit_name_t {
 public:
  unit_name_t() = default;
  ~unit_name_t() { unlink(); }
  unit_name_t(const unit_name_t&) = delete;
  unit_name_t& operator=(const unit_name_t&) = delete;

  // False, changing nothing, for an empty or malformed name, a refused
  // "_nameless" prefix, or a name that another live unit holds.
  bool set_name(const string& name, bool refuse_nameless);
  bool compose_name(mstring_t* out) const;
  static bool compose_nameless(mstring_t* out, const unit_base_t* unit);
  static unit_t* find_unit(const string& name);  // the live unit of that name, or null
  // Whether `name` has the form of a unit name (dot-separated tokens).
  static bool is_valid_name(const string& name, bool refuse_nameless);

  bool is_linked() const { return next_ != nullptr; }
  unsigned long long get_token() const { return token_; }

 private:
  friend class unit_t;
  friend struct unit_name_registry_t;

  void unlink();       // out of the tree; prefixes left empty are released
  void mark_dead();    // bit 63: the name can be taken again at once
  void take_over(unit_name_t* from);  // this name gets from's place; from is emptied
  unit_t* owner_unit() const;

  unit_name_dir_t* parent_ = nullptr;
  unit_name_t* next_ = nullptr;
  unit_name_t* prev_ = nullptr;
  unsigned long long token_ = 0;
};

// Inner node of the name tree, one per distinct prefix.
struct unit_name_dir_t {
  unit_name_dir_t* parent;
  unit_name_dir_t* next;
  unit_name_dir_t* prev;
  unsigned long long token;
  unit_name_dir_t* first_child;
  unit_name_t* first_name;
};

}  // namespace quarn
