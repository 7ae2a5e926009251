#include "tests/support/counting_hooks.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "qxcore/core/lifecycle.h"

namespace qxtest {

namespace {

struct block_t {
  std::size_t size;
  bool scalar;
};

// Test code is the host here, so the standard containers are fine; they
// allocate through the global heap, never through the hooks they watch.
struct ledger_t {
  std::unordered_map<const void*, block_t> blocks;
  allocation_stats_t stats;
  std::vector<std::size_t (*)()> retained_counters;
  long allowed = -1;         // -1: no refusals
  bool refuse_once = false;  // after the refusal, allow everything again
};

ledger_t& ledger() {
  static ledger_t* instance = new ledger_t;  // outlives every static destructor
  return *instance;
}

void* take(unsigned int size, bool scalar) {
  ledger_t& l = ledger();
  if (l.allowed == 0) {
    ++l.stats.refused;
    if (l.refuse_once) l.allowed = -1;
    return nullptr;
  }
  if (l.allowed > 0) --l.allowed;
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) return nullptr;
  std::memset(p, 0xCD, size);  // the library must not rely on fresh memory being zero
  l.blocks[p] = block_t{size, scalar};
  (scalar ? l.stats.scalar_allocations : l.stats.vector_allocations)++;
  ++l.stats.live;
  l.stats.live_bytes += size;
  return p;
}

void give(void* p, bool scalar) {
  if (p == nullptr) return;
  ledger_t& l = ledger();
  auto it = l.blocks.find(p);
  if (it == l.blocks.end()) {
    ++l.stats.unknown_releases;  // not freed: it may not be ours to free
    return;
  }
  if (it->second.scalar != scalar) ++l.stats.wrong_partner;
  (scalar ? l.stats.scalar_releases : l.stats.vector_releases)++;
  --l.stats.live;
  l.stats.live_bytes -= it->second.size;
  std::memset(p, 0xDD, it->second.size);
  l.blocks.erase(it);
  std::free(p);
}

}  // namespace

void* counting_new(unsigned int size) { return take(size, true); }
void* counting_new_vector(unsigned int size) { return take(size, false); }
void counting_delete(void* p) { give(p, true); }
void counting_delete_vector(void* p) { give(p, false); }

allocation_stats_t allocation_stats() { return ledger().stats; }

bool is_live(const void* p) { return ledger().blocks.count(p) != 0; }
bool is_scalar_block(const void* p) { return is_live(p) && ledger().blocks.at(p).scalar; }
std::size_t block_size(const void* p) { return is_live(p) ? ledger().blocks.at(p).size : 0; }

void install_counting_hooks(unsigned int cpu_flags) {
  quarn::qxcore_init(counting_new, counting_new_vector, counting_delete, counting_delete_vector,
                     cpu_flags);
}

void add_retained_counter(std::size_t (*count_blocks)()) {
  ledger().retained_counters.push_back(count_blocks);
}

std::size_t retained_blocks() {
  std::size_t total = 0;
  for (auto count : ledger().retained_counters) total += count();
  return total;
}

allocation_failure_scope_t::allocation_failure_scope_t(std::size_t allowed, bool only_the_next) {
  ledger().allowed = static_cast<long>(allowed);
  ledger().refuse_once = only_the_next;
}

allocation_failure_scope_t::~allocation_failure_scope_t() {
  ledger().allowed = -1;
  ledger().refuse_once = false;
}

}  // namespace qxtest
