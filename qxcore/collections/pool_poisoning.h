// Internal: under AddressSanitizer, free pool elements are poisoned, so a use
// after release to a pool is caught just like a use after free on the heap.
// The link word of a free element is written before poisoning and read after
// unpoisoning. Without the sanitizer these compile to nothing.
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define QXCORE_POOL_POISONING 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QXCORE_POOL_POISONING 1
#endif
#endif

#ifdef QXCORE_POOL_POISONING
#include <sanitizer/asan_interface.h>
#endif

namespace quarn {

inline void poison_pool_memory(const void* p, std::size_t bytes) {
#ifdef QXCORE_POOL_POISONING
  ASAN_POISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}

inline void unpoison_pool_memory(const void* p, std::size_t bytes) {
#ifdef QXCORE_POOL_POISONING
  ASAN_UNPOISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}

}  // namespace quarn
