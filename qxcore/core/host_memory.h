// The library's only way to take heap memory: the host's allocation hooks.
//
// Single objects use the scalar pair (host_alloc/host_free, host_new/host_delete),
// buffers and element arrays the vector pair (host_alloc_vector/host_free_vector).
// Memory is given back only through the partner of the hook that gave it.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "qxcore/core/lifecycle.h"

namespace quarn {

// The hooks take 32-bit sizes; a larger request, or one made before
// qxcore_init, is answered with null instead of a truncated block.
inline void* host_alloc(std::size_t size) {
  if (qxcore_system_new == nullptr || size > 0xFFFFFFFFu) return nullptr;
  return qxcore_system_new(static_cast<unsigned int>(size));
}

inline void host_free(void* p) {
  if (p != nullptr) qxcore_system_delete(p);
}

inline void* host_alloc_vector(std::size_t size) {
  if (qxcore_system_new_vector == nullptr || size > 0xFFFFFFFFu) return nullptr;
  return qxcore_system_new_vector(static_cast<unsigned int>(size));
}

inline void host_free_vector(void* p) {
  if (p != nullptr) qxcore_system_delete_vector(p);
}

// Constructs a T in memory from the scalar hook; null when the hook fails.
template <class T, class... Args>
T* host_new(Args&&... args) {
  void* p = host_alloc(sizeof(T));
  return p != nullptr ? ::new (p) T(std::forward<Args>(args)...) : nullptr;
}

// Destroys an object made by host_new (through its virtual destructor where
// it has one) and returns its memory to the scalar hook.
template <class T>
void host_delete(T* p) {
  if (p == nullptr) return;
  void* start;
  if constexpr (std::is_polymorphic_v<T>)
    start = dynamic_cast<void*>(p);
  else
    start = p;
  p->~T();
  host_free(start);
}

// Base for library-owned single objects: `new` and `delete` on the class go
// through the scalar hooks. Classes that hosts create with their own `new`
// (log sinks) must not derive from it, or the host's delete would cross pairs.
struct host_allocated_t {
  static void* operator new(std::size_t size) noexcept { return host_alloc(size); }
  static void operator delete(void* p) noexcept { host_free(p); }
};

}  // namespace quarn
