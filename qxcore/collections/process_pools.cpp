#include "qxcore/collections/process_pools.h"

namespace quarn {

namespace {

// Built before (so torn down after) any other static of the library, so a
// static container still holding nodes at unload never outlives its pool.
__attribute__((init_priority(101))) constinit bmem_manager_t chunk_descriptors;
__attribute__((init_priority(101))) constinit bmem_manager_t hash_entries;
__attribute__((init_priority(101))) constinit bmem_manager_t hash_payloads;
__attribute__((init_priority(101))) constinit bmem_manager_t spatialhash_nodes;
__attribute__((init_priority(101))) constinit bmem_manager_t spatialhash_records;

}  // namespace

bmem_manager_t& chunk_descriptor_pool() { return chunk_descriptors; }
bmem_manager_t& hash_entry_pool() { return hash_entries; }
bmem_manager_t& hash_payload_pool() { return hash_payloads; }
bmem_manager_t& spatialhash_node_pool() { return spatialhash_nodes; }
bmem_manager_t& spatialhash_record_pool() { return spatialhash_records; }

unsigned int process_pool_blocks() {
  return chunk_descriptors.block_count() + hash_entries.block_count() +
         hash_payloads.block_count() + spatialhash_nodes.block_count() +
         spatialhash_records.block_count();
}

}  // namespace quarn
