// Internal: the link bookkeeping shared by vptrlist_t and vdatalist_t. A list
// holds its tail, its head, the pool its nodes come from and a count; nodes
// carry prev/next links and are handed out as handles.
#pragma once

#include "qxcore/collections/bmem_manager.h"
#include "qxcore/collections/list_iteration.h"
#include "qxcore/core/messages.h"

namespace quarn {

template <class Node>
class intrusive_list_base_t {
 public:
  using iterator = node_iterator_t<Node>;

  Node* first() const { return first_; }
  Node* last() const { return last_; }
  bmem_manager_t* pool() const { return pool_; }
  unsigned int size() const { return count_; }
  bool empty() const { return count_ == 0; }
  iterator begin() const { return iterator(first_); }
  iterator end() const { return iterator(nullptr); }

  // Nothing when the node is already there; otherwise unlink and relink.
  void move_to_start(Node* node) {
    if (node == nullptr || node == first_) return;
    unlink(node);
    link_between(node, nullptr, first_);
  }
  void move_to_end(Node* node) {
    if (node == nullptr || node == last_) return;
    unlink(node);
    link_between(node, last_, nullptr);
  }

 protected:
  intrusive_list_base_t() = default;
  intrusive_list_base_t(const intrusive_list_base_t&) = delete;
  intrusive_list_base_t& operator=(const intrusive_list_base_t&) = delete;

  // Links `node` between two neighbours; a null neighbour is the list's end.
  void link_between(Node* node, Node* before, Node* after) {
    node->prev = before;
    node->next = after;
    (before != nullptr ? before->next : first_) = node;
    (after != nullptr ? after->prev : last_) = node;
    ++count_;
  }

  // Returns every node to the pool and empties the list.
  void release_all() {
    for (Node* node = first_; node != nullptr;) {
      Node* next = node->next;
      pool_->free(node);
      node = next;
    }
    first_ = last_ = nullptr;
    count_ = 0;
  }

  // Unlinks the first or last node; reports and answers null on an empty list.
  Node* unlink_end(Node* node, const char* message) {
    if (node == nullptr)
      error("%s", message);
    else
      unlink(node);
    return node;
  }

  void unlink(Node* node) {
    (node->prev != nullptr ? node->prev->next : first_) = node->next;
    (node->next != nullptr ? node->next->prev : last_) = node->prev;
    node->prev = node->next = nullptr;
    --count_;
  }

  // Splicing moves nodes into this list for good; nodes of another pool would
  // later be returned to the wrong one.
  bool can_splice(const intrusive_list_base_t* src, const char* list_name) const {
    if (src == nullptr || src == this || src->count_ == 0) return false;
    if (src->pool_ != pool_) {
      error("[%s] cannot move nodes between lists of different pools", list_name);
      return false;
    }
    return true;
  }

  void splice_front(intrusive_list_base_t* src) {
    src->last_->next = first_;
    (first_ != nullptr ? first_->prev : last_) = src->last_;
    first_ = src->first_;
    take_count(src);
  }

  void splice_back(intrusive_list_base_t* src) {
    src->first_->prev = last_;
    (last_ != nullptr ? last_->next : first_) = src->first_;
    last_ = src->last_;
    take_count(src);
  }

  Node* last_ = nullptr;  // the tail is kept before the head
  Node* first_ = nullptr;
  bmem_manager_t* pool_ = nullptr;
  unsigned int count_ = 0;

 private:
  void take_count(intrusive_list_base_t* src) {
    count_ += src->count_;
    src->first_ = src->last_ = nullptr;
    src->count_ = 0;
  }
};

}  // namespace quarn
