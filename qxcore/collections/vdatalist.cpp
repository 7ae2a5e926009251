#include "qxcore/collections/vdatalist.h"

#include <cstdlib>

#include "qxcore/collections/node_scratch.h"

namespace quarn {

vdatalist_t::~vdatalist_t() { remove_all(); }

void vdatalist_t::init_mm(unsigned int data_size, unsigned int elements_per_block,
                          bmem_manager_t* pool) {
  pool_ = pool;
  if (pool != nullptr) pool->set_pars(sizeof(vdatalist_node_t) + data_size, elements_per_block);
}

vdatalist_node_t* vdatalist_t::new_node() {
  if (pool_ == nullptr) {
    error("[vdatalist_t] insertion before init_mm");
    return nullptr;
  }
  return static_cast<vdatalist_node_t*>(pool_->alloc());
}

vdatalist_node_t* vdatalist_t::insert() { return append(nullptr); }

vdatalist_node_t* vdatalist_t::append() { return insert(nullptr); }

vdatalist_node_t* vdatalist_t::insert(vdatalist_node_t* pos) {
  vdatalist_node_t* node = new_node();
  if (node != nullptr) tinsert(pos, node);
  return node;
}

vdatalist_node_t* vdatalist_t::append(vdatalist_node_t* pos) {
  vdatalist_node_t* node = new_node();
  if (node != nullptr) tappend(pos, node);
  return node;
}

vdatalist_node_t* vdatalist_t::find_data(const void* data) const {
  for (vdatalist_node_t* node = first_; node != nullptr; node = node->next)
    if (node->data() == data) return node;
  return nullptr;
}

void vdatalist_t::remove_first() {
  vdatalist_node_t* node = tremove_first();
  if (node != nullptr) pool_->free(node);
}

void vdatalist_t::remove_last() {
  vdatalist_node_t* node = tremove_last();
  if (node != nullptr) pool_->free(node);
}

void vdatalist_t::remove_pos(vdatalist_node_t* node) {
  if (node == nullptr) return;
  unlink(node);
  pool_->free(node);
}

void vdatalist_t::remove_all() { release_all(); }

void vdatalist_t::tinsert(vdatalist_node_t* node) { link_between(node, nullptr, first_); }

void vdatalist_t::tappend(vdatalist_node_t* node) { link_between(node, last_, nullptr); }

void vdatalist_t::tinsert(vdatalist_node_t* pos, vdatalist_node_t* node) {
  link_between(node, pos != nullptr ? pos->prev : last_, pos);
}

void vdatalist_t::tappend(vdatalist_node_t* pos, vdatalist_node_t* node) {
  link_between(node, pos, pos != nullptr ? pos->next : first_);
}

void vdatalist_t::tremove_pos(vdatalist_node_t* node) {
  if (node != nullptr) unlink(node);
}

vdatalist_node_t* vdatalist_t::tremove_first() {
  return unlink_end(first_, "[vdatalist_t] removal from an empty list");
}

vdatalist_node_t* vdatalist_t::tremove_last() {
  return unlink_end(last_, "[vdatalist_t] removal from an empty list");
}

bool vdatalist_t::same_pool(const vdatalist_t* src) const {
  if (src != nullptr && src->pool_ == pool_) return true;
  error("[vdatalist_t] cannot move nodes between lists of different pools");
  return false;
}

void vdatalist_t::minsert(vdatalist_t* src, vdatalist_node_t* node) {
  if (node == nullptr || !same_pool(src)) return;
  src->tremove_pos(node);
  tinsert(node);
}

void vdatalist_t::mappend(vdatalist_t* src, vdatalist_node_t* node) {
  if (node == nullptr || !same_pool(src)) return;
  src->tremove_pos(node);
  tappend(node);
}

void vdatalist_t::sort(int (*cmp)(const void*, const void*)) {
  if (count_ < 2) return;
  node_scratch_t scratch(count_);
  void** nodes = scratch.slots();
  if (nodes == nullptr) {
    error("[vdatalist_t] cannot allocate the sort's node array (%u nodes)", count_);
    return;
  }
  unsigned int n = count_;
  for (unsigned int i = 0; i < n; ++i) nodes[i] = tremove_first();
  std::qsort(nodes, n, sizeof(void*), cmp);
  for (unsigned int i = 0; i < n; ++i) tappend(static_cast<vdatalist_node_t*>(nodes[i]));
}

}  // namespace quarn
