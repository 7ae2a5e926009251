#include "qxcore/units/unit_load.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"
#include "qxcore/fs/file.h"
#include "qxcore/math/plane_equations.h"
#include "qxcore/units/unit_resource_tie.h"
#include "qxcore/units/units_scanner.h"

namespace quarn {

namespace {

constexpr char NAMELESS[] = "_nameless";

bool starts_with(const string& text, const char* prefix) {
  return std::strncmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

}  // namespace

void* unit_load_t::operator new(std::size_t size) noexcept { return host_alloc(size); }
void unit_load_t::operator delete(void* p) noexcept { host_free(p); }

unit_load_t::unit_load_t(file_t& file, unit_system_t& system) : file_(&file), system_(&system) {}

unit_load_t::~unit_load_t() { reset(); }

const char* unit_load_t::unit_type_name() const {
  return current_unit_->get_unit_descriptor()->class_name->c_str();
}

void unit_load_t::report_bad_type(unit_base_t* unit, const unit_descriptor_t* expected) {
  string_dyn_t<> name;
  unit->get_name(&name);
  error("[unit] The unit '%s' in file '%s' has type '%s', but the code expected '%s' type.",
        name.c_str(), file_name_.c_str(), unit->get_unit_descriptor()->class_name->c_str(),
        expected->class_name->c_str());
}

// ---------------------------------------------------------------------------
// The whole file

bool unit_load_t::load() {
  reset();
  file_->get_location(&file_name_);
  const unsigned int n = file_->size();
  file_size_ = n;
  if (n < 8) {
    error("[unit] The file '%s' does not contain serialised units. (reported size %u < 8)",
          file_name_.c_str(), n);
    return false;
  }
  char* content = static_cast<char*>(host_alloc_vector(static_cast<std::size_t>(n) + 2));
  if (content == nullptr || !file_->read(content, n)) {
    error("[unit] Error while reading units from file '%s'", file_name_.c_str());
    host_free_vector(content);
    return false;
  }
  content[n] = content[n + 1] = '\0';
  if (std::memcmp(content, "QxdNunit", 8) != 0) {
    error("[unit] The file '%s' does not contain serialised units - missing magic mark.",
          file_name_.c_str());
    host_free_vector(content);
    return false;
  }
  string_dyn_t<> location;
  file_->get_location(&location);
  scanner_ = new units_scanner_t(content, n + 2, file_name_, location, file_->get_fs_type());
  bool ok = false;
  if (scanner_ == nullptr) {
    error("[unit] Out of memory while scanning units from file '%s'.", file_name_.c_str());
  } else if (scanner_->is_ready()) {
    ok = read_file();
  }
  if (ok) {
    cleanup();
  } else {
    reset();
  }
  host_free_vector(content);
  return ok;
}

bool unit_load_t::read_file() {
  const char* stage = "scan_file_magic";
  if (scanner_->scan_file_magic()) {
    stage = "scan_open";
    if (scanner_->scan_open()) stage = nullptr;
  }
  if (stage != nullptr) {
    error("[unit] The file '%s' does not contain serialised units. (%s)", file_name_.c_str(), stage);
    return false;
  }
  while (true) {
    if (!scanner_->scan_name()) return false;
    if (scanner_->value_text.empty()) break;
    if (!read_unit(scanner_->value_text)) return false;
  }
  scanner_->scan_file_end();  // stray text is reported and forgiven
  bool links = resolve_links();
  bool owners = resolve_owners();
  if (!links || !owners || !collect_trees()) return false;
  for (unsigned int i = 0; i < created_.size(); ++i) {
    unit_base_t* unit = created_.data()[i];
    if (!unit->is_alive() || unit->_call_post_load()) continue;
    string_dyn_t<> name;
    unit->get_name(&name);
    error("[unit] The unit '%s' of type '%s' failed in its post-load hook.", name.c_str(),
          unit->get_unit_descriptor()->class_name->c_str());
    return false;
  }
  return true;
}

void unit_load_t::cleanup() {
  delete scanner_;
  scanner_ = nullptr;
  created_.clear();
  current_unit_name_.clear();
  current_unit_ = nullptr;
  for (unsigned int i = 0; i < proxies_.size(); ++i) {
    unit_base_t* proxy = proxies_.data()[i];
    if (proxy->is_alive()) proxy->destroy_unowned();
  }
  for (unsigned int i = 0; i < proxies_.size(); ++i) proxies_.data()[i]->drop_reference();
  proxies_.clear();
  owner_parent_.clear();
  host_free_vector(index_slots_);
  index_slots_ = nullptr;
  index_capacity_ = 0;
  current_proxy_ = nullptr;
}

void unit_load_t::destroy_trees() {
  for (unsigned int i = 0; i < trees_.size(); ++i)
    unit_base_t::store_owning(&trees_.data()[i], nullptr);
  trees_.clear();
}

void unit_load_t::reset() {
  cleanup();
  destroy_trees();
}

owner_ptr_t<unit_base_t>::ret_t unit_load_t::take_tree(unsigned int i) {
  unit_base_t* unit = trees_.data()[i];
  trees_.data()[i] = nullptr;
  if (unit != nullptr) unit->release_ownership();
  return owner_ptr_t<unit_base_t>::ret_t(unit);
}

owner_ptr_t<unit_base_t>::ret_t unit_load_t::load_tree_generic() {
  owner_ptr_t<unit_base_t>::ret_t root;
  if (load()) {
    if (trees_.size() == 0) {
      error("[unit] There were no units in the file '%s'.", file_name_.c_str());
    } else if (trees_.size() > 1) {
      error("[unit] There are multiple unit trees in the file '%s'.", file_name_.c_str());
    } else {
      root = take_tree(0);
    }
  }
  reset();
  return root;
}

owner_ptr_t<unit_base_t>::ret_t unit_load_t::load_named_tree_generic(const string& name) {
  owner_ptr_t<unit_base_t>::ret_t root;
  if (name.c_str()[0] == '.' || starts_with(name, "_nameless.")) {
    error("[unit] Can not filter nameless units based on name.");
    return root;
  }
  if (!load()) return root;
  if (trees_.size() == 0) {
    error("[unit] There were no units in the file '%s'.", file_name_.c_str());
    return root;
  }
  string_dyn_t<> tree_name;
  for (unsigned int i = 0; i < trees_.size(); ++i) {
    unit_base_t* tree = trees_.data()[i];
    if (!tree->is_alive() || !tree->get_name(&tree_name)) continue;
    // The last match wins; an earlier one is destroyed with the swapped-out ret_t.
    if (strcasecmp(tree_name.c_str(), name.c_str()) == 0) root = take_tree(i);
  }
  reset();
  if (!root)
    error("[unit] There was not a root unit '%s' in the file '%s'.", name.c_str(),
          file_name_.c_str());
  return root;
}

namespace {

unsigned int slot_of(const unit_base_t* proxy, unsigned int capacity) {
  std::uint64_t h = reinterpret_cast<std::uintptr_t>(proxy) * 0x9E3779B97F4A7C15ull;
  return static_cast<unsigned int>(h >> 32) & (capacity - 1);
}

}  // namespace

unsigned int unit_load_t::proxy_index(unit_base_t* proxy) const {
  if (index_capacity_ == 0) return 0xFFFFFFFFu;
  for (unsigned int i = slot_of(proxy, index_capacity_);; i = (i + 1) & (index_capacity_ - 1)) {
    if (index_slots_[i].proxy == proxy) return index_slots_[i].index;
    if (index_slots_[i].proxy == nullptr) return 0xFFFFFFFFu;
  }
}

bool unit_load_t::remember_proxy(unit_base_t* proxy, unsigned int index) {
  if ((index + 1) * 2 > index_capacity_) {
    const unsigned int capacity = index_capacity_ == 0 ? 64 : index_capacity_ * 2;
    auto* slots = static_cast<index_slot_t*>(host_alloc_vector(sizeof(index_slot_t) * std::size_t{capacity}));
    if (slots == nullptr) return false;
    for (unsigned int i = 0; i < capacity; ++i) slots[i] = {nullptr, 0};
    for (unsigned int k = 0; k < index_capacity_; ++k) {
      if (index_slots_[k].proxy == nullptr) continue;
      unsigned int i = slot_of(index_slots_[k].proxy, capacity);
      while (slots[i].proxy != nullptr) i = (i + 1) & (capacity - 1);
      slots[i] = index_slots_[k];
    }
    host_free_vector(index_slots_);
    index_slots_ = slots;
    index_capacity_ = capacity;
  }
  unsigned int i = slot_of(proxy, index_capacity_);
  while (index_slots_[i].proxy != nullptr) i = (i + 1) & (index_capacity_ - 1);
  index_slots_[i] = {proxy, index};
  return true;
}

unsigned int unit_load_t::owner_root(unsigned int i) {
  unsigned int* parent = owner_parent_.data();
  while (parent[i] != i) {
    parent[i] = parent[parent[i]];
    i = parent[i];
  }
  return i;
}

// ---------------------------------------------------------------------------
// Units and names

unit_base_t* unit_load_t::bind_name(const string& written, unit_base_t* defining) {
  string_dyn_t<> prefixed;
  const string* effective = &written;
  if (written.c_str()[0] == '.') {
    if (!prefixed.printf("%s%s", NAMELESS, written.c_str())) {
      error("[unit] Out of memory while scanning units from file '%s'.", file_name_.c_str());
      return nullptr;
    }
    effective = &prefixed;
  }
  const string& name = *effective;
  if (!unit_name_t::is_valid_name(name, false)) {
    scanner_->report_position();
    error("[unit] The unit name '%s' is in wrong format.", name.c_str());
    return nullptr;
  }
  unit_t* found = unit_system_t::find_unit(name);
  if (found != nullptr) {
    if (defining == nullptr) return found;
    const unit_base_t* shown = found;
    if (found->is_proxy()) {
      auto* proxy = static_cast<unit_proxy_u*>(found);
      if (proxy->linked.get() == nullptr) {
        proxy->owned = defining;
        proxy->linked = defining;
        return proxy;
      }
      shown = proxy->linked.get();
    }
    scanner_->report_position();
    error("[unit] The unit name '%s' is already taken by an existing unit (of type '%s').",
          name.c_str(), shown->get_unit_descriptor()->class_name->c_str());
    return nullptr;
  }
  auto* proxy = static_cast<unit_proxy_u*>(system_->create_unit(unit_proxy_u::unit_descriptor));
  if (proxy == nullptr) {
    scanner_->report_position();
    error("[unit] Failed to set the name '%s' to proxy.", name.c_str());
    return nullptr;
  }
  const unsigned int index = proxies_.size();
  if (!proxy->set_name(*effective, false) || !proxies_.push_back(proxy) ||
      !owner_parent_.push_back(index) || !remember_proxy(proxy, index)) {
    if (owner_parent_.size() > index) owner_parent_.resize(index);
    if (proxies_.size() > index) proxies_.resize(index);
    proxy->destroy_unowned();
    scanner_->report_position();
    error("[unit] Failed to set the name '%s' to proxy.", name.c_str());
    return nullptr;
  }
  proxy->add_reference();
  if (defining != nullptr) {
    proxy->owned = defining;
    proxy->linked = defining;
  }
  return proxy;
}

bool unit_load_t::read_unit(const string& type_name) {
  const unit_descriptor_t* type = system_->find_unit_type(type_name);
  if (type == nullptr) {
    scanner_->report_position();
    error("[unit] The '%s' is not a unit type name.", type_name.c_str());
    return false;
  }
  if (type->create == nullptr) {
    scanner_->report_position();
    error("[unit] The '%s' is not an abstract unit type name.", type_name.c_str());
    return false;
  }
  unit_base_t* unit = system_->create_unit(*type);
  if (unit == nullptr || !created_.push_back(unit)) {
    if (unit != nullptr) unit->destroy_unowned();
    scanner_->report_position();
    error("[unit] Creation of unit instance of type '%s' failed.", type_name.c_str());
    return false;
  }
  unit->_call_pre_load();
  current_unit_ = unit;
  if (!scanner_->scan_colon() || !scanner_->scan_unit_name() ||
      (current_proxy_ = bind_name(scanner_->value_text, unit)) == nullptr) {
    created_.resize(created_.size() - 1);
    if (!unit->is_owned()) unit->destroy_unowned();
    current_unit_ = nullptr;
    return false;
  }
  if (!current_unit_name_.copy(scanner_->value_text) || !scanner_->scan_open()) return false;
  while (true) {
    if (!scanner_->scan_name()) return false;
    if (scanner_->value_text.empty()) break;
    if (!read_attribute(scanner_->value_text)) return false;
  }
  current_unit_ = nullptr;
  return true;
}

// ---------------------------------------------------------------------------
// Attribute lines

bool unit_load_t::read_attribute(const string& name) {
  const unit_attribute_t* a =
      unit_system_t::get_attribute_descriptor(current_unit_->get_unit_descriptor(), name);
  if (a == nullptr) {
    scanner_->report_position();
    error("[unit] The unit '%s' of type '%s' has no attribute named '%s'.",
          current_unit_name_.c_str(), unit_type_name(), name.c_str());
    return false;
  }
  current_attribute_ = a;
  current_is_array_ = unit_attr_type_is_array(a->type);
  current_index_ = 0xFFFFFFFFu;
  bool count_line = false;
  if (current_is_array_) {
    if (!scanner_->scan_index()) return false;
    count_line = !scanner_->index_given;
    current_index_ = scanner_->index_given ? scanner_->index : 0xFFFFFFFFu;
    if (scanner_->index_given && scanner_->index != 0xFFFFFFFFu) {
      unsigned int size;
      if (!current_unit_->get_size(a, &size)) {
        scanner_->report_position();
        error("[unit] Failed to get the size of array attribute '%s' of unit '%s' (of type '%s').",
              a->name.c_str(), current_unit_name_.c_str(), unit_type_name());
        return false;
      }
      if (scanner_->index != size) {
        scanner_->report_position();
        error("[unit] The values in array attribute '%s' of unit '%s' (of type '%s') must be "
              "specified in order - trying to set the element %u of array of size %u.",
              a->name.c_str(), current_unit_name_.c_str(), unit_type_name(), scanner_->index,
              size);
        return false;
      }
    }
  }
  if (!scanner_->scan_colon()) return false;
  if (count_line) {
    if (!scanner_->scan_unsigned()) return false;
    if (scanner_->unsigned_value > 0xFFFFFFFFull) {
      scanner_->report_position();
      error("[unit] The requested length of the array attribute '%s' of unit '%s' (of type '%s') "
            "is too large.",
            a->name.c_str(), current_unit_name_.c_str(), unit_type_name());
      return false;
    }
    // A count beyond the bytes of the file can never be filled; reserving it
    // would let a short file claim gigabytes.
    unsigned long long count = scanner_->unsigned_value;
    if (count > file_size_) count = file_size_;
    if (!current_unit_->request_capacity(a, static_cast<unsigned int>(count))) {
      scanner_->report_position();
      error("[unit] Failed to set the requested length of the array attribute '%s' of unit '%s' "
            "(of type '%s').",
            a->name.c_str(), current_unit_name_.c_str(), unit_type_name());
      return false;
    }
    return true;
  }
  return read_value(unit_attr_type_element_type(a->type));
}

void unit_load_t::report_domain(const char* value_text) {
  scanner_->report_position();
  error("[unit] The requested value%s of the attribute '%s' of unit '%s' (of type '%s') is out of "
        "the attribute domain.",
        value_text, current_attribute_->name.c_str(), current_unit_name_.c_str(),
        unit_type_name());
}

template <class T>
bool unit_load_t::store(const T& value) {
  const unit_attribute_t* a = current_attribute_;
  bool ok = current_is_array_ ? current_unit_->append_value(a, unit_base_t::END, value)
                              : current_unit_->set_value(a, value);
  if (ok) return true;
  scanner_->report_position();
  if (current_is_array_)
    error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s[%u].",
          current_unit_name_.c_str(), unit_type_name(), a->name.c_str(), current_index_);
  else
    error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s'.",
          current_unit_name_.c_str(), unit_type_name(), a->name.c_str());
  return false;
}

