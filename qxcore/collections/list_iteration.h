// Forward iteration over the intrusive lists: walks the `next` links and
// yields the nodes themselves, so a loop body can hand a node to the list's
// O(1) operations.
#pragma once

#include <cstddef>
#include <iterator>

namespace quarn {

template <class Node>
class node_iterator_t {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = Node*;
  using difference_type = std::ptrdiff_t;
  using pointer = Node* const*;
  using reference = Node*;

  node_iterator_t() = default;
  explicit node_iterator_t(Node* node) : node_(node) {}
  Node* operator*() const { return node_; }
  node_iterator_t& operator++() {
    node_ = node_->next;
    return *this;
  }
  bool operator==(const node_iterator_t& other) const { return node_ == other.node_; }
  bool operator!=(const node_iterator_t& other) const { return node_ != other.node_; }

 private:
  Node* node_ = nullptr;
};

}  // namespace quarn
