#include "qxcore/units/unit_name.h"

#include <cstddef>
#include <cstdio>
#include <strings.h>

#include "qxcore/collections/bmem_manager.h"
#include "qxcore/core/host_memory.h"
#include "qxcore/strings/string_fixed.h"
#include "qxcore/strings/tokens.h"
#include "qxcore/units/name_index.h"
#include "qxcore/units/unit.h"
#include "qxcore/units/unit_name_registry.h"

namespace quarn {

struct unit_name_registry_t {
  unit_name_dir_t* first_root_node = nullptr;
  unit_name_t* first_root_name = nullptr;
  bmem_manager_t nodes;
  name_index_t index;

  static void cut_ring(unit_name_t* first) {
    if (first == nullptr) return;
    unit_name_t* name = first;
    do {
      unit_name_t* next = name->next_;
      name->parent_ = nullptr;
      name->next_ = name->prev_ = nullptr;
      name->token_ = 0;
      name = next;
    } while (name != first);
  }

  // Names of units that outlive the registry are cut loose, so that their
  // destructors find nothing to unlink; the nodes go with the pool.
  ~unit_name_registry_t() {
    unit_name_dir_t* node = first_root_node;
    while (node != nullptr) {
      cut_ring(node->first_name);
      if (node->first_child != nullptr) {
        node = node->first_child;
        continue;
      }
      while (node != nullptr) {
        unit_name_dir_t* head = node->parent != nullptr ? node->parent->first_child : first_root_node;
        if (node->next != head) {
          node = node->next;
          break;
        }
        node = node->parent;
      }
    }
    cut_ring(first_root_name);
  }
};

namespace {

constinit unit_name_registry_t* registry = nullptr;
constexpr unsigned int NODES_PER_BLOCK = 256;

// The name's components, tokenised one by one; runs of dots are skipped.
class name_components_t {
 public:
  explicit name_components_t(const string& name) : at_(name.c_str()) {}

  // False at the end; *valid tells whether the component was a token.
  bool next(unsigned long long* token, bool* valid) {
    while (*at_ == '.') ++at_;
    if (*at_ == '\0') return false;
    const char* start = at_;
    while (*at_ != '\0' && *at_ != '.') ++at_;
    std::size_t length = static_cast<std::size_t>(at_ - start);
    char text[TOKEN_MAX_LENGTH + 2];
    if (length > TOKEN_MAX_LENGTH) {
      *valid = false;
      return true;
    }
    for (std::size_t i = 0; i < length; ++i) text[i] = start[i];
    text[length] = '\0';
    last_is_nameless_ = length == 9 && strncasecmp(start, "_nameless", 9) == 0;
    *valid = string_to_token(token, string_alias_t(text));
    return true;
  }
  bool last_is_nameless() const { return last_is_nameless_; }
  bool at_end() {
    while (*at_ == '.') ++at_;
    return *at_ == '\0';
  }