// The domain message shows the value by its type.
template <class T>
bool unit_load_t::store_checked(const T& value) {
  if (current_unit_->check_value(current_attribute_, value) == UCR_OK) return store(value);
  char text[160];
  text[0] = '\0';
  const float* f = nullptr;
  int n = 0;
  if constexpr (std::is_same_v<T, float>) {
    f = &value, n = 1;
  } else if constexpr (std::is_same_v<T, unit_float2_t> || std::is_same_v<T, unit_float3_t> ||
                       std::is_same_v<T, unit_float4_t>) {
    f = &value.x, n = sizeof(T) / sizeof(float);
  } else if constexpr (std::is_same_v<T, quat_t>) {
    std::snprintf(text, sizeof text, " '(%g; %g, %g, %g)'", value.w, value.x, value.y, value.z);
  } else if constexpr (std::is_same_v<T, bool>) {
    std::snprintf(text, sizeof text, " '%s'", value ? "true" : "false");
  }
  if (n == 1) std::snprintf(text, sizeof text, " '%g'", f[0]);
  if (n == 2) std::snprintf(text, sizeof text, " '(%g, %g)'", f[0], f[1]);
  if (n == 3) std::snprintf(text, sizeof text, " '(%g, %g, %g)'", f[0], f[1], f[2]);
  if (n == 4) std::snprintf(text, sizeof text, " '(%g, %g, %g, %g)'", f[0], f[1], f[2], f[3]);
  report_domain(text);
  return false;
}

