// list_t<T>: a ring of nodes around a sentinel, holding T values. Nodes come
// from the list's own allocator, 1024 to a block from the vector hook, and
// are reused after removal; the blocks go back to the host when the list is
// destroyed. The file system hands out directory listings in this type.
//
//   list_t<int> numbers;
//   numbers.push_back(3);
//   for (int n : numbers) total += n;
#pragma once

#include <cstddef>
#include <iterator>
#include <new>
#include <utility>

#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"

namespace quarn {

template <class T>
class list_t : public host_allocated_t {
  struct link_t {
    link_t* next;
    link_t* prev;
  };
  struct node_t : link_t {
    T value;
  };

 public:
  static constexpr unsigned int NODES_PER_BLOCK = 1024;

  class iterator {
   public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = T*;
    using reference = T&;

    iterator() = default;
    T& operator*() const { return static_cast<node_t*>(link_)->value; }
    T* operator->() const { return &static_cast<node_t*>(link_)->value; }
    iterator& operator++() {
      link_ = link_->next;
      return *this;
    }
    iterator& operator--() {
      link_ = link_->prev;
      return *this;
    }
    bool operator==(const iterator& other) const { return link_ == other.link_; }
    bool operator!=(const iterator& other) const { return link_ != other.link_; }

   private:
    friend class list_t;
    explicit iterator(link_t* link) : link_(link) {}
    link_t* link_ = nullptr;
  };

  list_t() { sentinel_.next = sentinel_.prev = &sentinel_; }
  virtual ~list_t();
  list_t(const list_t&) = delete;
  list_t& operator=(const list_t&) = delete;

  unsigned int size() const { return count_; }
  bool empty() const { return count_ == 0; }
  iterator begin() { return iterator(sentinel_.next); }
  iterator end() { return iterator(&sentinel_); }
  T& front() { return *begin(); }  // the list must not be empty
  T& back() { return *iterator(sentinel_.prev); }

  // Inserts before `pos`; answers the new element's position, or end() when
  // the host refuses a block of nodes.
  template <class... Args>
  iterator emplace(iterator pos, Args&&... args);
  iterator insert(iterator pos, const T& value) { return emplace(pos, value); }
  bool push_back(const T& value) { return insert(end(), value) != end(); }
  bool push_front(const T& value) { return insert(begin(), value) != end(); }

  iterator erase(iterator pos);  // answers the position after the removed element
  void clear();

 private:
  node_t* take_node();

  unsigned int count_ = 0;
  link_t sentinel_;
  link_t* free_nodes_ = nullptr;  // released and never-used nodes, linked through `next`
  void* blocks_ = nullptr;        // each block: first node, next block, then the nodes
};

template <class T>
list_t<T>::~list_t() {
  clear();
  while (blocks_ != nullptr) {
    void* next = static_cast<void**>(blocks_)[1];
    host_free_vector(blocks_);
    blocks_ = next;
  }
}

template <class T>
typename list_t<T>::node_t* list_t<T>::take_node() {
  if (free_nodes_ == nullptr) {
    // A two-word header, padded so the nodes keep their alignment.
    constexpr std::size_t header =
        (2 * sizeof(void*) + alignof(node_t) - 1) / alignof(node_t) * alignof(node_t);
    char* block = static_cast<char*>(host_alloc_vector(header + sizeof(node_t) * NODES_PER_BLOCK));
    if (block == nullptr) {
      error("[list_t] cannot allocate a block of %u list nodes", NODES_PER_BLOCK);
      return nullptr;
    }
    auto* nodes = reinterpret_cast<node_t*>(block + header);
    static_cast<void**>(static_cast<void*>(block))[0] = nodes;
    static_cast<void**>(static_cast<void*>(block))[1] = blocks_;
    blocks_ = block;
    for (unsigned int i = 0; i < NODES_PER_BLOCK; ++i)
      nodes[i].next = i + 1 < NODES_PER_BLOCK ? &nodes[i + 1] : nullptr;
    free_nodes_ = nodes;
  }
  auto* node = static_cast<node_t*>(free_nodes_);
  free_nodes_ = node->next;
  return node;
}

template <class T>
template <class... Args>
typename list_t<T>::iterator list_t<T>::emplace(iterator pos, Args&&... args) {
  node_t* node = take_node();
  if (node == nullptr) return end();
  ::new (static_cast<void*>(&node->value)) T(std::forward<Args>(args)...);
  link_t* after = pos.link_;
  node->prev = after->prev;
  node->next = after;
  after->prev->next = node;
  after->prev = node;
  ++count_;
  return iterator(node);
}

template <class T>
typename list_t<T>::iterator list_t<T>::erase(iterator pos) {
  link_t* link = pos.link_;
  if (link == &sentinel_ || link == nullptr) return end();
  link_t* next = link->next;
  static_cast<node_t*>(link)->value.~T();
  link->prev->next = next;
  next->prev = link->prev;
  link->next = free_nodes_;
  free_nodes_ = link;
  --count_;
  return iterator(next);
}

template <class T>
void list_t<T>::clear() {
  while (count_ != 0) erase(begin());
}

}  // namespace quarn
