#include "qxcore/units/unit_system.h"

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/core/assertions.h"
#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"
#include "qxcore/units/unit.h"
#include "qxcore/units/unit_garbage.h"
#include "qxcore/units/unit_name_registry.h"

namespace quarn {

namespace {

constexpr const char* SYSTEM_MODULE = "units/unit_system";
constexpr unsigned int NO_DEFAULT = UF_UNIT_SYTEMS_COUNT;

constinit unit_system_t* systems[UF_UNIT_SYTEMS_COUNT] = {};
constinit unsigned int occupied = 0;  // bit i: slot i in use
constinit unsigned int default_index = NO_DEFAULT;
constinit array_dyn_t<unit_base_t*>* garbage = nullptr;

// Units alive in memory: the garbage list keeps room for each of them, so
// queueing a unit never needs memory and an unreferenced unit is never lost.
constinit unsigned int units_in_memory = 0;
constinit unsigned int garbage_room = 0;  // the list's capacity, kept to spare a virtual call

bool garbage_room_for(unsigned int units) {
  if (garbage == nullptr || garbage_room >= units) return true;
  garbage->reserve(units);
  garbage_room = garbage->capacity();
  return garbage_room >= units;
}

unsigned int lowest_free_slot() {
  unsigned int i = 0;
  while (i < 32 && (occupied & (1u << i)) != 0) ++i;
  return i;
}

}  // namespace

unit_system_t::unit_system_t(unit_bank_t& bank) : bank_(&bank), index_(lowest_free_slot()) {
  if (index_ >= UF_UNIT_SYTEMS_COUNT) {
    v_abort_fail("[unit] Can not create more unit systems - already UF_UNIT_SYTEMS_COUNT "
                 "systems exist.",
                 SYSTEM_MODULE, 156, "unknown fn");
    index_ = NO_INDEX;
    return;
  }
  if (garbage == nullptr) {
    garbage = host_new<array_dyn_t<unit_base_t*>>();
    garbage_room = 0;
    if (garbage == nullptr || !unit_name_registry_open() || !garbage_room_for(units_in_memory)) {
      error("[unit] Not enough memory to set up the unit system.");
      host_delete(garbage);
      garbage = nullptr;
      unit_name_registry_close();
      index_ = NO_INDEX;
      return;
    }
  }
  occupied |= 1u << index_;
  systems[index_] = this;
}

bool unit_garbage_make_room() {
  if (!garbage_room_for(units_in_memory + 1)) return false;
  ++units_in_memory;
  return true;
}

void unit_garbage_forget_one() { --units_in_memory; }

unit_system_t::~unit_system_t() {
  if (index_ == NO_INDEX) return;
  occupied &= ~(1u << index_);
  systems[index_] = nullptr;
  if (default_index == index_) default_index = NO_DEFAULT;
  if (occupied == 0) {
    host_delete(garbage);
    garbage = nullptr;
    garbage_room = 0;
    unit_name_registry_close();
  }
}

bool unit_system_t::usable(const char* operation) const {
  if (index_ != NO_INDEX) return true;
  error("[unit] %s refused: this unit system has no slot (UF_UNIT_SYTEMS_COUNT systems "
        "existed when it was made).",
        operation);
  return false;
}

void unit_system_t::set_default() {
  if (!usable("set_default")) return;
  if (default_index != NO_DEFAULT && default_index != index_)
    warning("[unit] Stealing the default unit system.");
  default_index = index_;
}

unit_system_t* unit_system_t::get_default() {
  return default_index == NO_DEFAULT ? nullptr : systems[default_index];
}

unit_system_t* unit_system_t::get_system(unsigned int index) {
  return index < UF_UNIT_SYTEMS_COUNT ? systems[index] : nullptr;
}

unit_base_t* unit_system_t::create_unit(const unit_descriptor_t& type) {
  if (!usable("create_unit")) return nullptr;
  if (type.create == nullptr) {
    v_abort_fail("Attempt to instantiate abstract unit type.", SYSTEM_MODULE, 230, "unknown fn");
    return nullptr;
  }
  return type.create(this);
}

unit_base_t* unit_system_t::create_unit(const string& type_name) {
  if (!usable("create_unit")) return nullptr;
  const unit_descriptor_t* type = bank_->get_descriptor(type_name);
  return type != nullptr ? create_unit(*type) : nullptr;
}

unit_base_t* unit_system_t::create_default_unit(const unit_descriptor_t& type) {
  unit_system_t* system = get_default();
  if (system == nullptr) {
    v_abort_fail("There is no default unit system.", SYSTEM_MODULE, 224, "unknown fn");
    return nullptr;
  }
  return system->create_unit(type);
}

unit_base_t* unit_system_t::create_default_unit(const string& type_name) {
  unit_system_t* system = get_default();
  if (system == nullptr) {
    v_abort_fail("There is no default unit system.", SYSTEM_MODULE, 190, "unknown fn");
    return nullptr;
  }
  return system->create_unit(type_name);
}

const unit_descriptor_t* unit_system_t::find_unit_type(const string& type_name) const {
  if (!usable("find_unit_type")) return nullptr;
  return bank_->get_descriptor(type_name);
}

unit_t* unit_system_t::find_unit(const string& name) { return unit_name_t::find_unit(name); }

void unit_system_t::add_to_garbage(unit_base_t* unit) {
  if (garbage == nullptr || (unit->flags_ & unit_base_t::FLAG_QUEUED) != 0) return;
  // Room was kept when the unit was made, so this never allocates.
  if (garbage->push_back(unit)) unit->flags_ |= unit_base_t::FLAG_QUEUED;
}

void unit_system_t::clean_garbage() {
  if (garbage == nullptr) return;
  // Deleting a unit may queue more (its destructor drops references): the
  // length is read again at every step, and the list may move while it grows.
  for (unsigned int i = 0; i < garbage->size(); ++i) {
    unit_base_t* unit = garbage->data()[i];
    unit->flags_ &= static_cast<unsigned char>(~unit_base_t::FLAG_QUEUED);
    // Referenced again since it was queued: it comes back when that ends.
    if (unit->ref_count_ != 0) continue;
    unit->get_unit_descriptor()->destroy(unit, get_system(unit->get_system_index()));
  }
  garbage->clear();
}

unsigned int unit_system_t::get_garbage_count() { return garbage != nullptr ? garbage->size() : 0; }

}  // namespace quarn