template <>
bool unit_load_t::store_checked(const string& value) {
  if (current_unit_->check_value(current_attribute_, value) == UCR_OK) return store(value);
  string_dyn_t<> text;
  text.printf(" '%s'", value.c_str());
  report_domain(text.c_str());
  return false;
}

bool unit_load_t::store_integer(unsigned long long bits, bool is_signed) {
  const unit_attribute_t* a = current_attribute_;
  if (current_unit_->check_value(a, bits) != UCR_OK) {
    char text[32];
    if (is_signed)
      std::snprintf(text, sizeof text, " %lld", static_cast<long long>(bits));
    else
      std::snprintf(text, sizeof text, " %llu", bits);
    report_domain(text);
    return false;
  }
  switch (unit_attr_type_element_type(a->type)) {
    case UAT_S32:
    case UAT_S32_ALT:
      return store(static_cast<int>(bits));
    case UAT_S64:
      return store(static_cast<long long>(bits));
    case UAT_U64:
      return store(bits);
    default:
      return store(static_cast<unsigned int>(bits));
  }
}

bool unit_load_t::store_enum() {
  const unit_attribute_t* a = current_attribute_;
  const auto* domain = static_cast<const unit_attr_t<UAT_ENUM>*>(a->domain);
  int value;
  if (scanner_->enum_by_name) {
    if (!unit_base_t::lookup_enum_value(domain, scanner_->value_text, &value)) {
      scanner_->report_position();
      error("[unit] The requested value '%s' is outside the domain of the attribute '%s' of unit "
            "'%s' (of type '%s').",
            scanner_->value_text.c_str(), a->name.c_str(), current_unit_name_.c_str(),
            unit_type_name());
      return false;
    }
    return store(value);
  }
  const long long number = scanner_->integer_value;
  if (number < -2147483648LL || number > 2147483647LL) {
    scanner_->report_position();
    error("[unit] The requested value %lld of the attribute '%s' of unit '%s' (of type '%s') is "
          "too large.",
          number, a->name.c_str(), current_unit_name_.c_str(), unit_type_name());
    return false;
  }
  value = static_cast<int>(number);
  if (unit_base_t::lookup_enum_symbol(domain, value) == nullptr) {
    scanner_->report_position();
    error("[unit] The requested value '%d' is outside the domain of the attribute '%s' of unit "
          "'%s' (of type '%s').",
          value, a->name.c_str(), current_unit_name_.c_str(), unit_type_name());
    return false;
  }
  return store(value);
}

