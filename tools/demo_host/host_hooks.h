// The demo host's own allocation hooks: plain malloc/free that count what is
// outstanding on each pair, the way an engine would track its subsystems.
#pragma once

#include <cstddef>

namespace demo {

void* host_new(unsigned int size);
void* host_new_vector(unsigned int size);
void host_delete(void* p);
void host_delete_vector(void* p);

struct hook_counts_t {
  std::size_t scalar_outstanding;
  std::size_t vector_outstanding;
  std::size_t allocations;  // since start
};
hook_counts_t hook_counts();

}  // namespace demo
