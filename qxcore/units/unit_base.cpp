#include "qxcore/units/unit_base.h"

#include "qxcore/core/assertions.h"
#include "qxcore/core/host_memory.h"
#include "qxcore/units/unit_bank.h"
#include "qxcore/units/unit_garbage.h"
#include "qxcore/units/unit_name.h"
#include "qxcore/units/unit_system.h"

namespace quarn {

constinit const string_alias_t unit_base_t::class_name = "unit_base";
constinit const unsigned int unit_base_t::fingerprint = unit_fingerprint_of("unit_base_t");
constinit const unit_attribute_t unit_base_t::attributes[] = {
    {&unit_base_t::unit_descriptor, 0, UAT_NONE, nullptr, ""}};
constinit const unit_descriptor_t unit_base_t::unit_descriptor = {
    &unit_base_t::class_name,       &unit_base_t::create_instance, &unit_base_t::destroy_instance,
    nullptr,                        unit_base_t::attributes,       &unit_base_t::fingerprint};

unit_base_t::unit_base_t(unit_system_t* system)
    : flags_(static_cast<unsigned char>(
          ((system != nullptr ? system->get_index() : 0) & FLAG_SYSTEM_MASK) | FLAG_ALIVE)) {}

unit_base_t::~unit_base_t() = default;

void* unit_base_t::operator new(std::size_t size) noexcept {
  if (!unit_garbage_make_room()) return nullptr;
  void* p = host_alloc(size);
  if (p == nullptr) unit_garbage_forget_one();
  return p;
}

void unit_base_t::operator delete(void* p) noexcept {
  if (p == nullptr) return;
  host_free(p);
  unit_garbage_forget_one();
}

unit_base_t* unit_base_t::create_instance(unit_system_t* system) {
  return new unit_base_t(system);
}

void unit_base_t::destroy_instance(unit_base_t* unit, unit_system_t*) { delete unit; }

bool unit_base_t::register_class(unit_bank_t& bank) { return bank.register_class(unit_descriptor); }

void unit_base_t::destroy() { flags_ &= static_cast<unsigned char>(~(FLAG_OWNED | FLAG_ALIVE)); }

unit_base_t* unit_base_t::clone() const { return _clone_as<unit_base_t>(); }

bool unit_base_t::is_anonymous() const { return true; }
bool unit_base_t::is_nameless() const { return true; }

bool unit_base_t::get_name(mstring_t* out) const {
  return unit_name_t::compose_nameless(out, this);
}

const unit_descriptor_t* unit_base_t::get_unit_descriptor() const { return &unit_descriptor; }

bool unit_base_t::_call_pre_save() { return true; }
bool unit_base_t::_call_post_save() { return true; }
void unit_base_t::_call_pre_load() {}
bool unit_base_t::_call_post_load() { return true; }

bool unit_base_t::_clone_to(unit_base_t*) const { return true; }

void unit_base_t::drop_reference() {
  if (ref_count_ == 0) {
    v_abort_fail("[unit] A reference was dropped from a unit that had none.", "units/unit_base",
                 1, "unknown fn");
    return;
  }
  if (--ref_count_ == 0) unit_system_t::add_to_garbage(this);
}

void unit_base_t::release_ownership() {
  flags_ &= static_cast<unsigned char>(~FLAG_OWNED);
  if (ref_count_ > 0) --ref_count_;
}

void unit_base_t::destroy_unowned() {
  if (is_owned()) return;
  add_reference();
  flags_ |= FLAG_OWNED;
  destroy();
  drop_reference();
}

void unit_base_t::store_owning(unit_base_t** slot, unit_base_t* target) {
  unit_base_t* old = *slot;
  // Storing the unit the slot already owns would destroy it first.
  if (old == target) return;
  if (old != nullptr) {
    old->destroy();
    old->drop_reference();
  }
  *slot = target;
  if (target != nullptr) {
    target->flags_ |= FLAG_OWNED;
    target->add_reference();
  }
}

void unit_base_t::store_linking(unit_base_t** slot, unit_base_t* target) {
  if (target != nullptr) target->add_reference();
  unit_base_t* old = *slot;
  if (old != nullptr) old->drop_reference();
  *slot = target;
}

unit_system_t* unit_base_t::_clone_system() const {
  return unit_system_t::get_system(get_system_index());
}

unit_base_t* unit_base_t::_finish_clone(unit_base_t* copy) const {
  if (copy == nullptr) return nullptr;
  if (_clone_to(copy)) return copy;
  copy->destroy();
  // Nobody refers to a copy that failed, so its memory goes back at once;
  // one that a hook did hand out is queued like any other unit.
  if (copy->ref_count_ == 0 && (copy->flags_ & FLAG_QUEUED) == 0)
    copy->get_unit_descriptor()->destroy(copy, _clone_system());
  return nullptr;
}

namespace {

// Unsigned byte order, as the symbol arrays are sorted.
int compare_symbols(const char* a, const char* b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  while (*x != 0 && *x == *y) ++x, ++y;
  return static_cast<int>(*x) - static_cast<int>(*y);
}

}  // namespace

bool unit_base_t::lookup_enum_value(const unit_attr_t<UAT_ENUM>* domain, const string& symbol,
                                    int* value) {
  if (domain == nullptr || domain->by_symbol == nullptr || domain->count == 0) return false;
  for (unsigned int i = 0; i < domain->count; ++i) {
    const unit_enum_entry_t& entry = domain->by_symbol[i];
    int order = compare_symbols(symbol.c_str(), entry.symbol.c_str());
    if (order == 0) {
      if (value != nullptr) *value = entry.value;
      return true;
    }
    if (order < 0) return false;
  }
  return false;
}

const string* unit_base_t::lookup_enum_symbol(const unit_attr_t<UAT_ENUM>* domain, int value) {
  if (domain == nullptr || domain->by_value == nullptr || domain->count == 0) return nullptr;
  for (unsigned int i = 0; i < domain->count; ++i) {
    const unit_enum_entry_t& entry = domain->by_value[i];
    if (entry.value == value) return &entry.symbol;
    if (value < entry.value) return nullptr;
  }
  return nullptr;
}

}  // namespace quarn
