// name_index_t: the side index of the name tree. It maps (prefix node, token,
// kind) to the tree node or unit name with that key, so a lookup is one probe
// instead of a walk around a ring of siblings. Open addressing with linear
// probing and backward-shift removal; the slots come from the vector hooks.
// Library-internal.
#pragma once

#include <cstdint>

namespace quarn {

class name_index_t {
 public:
  enum kind_t : unsigned int { KIND_NODE = 0, KIND_NAME = 1 };

  name_index_t() = default;
  ~name_index_t();
  name_index_t(const name_index_t&) = delete;
  name_index_t& operator=(const name_index_t&) = delete;

  void* find(const void* parent, kind_t kind, unsigned long long token) const;
  // Makes room for `more` insertions that cannot fail afterwards.
  bool reserve(unsigned int more);
  // The key must be absent; false only when no room could be had.
  bool insert(const void* parent, kind_t kind, unsigned long long token, void* entry);
  void replace(const void* parent, kind_t kind, unsigned long long token, void* entry);
  void remove(const void* parent, kind_t kind, unsigned long long token);
  unsigned int size() const { return count_; }

 private:
  struct slot_t {
    std::uintptr_t parent_kind;  // parent address with the kind in bit 0
    unsigned long long token;
    void* entry;                 // null: the slot is free
  };

  static std::uintptr_t key_of(const void* parent, kind_t kind) {
    return reinterpret_cast<std::uintptr_t>(parent) | kind;
  }
  std::size_t home_of(std::uintptr_t parent_kind, unsigned long long token) const;
  slot_t* locate(std::uintptr_t parent_kind, unsigned long long token) const;
  bool rehash(std::size_t capacity);

  slot_t* slots_ = nullptr;
  std::size_t capacity_ = 0;  // a power of two, or 0
  unsigned int count_ = 0;
};

}  // namespace quarn
