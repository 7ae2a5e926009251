// vptrlist_t: a doubly-linked list of `void*` payloads whose nodes come from a
// shared bmem_manager_t pool. Nodes are handles: keep one to remove or move
// its payload in O(1). Whole lists splice in O(1).
//
//   vptrlist_t list;
//   list.init_mm(64, &pool);
//   vptrlist_node_t* node = list.append(texture);
//   for (vptrlist_node_t* n : list) use(n->ptr);
#pragma once

#include "qxcore/collections/intrusive_list_base.h"

namespace quarn {

struct vptrlist_node_t {
  vptrlist_node_t* prev;
  vptrlist_node_t* next;
  void* ptr;  // the payload
};

class QX_API vptrlist_t : public intrusive_list_base_t<vptrlist_node_t> {
 public:
  vptrlist_t() = default;
  ~vptrlist_t();  // returns every node to the pool

  // Borrows `pool` for the nodes and sets its element size.
  void init_mm(unsigned int elements_per_block, bmem_manager_t* pool);

  // Each inserting call answers the new node, or null when the pool is unset
  // or the host refuses memory.
  vptrlist_node_t* insert(void* p);                        // at the front
  vptrlist_node_t* append(void* p);                        // at the end
  vptrlist_node_t* insert(vptrlist_node_t* pos, void* p);  // before pos; null pos: at the end
  vptrlist_node_t* append(vptrlist_node_t* pos, void* p);  // after pos; null pos: at the front

  void* remove_first();                     // the removed payload; null on an empty list
  void* remove_last();
  void* remove_pos(vptrlist_node_t* node);  // node must belong to this list
  void remove_all();

  // The first node from `from` (the first node when null) whose payload is p.
  vptrlist_node_t* find_ptr(const void* p, vptrlist_node_t* from = nullptr) const;

  // Moves every node of `src` before the first / after the last node of this
  // list in O(1); `src` ends empty. Both lists must share one pool.
  void minsert_all(vptrlist_t* src);
  void mappend_all(vptrlist_t* src);

  // Sorts the payloads (the nodes stay where they are); `cmp` receives
  // pointers to vptrlist_node_t* elements. Not stable.
  void sort(int (*cmp)(const void*, const void*));

 private:
  vptrlist_node_t* new_node(void* p);
};

}  // namespace quarn
