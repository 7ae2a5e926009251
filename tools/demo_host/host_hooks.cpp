#include "tools/demo_host/host_hooks.h"

#include <cstdlib>

namespace demo {

namespace {
hook_counts_t counts{};
}

void* host_new(unsigned int size) {
  ++counts.scalar_outstanding;
  ++counts.allocations;
  return std::malloc(size);
}

void* host_new_vector(unsigned int size) {
  ++counts.vector_outstanding;
  ++counts.allocations;
  return std::malloc(size);
}

void host_delete(void* p) {
  if (p == nullptr) return;
  --counts.scalar_outstanding;
  std::free(p);
}

void host_delete_vector(void* p) {
  if (p == nullptr) return;
  --counts.vector_outstanding;
  std::free(p);
}

hook_counts_t hook_counts() { return counts; }

}  // namespace demo
