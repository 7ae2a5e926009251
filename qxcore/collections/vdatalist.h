// vdatalist_t: a doubly-linked list whose nodes carry their payload bytes
// inline, behind two link words, from a shared bmem_manager_t pool. Besides
// the allocating operations, nodes can be unlinked and relinked without
// touching the pool (the t* forms), and moved between lists (the m* forms).
//
//   vdatalist_t list;
//   list.init_mm(sizeof(record_t), 64, &pool);
//   auto* r = static_cast<record_t*>(list.append()->data());
#pragma once

#include "qxcore/collections/intrusive_list_base.h"

namespace quarn {

struct vdatalist_node_t {
  vdatalist_node_t* prev;
  vdatalist_node_t* next;
  // The payload follows the two links, aligned to a pointer.
  void* data() { return this + 1; }
  const void* data() const { return this + 1; }
};

class QX_API vdatalist_t : public intrusive_list_base_t<vdatalist_node_t> {
 public:
  vdatalist_t() = default;
  ~vdatalist_t();  // returns every node still linked to the pool

  // Borrows `pool` for nodes of `data_size` payload bytes and sets its
  // element size (the two links plus the payload rounded up to a pointer).
  void init_mm(unsigned int data_size, unsigned int elements_per_block, bmem_manager_t* pool);

  // New nodes, payload not initialised; null when the pool is unset or the
  // host refuses memory. Positions as for vptrlist_t.
  vdatalist_node_t* insert();                       // at the front
  vdatalist_node_t* append();                       // at the end
  vdatalist_node_t* insert(vdatalist_node_t* pos);  // before pos; null pos: at the end
  vdatalist_node_t* append(vdatalist_node_t* pos);  // after pos; null pos: at the front

  // The node whose payload lies at `data`, or null when it is not in this list.
  vdatalist_node_t* find_data(const void* data) const;

  void remove_first();
  void remove_last();
  void remove_pos(vdatalist_node_t* node);  // node must belong to this list
  void remove_all();

  // Link or unlink a node without allocating or releasing it.
  void tinsert(vdatalist_node_t* node);  // at the front
  void tappend(vdatalist_node_t* node);  // at the end
  void tinsert(vdatalist_node_t* pos, vdatalist_node_t* node);
  void tappend(vdatalist_node_t* pos, vdatalist_node_t* node);
  void tremove_pos(vdatalist_node_t* node);
  vdatalist_node_t* tremove_first();
  vdatalist_node_t* tremove_last();

  // Take one node of `src` (same pool) to the front / end of this list.
  void minsert(vdatalist_t* src, vdatalist_node_t* node);
  void mappend(vdatalist_t* src, vdatalist_node_t* node);

  // Relinks the nodes in sorted order; `cmp` receives pointers to
  // vdatalist_node_t* elements. Not stable.
  void sort(int (*cmp)(const void*, const void*));

 private:
  vdatalist_node_t* new_node();
  bool same_pool(const vdatalist_t* src) const;
};

}  // namespace quarn