bool unit_load_t::store_pointer() {
  const unit_attribute_t* a = current_attribute_;
  if (scanner_->value_text == "null") return store(static_cast<unit_base_t*>(nullptr));
  const string& written = scanner_->value_text;  // binding scans nothing
  unit_base_t* target = bind_name(written, nullptr);
  if (target == nullptr) return false;
  if (!target->is_proxy() && current_unit_->check_value(a, target) != UCR_OK) {
    string_dyn_t<> text;
    text.printf(" '%s'", written.c_str());
    report_domain(text.c_str());
    return false;
  }
  if (unit_attr_type_element_type(a->type) == UAT_OWNED_UNIT) {
    if (!target->is_proxy()) {
      scanner_->report_position();
      error("[unit] The unit name '%s', referenced in the attribute '%s' of unit '%s' (of type "
            "'%s') is already taken.",
            written.c_str(), a->name.c_str(), current_unit_name_.c_str(), unit_type_name());
      return false;
    }
    if (target->is_owned()) {
      scanner_->report_position();
      error("[unit] The unit '%s', referenced in the attribute '%s' of unit '%s' (of type '%s') "
            "is already owned by something else.",
            written.c_str(), a->name.c_str(), current_unit_name_.c_str(), unit_type_name());
      return false;
    }
    const unsigned int owned = proxy_index(target), owner = proxy_index(current_proxy_);
    if (owned != 0xFFFFFFFFu && owner != 0xFFFFFFFFu) {
      if (owner_root(owner) == owned) {
        scanner_->report_position();
        error("[unit] The unit '%s', referenced in the attribute '%s' of unit '%s' (of type '%s') "
              "would own itself.",
              written.c_str(), a->name.c_str(), current_unit_name_.c_str(), unit_type_name());
        return false;
      }
      if (!store(target)) return false;
      owner_parent_.data()[owned] = owner;
      return true;
    }
  }
  return store(target);
}

