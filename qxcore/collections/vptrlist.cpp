#include "qxcore/collections/vptrlist.h"

#include <cstdlib>

#include "qxcore/collections/node_scratch.h"

namespace quarn {

vptrlist_t::~vptrlist_t() { remove_all(); }

void vptrlist_t::init_mm(unsigned int elements_per_block, bmem_manager_t* pool) {
  pool_ = pool;
  if (pool != nullptr) pool->set_pars(sizeof(vptrlist_node_t), elements_per_block);
}

vptrlist_node_t* vptrlist_t::new_node(void* p) {
  if (pool_ == nullptr) {
    error("[vptrlist_t] insertion before init_mm");
    return nullptr;
  }
  auto* node = static_cast<vptrlist_node_t*>(pool_->alloc());
  if (node != nullptr) node->ptr = p;
  return node;
}

vptrlist_node_t* vptrlist_t::insert(void* p) { return append(nullptr, p); }

vptrlist_node_t* vptrlist_t::append(void* p) { return insert(nullptr, p); }

vptrlist_node_t* vptrlist_t::insert(vptrlist_node_t* pos, void* p) {
  vptrlist_node_t* node = new_node(p);
  if (node != nullptr) link_between(node, pos != nullptr ? pos->prev : last_, pos);
  return node;
}

vptrlist_node_t* vptrlist_t::append(vptrlist_node_t* pos, void* p) {
  vptrlist_node_t* node = new_node(p);
  if (node != nullptr) link_between(node, pos, pos != nullptr ? pos->next : first_);
  return node;
}

namespace {
void* release_node(bmem_manager_t* pool, vptrlist_node_t* node) {
  if (node == nullptr) return nullptr;
  void* payload = node->ptr;
  pool->free(node);
  return payload;
}
}  // namespace

void* vptrlist_t::remove_first() {
  return release_node(pool_, unlink_end(first_, "[vptrlist_t] remove_first on an empty list"));
}

void* vptrlist_t::remove_last() {
  return release_node(pool_, unlink_end(last_, "[vptrlist_t] remove_last on an empty list"));
}

void* vptrlist_t::remove_pos(vptrlist_node_t* node) {
  if (node != nullptr) unlink(node);
  return release_node(pool_, node);
}

void vptrlist_t::remove_all() { release_all(); }

vptrlist_node_t* vptrlist_t::find_ptr(const void* p, vptrlist_node_t* from) const {
  for (vptrlist_node_t* node = from != nullptr ? from : first_; node != nullptr; node = node->next)
    if (node->ptr == p) return node;
  return nullptr;
}

void vptrlist_t::minsert_all(vptrlist_t* src) {
  if (can_splice(src, "vptrlist_t")) splice_front(src);
}

void vptrlist_t::mappend_all(vptrlist_t* src) {
  if (can_splice(src, "vptrlist_t")) splice_back(src);
}

void vptrlist_t::sort(int (*cmp)(const void*, const void*)) {
  if (count_ < 2) return;
  node_scratch_t scratch(count_);
  void** nodes = scratch.slots();
  if (nodes == nullptr) {
    error("[vptrlist_t] cannot allocate the sort's node array (%u nodes)", count_);
    return;
  }
  unsigned int i = 0;
  for (vptrlist_node_t* node = first_; node != nullptr; node = node->next) nodes[i++] = node;
  std::qsort(nodes, count_, sizeof(void*), cmp);
  // The nodes keep their places: the sorted array is turned into the sorted
  // payloads (all reads before any write), which then go back in list order.
  for (i = 0; i < count_; ++i) nodes[i] = static_cast<vptrlist_node_t*>(nodes[i])->ptr;
  i = 0;
  for (vptrlist_node_t* node = first_; node != nullptr; node = node->next) node->ptr = nodes[i++];
}

}  // namespace quarn
