// The process-wide block pools that containers share. They are built empty
// when the library loads (no allocation), take their element size from their
// first user, and give their blocks back to the host when the library is
// unloaded, after every other static object of the library.
#pragma once

#include "qxcore/collections/bmem_manager.h"

namespace quarn {

QX_API bmem_manager_t& chunk_descriptor_pool();    // chunk_space_t descriptors, 16 per block
QX_API bmem_manager_t& hash_entry_pool();          // hash-table entries, 4 per block
QX_API bmem_manager_t& hash_payload_pool();        // vptrhash_t value nodes, 4 per block
QX_API bmem_manager_t& spatialhash_node_pool();    // spatialhash_t cell nodes, 16 per block
QX_API bmem_manager_t& spatialhash_record_pool();  // spatialhash_t records, 16 per block

// Blocks held by all process-wide pools together: memory that stays with the
// library until unload by design (hosts and tests discount it from leak counts).
QX_API unsigned int process_pool_blocks();

}  // namespace quarn