bool unit_load_t::store_resource() {
  const unit_attribute_t* a = current_attribute_;
  if (scanner_->value_text == "null") return store(static_cast<unit_base_t*>(nullptr));
  unit_resource_tie_t* tie = unit_resource_tie_t::get_instance();
  if (tie == nullptr) return store(static_cast<unit_base_t*>(nullptr));
  string_dyn_t<> written(scanner_->value_text);
  unit_base_t* resource = tie->load_resource(written, current_unit_, a);
  if (current_unit_->check_value(a, resource) != UCR_OK) {
    string_dyn_t<> text;
    text.printf(" '%s'", written.c_str());
    report_domain(text.c_str());
    tie->unload_resource(resource, current_unit_, a);
    return false;
  }
  if (store(resource)) return true;
  tie->unload_resource(resource, current_unit_, a);
  return false;
}

bool unit_load_t::read_value(unit_attr_type_t scalar) {
  units_scanner_t& s = *scanner_;
  const float* v = s.vector;
  switch (scalar) {
    case UAT_STRING:
    case UAT_TOKEN:
      return s.scan_string() && store_checked<string>(s.value_text);
    case UAT_FLOAT:
      return s.scan_real() && store_checked(s.real_value);
    case UAT_FLOAT2:
      return s.scan_vector2() && store_checked(unit_float2_t{v[0], v[1]});
    case UAT_FLOAT3:
      return s.scan_vector3() && store_checked(unit_float3_t{v[0], v[1], v[2]});
    case UAT_FLOAT4:
      return s.scan_vector4() && store_checked(unit_float4_t{v[0], v[1], v[2], v[3]});
    case UAT_MATRIX: {
      unit_matrix_t m;
      for (int k = 0; k < 4; ++k) {
        if (!s.scan_vector4()) return false;
        for (int j = 0; j < 4; ++j) m.m[k + 4 * j] = v[j];
      }
      return store_checked(m);
    }
    case UAT_QUAT:
      return s.scan_quaternion() && store_checked(quat_t{v[0], v[1], v[2], v[3]});
    case UAT_PLACEMENT: {
      placement_t p;
      if (!s.scan_vector3()) return false;
      p.pos = {v[0], v[1], v[2]};
      if (!s.scan_quaternion()) return false;
      p.rot = {v[0], v[1], v[2], v[3]};
      return store_checked(p);
    }
    case UAT_PLACEMENT_SCALE: {
      placement_scale_t p;
      if (!s.scan_vector3()) return false;
      p.pos = {v[0], v[1], v[2]};
      if (!s.scan_real()) return false;
      p.scale = s.real_value;
      if (!s.scan_quaternion()) return false;
      p.rot = {v[0], v[1], v[2], v[3]};
      return store_checked(p);
    }
    case UAT_PLACEMENT_NONUNIFORM: {
      placement_nonuniform_t p;
      if (!s.scan_vector3()) return false;
      p.pos = {v[0], v[1], v[2]};
      if (!s.scan_vector3()) return false;
      p.scale = {v[0], v[1], v[2]};
      if (!s.scan_quaternion()) return false;
      p.rot = {v[0], v[1], v[2], v[3]};
      return store_checked(p);
    }
    case UAT_PLANE:
    case UAT_SPHERE: {
      if (!s.scan_vector3()) return false;
      vec_t<float, 4> read{v[0], v[1], v[2], 0};
      if (!s.scan_real()) return false;
      read.w = s.real_value;
      if (scalar == UAT_SPHERE)
        return store_checked(sphere_t{{read.x, read.y, read.z}, read.w});
      vec_t<float, 4> n;
      plane_normalize(&n, read);
      return store_checked(plane_t{{n.x, n.y, n.z}, n.w});
    }
    case UAT_AABOX: {
      aabox_t box;
      if (!s.scan_vector3()) return false;
      box.min = {v[0], v[1], v[2]};
      if (!s.scan_vector3()) return false;
      box.max = {v[0], v[1], v[2]};
      return store_checked(box);
    }
    case UAT_S32:
    case UAT_S32_ALT:
    case UAT_S64:
      return s.scan_integer() &&
             store_integer(static_cast<unsigned long long>(s.integer_value), true);
    case UAT_U32:
    case UAT_U32_ALT:
    case UAT_U32_UNCHECKED:
    case UAT_U64:
      return s.scan_unsigned() && store_integer(s.unsigned_value, false);
    case UAT_BOOL:
      return s.scan_boolean() && store_checked(s.boolean_value);
    case UAT_ENUM:
      return s.scan_enum() && store_enum();
    case UAT_OWNED_UNIT:
    case UAT_LINKED_UNIT:
      return s.scan_unit_name() && store_pointer();
    case UAT_RESOURCE_TIE:
      return s.scan_string() && store_resource();
    default:
      s.report_position();
      error("[unit] Unknown unit attribute type.");
      return false;
  }
}

