#include "qxcore/collections/vdatahash.h"

#include "qxcore/core/messages.h"

namespace quarn {

namespace {
vdatalist_node_t* value_node(const vhash_entry_t* entry) {
  return static_cast<vdatalist_node_t*>(entry->payload);
}
}  // namespace

vdatahash_t::~vdatahash_t() { clear(); }

void* vdatahash_t::put(const void* key, unsigned int length) {
  unsigned int key_hash;
  if (vdatalist_node_t* existing = find_entry(key, length, &key_hash))
    return value_node(entry_of(existing))->data();
  if (values_.pool() == nullptr) {
    error("[vdatahash_t] put before the value list's init_mm");
    return nullptr;
  }
  vdatalist_node_t* e = insert_entry(key, length, key_hash);
  if (e == nullptr) return nullptr;
  vdatalist_node_t* node = values_.append();
  if (node == nullptr) {
    remove_entry(e);
    return nullptr;
  }
  entry_of(e)->payload = node;
  return node->data();
}

void* vdatahash_t::find(const void* key, unsigned int length) const {
  vdatalist_node_t* e = find_entry(key, length);
  return e != nullptr ? value_node(entry_of(e))->data() : nullptr;
}

bool vdatahash_t::remove_key(const void* key, unsigned int length) {
  vdatalist_node_t* e = find_entry(key, length);
  if (e == nullptr) return false;
  remove_entry(e);
  return true;
}

void* vdatahash_t::entry2data(const vdatalist_node_t* entry) {
  vdatalist_node_t* node = value_node(entry_of(entry));
  return node != nullptr ? node->data() : nullptr;
}

void vdatahash_t::release_payload(vdatalist_node_t* entry) {
  vhash_entry_t* e = entry_of(entry);
  if (e->payload != nullptr) values_.remove_pos(value_node(e));
  e->payload = nullptr;
}

}  // namespace quarn
