// Counting allocation hooks for the test suites. Every test executable runs
// on them (see test_main.cpp): a test fails when it leaks, releases memory
// through the wrong partner hook, or releases memory that was never given.
#pragma once

#include <cstddef>

namespace qxtest {

struct allocation_stats_t {
  std::size_t scalar_allocations = 0;  // qxcore_system_new calls that succeeded
  std::size_t vector_allocations = 0;  // qxcore_system_new_vector calls that succeeded
  std::size_t scalar_releases = 0;
  std::size_t vector_releases = 0;
  std::size_t live = 0;  // blocks not yet released
  std::size_t live_bytes = 0;
  std::size_t wrong_partner = 0;     // released through the other pair's hook
  std::size_t unknown_releases = 0;  // released but never allocated (or twice)
  std::size_t refused = 0;           // allocations failed on purpose
};

void* counting_new(unsigned int size);
void* counting_new_vector(unsigned int size);
void counting_delete(void* p);
void counting_delete_vector(void* p);

allocation_stats_t allocation_stats();

// Whether `p` is a live block from the scalar (true) or vector (false) hook;
// false for unknown pointers too, so ask is_live first.
bool is_live(const void* p);
bool is_scalar_block(const void* p);
std::size_t block_size(const void* p);

// Calls qxcore_init with the counting hooks.
void install_counting_hooks(unsigned int cpu_flags = 0x40000002);

// Blocks that process-wide pools keep until unload on purpose; the leak check
// discounts what these counters report.
void add_retained_counter(std::size_t (*count_blocks)());
std::size_t retained_blocks();

// While alive, lets `allowed` more allocations succeed and refuses the rest
// (only the next one, with only_the_next).
class allocation_failure_scope_t {
 public:
  explicit allocation_failure_scope_t(std::size_t allowed, bool only_the_next = false);
  ~allocation_failure_scope_t();
  allocation_failure_scope_t(const allocation_failure_scope_t&) = delete;
  allocation_failure_scope_t& operator=(const allocation_failure_scope_t&) = delete;
};

}  // namespace qxtest