// ---------------------------------------------------------------------------
// Resolution

namespace {

// Calls f(attribute, index) for every element (index END for a scalar) of
// every attribute of `kind` (scalar type) in the unit's type and parents.
template <class F>
void for_each_pointer(unit_base_t* unit, unit_attr_type_t kind, F&& f) {
  for (const unit_descriptor_t* d = unit->get_unit_descriptor(); d != nullptr; d = d->parent) {
    for (const unit_attribute_t* a = d->attributes; a->type != UAT_NONE; ++a) {
      if (unit_attr_type_element_type(a->type) != kind) continue;
      if (!unit_attr_type_is_array(a->type)) {
        f(a, unit_base_t::END);
        continue;
      }
      unsigned int size = 0;
      unit->get_size(a, &size);
      for (unsigned int i = 0; i < size; ++i) f(a, i);
    }
  }
}

}  // namespace

bool unit_load_t::resolve_links() {
  bool ok = true;
  string_dyn_t<> target_name;
  for (unsigned int i = 0; i < proxies_.size(); ++i) {
    auto* proxy = static_cast<unit_proxy_u*>(proxies_.data()[i]);
    if (!proxy->is_alive()) continue;
    unit_base_t* target = proxy->linked.get();
    if (target == nullptr) {
      string_dyn_t<> name;
      proxy->get_name(&name);
      scanner_->report_position();
      warning("[unit] The pointer to '%s' looks like dangling pointer.", name.c_str());
      continue;
    }
    string_dyn_t<> proxy_name;
    proxy->get_name(&proxy_name);
    if (!target->is_anonymous() && !starts_with(proxy_name, NAMELESS))
      proxy->move_name_to(static_cast<unit_t*>(target));
    for_each_pointer(target, UAT_LINKED_UNIT, [&](const unit_attribute_t* a, unsigned int index) {
      unit_base_t* held = nullptr;
      bool read = index == unit_base_t::END ? target->get_value(a, &held)
                                            : target->get_value(a, index, &held);
      if (!read || held == nullptr || !held->is_proxy()) return;
      unit_base_t* resolved = static_cast<unit_proxy_u*>(held)->linked.get();
      if (resolved == nullptr) {
        string_dyn_t<> held_name;
        held->get_name(&held_name);
        target->get_name(&target_name);
        scanner_->report_position();
        error("[unit] The unit '%s' of type '%s' has dangling pointer (to '%s') in the attribute "
              "named '%s'.",
              target_name.c_str(), target->get_unit_descriptor()->class_name->c_str(),
              held_name.c_str(), a->name.c_str());
        ok = false;
        return;
      }
      if (index == unit_base_t::END)
        target->set_value(a, resolved);
      else
        target->set_value(a, index, resolved);
    });
  }
  return ok;
}