 private:
  const char* at_;
  bool last_is_nameless_ = false;
};

template <class Node>
void ring_link_first(Node** head, Node* node) {
  if (*head == nullptr) {
    node->next = node->prev = node;
  } else {
    node->next = *head;
    node->prev = (*head)->prev;
    (*head)->prev->next = node;
    (*head)->prev = node;
  }
  *head = node;
}

template <class Node>
void ring_unlink(Node** head, Node* node) {
  if (node->next == node) {
    *head = nullptr;
  } else {
    node->prev->next = node->next;
    node->next->prev = node->prev;
    if (*head == node) *head = node->next;
  }
}

unit_name_dir_t** child_ring(unit_name_dir_t* parent) {
  return parent != nullptr ? &parent->first_child : &registry->first_root_node;
}

// Releases `node` and its ancestors while they hold neither nodes nor names.
void release_empty_nodes(unit_name_dir_t* node) {
  while (node != nullptr && node->first_child == nullptr && node->first_name == nullptr) {
    unit_name_dir_t* parent = node->parent;
    ring_unlink(child_ring(parent), node);
    registry->index.remove(parent, name_index_t::KIND_NODE, node->token);
    registry->nodes.free(node);
    node = parent;
  }
}

unit_name_dir_t* find_or_make_node(unit_name_dir_t* parent, unsigned long long token) {
  void* found = registry->index.find(parent, name_index_t::KIND_NODE, token);
  if (found != nullptr) return static_cast<unit_name_dir_t*>(found);
  auto* node = static_cast<unit_name_dir_t*>(registry->nodes.alloc());
  if (node == nullptr) return nullptr;
  *node = unit_name_dir_t{parent, nullptr, nullptr, token, nullptr, nullptr};
  ring_link_first(child_ring(parent), node);
  registry->index.insert(parent, name_index_t::KIND_NODE, token, node);  // room was reserved
  return node;
}

}  // namespace

bool unit_name_registry_open() {
  if (registry != nullptr) return true;
  registry = host_new<unit_name_registry_t>();
  if (registry == nullptr) return false;
  registry->nodes.set_pars(sizeof(unit_name_dir_t), NODES_PER_BLOCK);
  return true;
}

void unit_name_registry_close() {
  if (registry == nullptr) return;
  host_delete(registry);
  registry = nullptr;
}

// Ring links of unit names use the same helpers as the nodes.
struct unit_name_ring_t {
  static unit_name_t** ring_of(unit_name_dir_t* parent) {
    return parent != nullptr ? &parent->first_name : &registry->first_root_name;
  }
};

bool unit_name_t::is_valid_name(const string& name, bool refuse_nameless) {
  name_components_t components(name);
  unsigned long long token;
  bool valid;
  if (!components.next(&token, &valid) || !valid) return false;
  if (refuse_nameless && components.last_is_nameless()) return false;
  while (components.next(&token, &valid))
    if (!valid) return false;
  return true;
}

unit_t* unit_name_t::owner_unit() const {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
  constexpr std::size_t offset = offsetof(unit_t, name_);
#pragma GCC diagnostic pop
  return reinterpret_cast<unit_t*>(const_cast<char*>(reinterpret_cast<const char*>(this)) - offset);
}

unit_t* unit_name_t::find_unit(const string& name) {
  if (registry == nullptr) return nullptr;
  name_components_t components(name);
  unsigned long long token;
  bool valid;
  if (!components.next(&token, &valid) || !valid) return nullptr;
  unit_name_dir_t* parent = nullptr;
  unsigned long long last = token;
  while (components.next(&token, &valid)) {
    if (!valid) return nullptr;
    parent = static_cast<unit_name_dir_t*>(registry->index.find(parent, name_index_t::KIND_NODE, last));
    if (parent == nullptr) return nullptr;
    last = token;
  }
  auto* found = static_cast<unit_name_t*>(registry->index.find(parent, name_index_t::KIND_NAME, last));
  return found != nullptr ? found->owner_unit() : nullptr;
}

bool unit_name_t::set_name(const string& name, bool refuse_nameless) {
  if (registry == nullptr || !is_valid_name(name, refuse_nameless)) return false;
  if (unit_t* holder = find_unit(name)) return holder == owner_unit();

  // Room for every node and the name, so that nothing below fails halfway.
  unsigned int depth = 0;
  {
    name_components_t components(name);
    unsigned long long token;
    bool valid;
    while (components.next(&token, &valid)) ++depth;
  }
  if (!registry->index.reserve(depth)) return false;

  unlink();
  name_components_t components(name);
  unsigned long long token;
  bool valid;
  components.next(&token, &valid);
  unit_name_dir_t* parent = nullptr;
  while (!components.at_end()) {
    unit_name_dir_t* node = find_or_make_node(parent, token);
    if (node == nullptr) {
      release_empty_nodes(parent);
      return false;
    }
    parent = node;
    components.next(&token, &valid);
  }
  token_ = token;
  parent_ = parent;
  unit_name_t** ring = unit_name_ring_t::ring_of(parent);
  if (*ring == nullptr) {
    next_ = prev_ = this;
  } else {
    next_ = *ring;
    prev_ = (*ring)->prev_;
    (*ring)->prev_->next_ = this;
    (*ring)->prev_ = this;
  }
  *ring = this;
  registry->index.insert(parent, name_index_t::KIND_NAME, token, this);
  return true;
}

void unit_name_t::unlink() {
  if (next_ == nullptr) return;
  if ((token_ & UNIT_NAME_DEAD) == 0)
    registry->index.remove(parent_, name_index_t::KIND_NAME, token_);
  unit_name_t** ring = unit_name_ring_t::ring_of(parent_);
  if (next_ == this) {
    *ring = nullptr;
  } else {
    prev_->next_ = next_;
    next_->prev_ = prev_;
    if (*ring == this) *ring = next_;
  }
  unit_name_dir_t* parent = parent_;
  parent_ = nullptr;
  next_ = prev_ = nullptr;
  token_ = 0;
  release_empty_nodes(parent);
}

void unit_name_t::mark_dead() {
  if (next_ != nullptr && (token_ & UNIT_NAME_DEAD) == 0)
    registry->index.remove(parent_, name_index_t::KIND_NAME, token_);
  token_ |= UNIT_NAME_DEAD;
}

void unit_name_t::take_over(unit_name_t* from) {
  if (from->next_ == nullptr) return;
  unlink();
  unit_name_t** ring = unit_name_ring_t::ring_of(from->parent_);
  token_ = from->token_;
  parent_ = from->parent_;
  if (from->next_ == from) {
    next_ = prev_ = this;
  } else {
    // This name takes from's place in the ring and becomes its first element.
    from->prev_->next_ = from->next_;
    from->next_->prev_ = from->prev_;
    if (*ring == from) *ring = from->next_;
    next_ = *ring;
    prev_ = (*ring)->prev_;
    (*ring)->prev_->next_ = this;
    (*ring)->prev_ = this;
  }
  *ring = this;
  if ((token_ & UNIT_NAME_DEAD) == 0)
    registry->index.replace(parent_, name_index_t::KIND_NAME, token_, this);
  from->parent_ = nullptr;
  from->next_ = from->prev_ = nullptr;
  from->token_ = 0;
}

bool unit_name_t::compose_name(mstring_t* out) const {
  out->clear();
  unsigned int depth = 0;
  for (const unit_name_dir_t* node = parent_; node != nullptr; node = node->parent) ++depth;
  string_fixed_t<TOKEN_MAX_LENGTH + 2> component;
  // Written from the top: each level is found again from this name's parent,
  // which keeps the walk free of a depth limit.
  for (unsigned int level = depth; level > 0; --level) {
    const unit_name_dir_t* node = parent_;
    for (unsigned int up = 1; up < level; ++up) node = node->parent;
    if (!token_to_string(&component, node->token) || !out->append(component) ||
        !out->append(string_alias_t(".")))
      return false;
  }
  return token_to_string(&component, token_) && out->append(component);
}

bool unit_name_t::compose_nameless(mstring_t* out, const unit_base_t* unit) {
  char digits[32];
  int length = std::snprintf(digits, sizeof digits, "%0*llX", static_cast<int>(2 * sizeof(void*)),
                             static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(unit)));
  if (!out->copy(string_alias_t("_nameless"))) return false;
  int group = length % 4 != 0 ? length % 4 : 4;
  char part[6] = ".";
  for (int at = 0; at < length; at += group, group = 4) {
    for (int i = 0; i < group; ++i) part[1 + i] = digits[at + i];
    part[1 + group] = '\0';
    if (!out->append(string_alias_t(part))) return false;
  }
  return true;
}

}  // namespace quarn
