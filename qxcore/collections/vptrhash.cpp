#include "qxcore/collections/vptrhash.h"

#include <cstring>

#include "qxcore/collections/process_pools.h"

namespace quarn {

namespace {
constexpr unsigned int VALUES_PER_BLOCK = 4;

vptrlist_node_t* value_node(const vhash_entry_t* entry) {
  return static_cast<vptrlist_node_t*>(entry->payload);
}
}  // namespace

vptrhash_t::vptrhash_t() { values_.init_mm(VALUES_PER_BLOCK, &hash_payload_pool()); }

vptrhash_t::~vptrhash_t() { clear(); }

void vptrhash_t::put(const void* key, unsigned int length, void* value) {
  unsigned int key_hash;
  if (vdatalist_node_t* existing = find_entry(key, length, &key_hash)) {
    value_node(entry_of(existing))->ptr = value;
    return;
  }
  vdatalist_node_t* e = insert_entry(key, length, key_hash);
  if (e == nullptr) return;
  vptrlist_node_t* node = values_.append(value);
  if (node == nullptr) {
    remove_entry(e);
    return;
  }
  entry_of(e)->payload = node;
}

void* vptrhash_t::find(const void* key, unsigned int length) const {
  vdatalist_node_t* e = find_entry(key, length);
  return e != nullptr ? value_node(entry_of(e))->ptr : nullptr;
}

void* vptrhash_t::remove_key(const void* key, unsigned int length) {
  vdatalist_node_t* e = find_entry(key, length);
  if (e == nullptr) return nullptr;
  void* value = value_node(entry_of(e))->ptr;
  remove_entry(e);
  return value;
}

vdatalist_node_t* vptrhash_t::find_value(const void* value) const {
  for (vdatalist_node_t* e = entries().first(); e != nullptr; e = e->next)
    if (value_node(entry_of(e))->ptr == value) return e;
  return nullptr;
}

bool vptrhash_t::remove_ptr(void* value) {
  vdatalist_node_t* e = find_value(value);
  if (e == nullptr) return false;
  remove_entry(e);
  return true;
}

bool vptrhash_t::ptr2key(void* value, void* key_out, unsigned int* size_inout) {
  vdatalist_node_t* e = find_value(value);
  if (e == nullptr) return false;
  const vhash_entry_t* entry = entry_of(e);
  unsigned int n = *size_inout < entry->key_length ? *size_inout : entry->key_length;
  if (n != 0) std::memcpy(key_out, chunk_space_t::address(entry->key), n);
  *size_inout = n;
  return true;
}

void* vptrhash_t::entry2ptr(const vdatalist_node_t* entry) {
  const vptrlist_node_t* node = value_node(entry_of(entry));
  return node != nullptr ? node->ptr : nullptr;
}

void vptrhash_t::release_payload(vdatalist_node_t* entry) {
  vhash_entry_t* e = entry_of(entry);
  if (e->payload != nullptr) values_.remove_pos(value_node(e));
  e->payload = nullptr;
}

}  // namespace quarn