bool unit_load_t::resolve_owners() {
  bool ok = true;
  string_dyn_t<> unit_name;
  for (unsigned int i = 0; i < created_.size(); ++i) {
    unit_base_t* unit = created_.data()[i];
    if (!unit->is_alive()) continue;
    for_each_pointer(unit, UAT_OWNED_UNIT, [&](const unit_attribute_t* a, unsigned int index) {
      unit_base_t* held = nullptr;
      bool read = index == unit_base_t::END ? unit->get_value(a, &held)
                                            : unit->get_value(a, index, &held);
      if (!read || held == nullptr || !held->is_proxy()) return;
      auto* proxy = static_cast<unit_proxy_u*>(held);
      unit_base_t* target = proxy->owned.get();
      if (target == nullptr || !target->is_alive()) {
        string_dyn_t<> held_name;
        held->get_name(&held_name);
        unit->get_name(&unit_name);
        scanner_->report_position();
        error("[unit] The unit '%s' of type '%s' has dangling pointer (to '%s') in the attribute "
              "named '%s'.",
              unit_name.c_str(), unit->get_unit_descriptor()->class_name->c_str(),
              held_name.c_str(), a->name.c_str());
        ok = false;
        return;
      }
      // Held across the move, so that the count never touches zero on the way.
      target->add_reference();
      owner_ptr_t<unit_base_t>::ret_t out = proxy->owned.release();
      bool stored = index == unit_base_t::END ? unit->set_value(a, target)
                                              : unit->set_value(a, index, target);
      if (!stored) {
        proxy->owned = std::move(out);
        ok = false;
      }
      target->drop_reference();
    });
  }
  return ok;
}

bool unit_load_t::collect_trees() {
  destroy_trees();
  for (unsigned int i = 0; i < proxies_.size(); ++i) {
    auto* proxy = static_cast<unit_proxy_u*>(proxies_.data()[i]);
    unit_base_t* unit = proxy->owned.get();
    if (!proxy->is_alive() || unit == nullptr || !unit->is_alive()) continue;
    if (!trees_.push_back(nullptr)) {
      error("[unit] Out of memory while scanning units from file '%s'.", file_name_.c_str());
      return false;
    }
    unit->add_reference();
    owner_ptr_t<unit_base_t>::ret_t out = proxy->owned.release();
    unit_base_t::store_owning(&trees_.data()[trees_.size() - 1], unit);
    unit->drop_reference();
  }
  return true;
}

}  // namespace quarn
