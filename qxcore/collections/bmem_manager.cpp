#include "qxcore/collections/bmem_manager.h"

#include <cstddef>

#include "qxcore/collections/pool_poisoning.h"
#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"

namespace quarn {

namespace {

constexpr unsigned int WORD = sizeof(void*);

void*& link_of(void* p) { return *static_cast<void**>(p); }

}  // namespace

bmem_manager_t::~bmem_manager_t() {
  void* block = blocks_;
  while (block != nullptr) {
    void* previous = link_of(block);
    std::size_t bytes = WORD + static_cast<std::size_t>(element_size_) * elements_per_block_;
    unpoison_pool_memory(block, bytes);  // the host may write into what it gets back
    host_free_vector(block);
    block = previous;
  }
  blocks_ = nullptr;
  free_ = nullptr;
}

void bmem_manager_t::set_pars(unsigned int element_size, unsigned int elements_per_block) {
  unsigned int size = element_size < WORD ? WORD : element_size;
  element_size_ = (size + WORD - 1) / WORD * WORD;
  elements_per_block_ = elements_per_block == 0 ? 1 : elements_per_block;
}

void* bmem_manager_t::alloc() {
  if (free_ == nullptr) {
    if (element_size_ == 0) {
      error("[bmem_manager_t] alloc before set_pars");
      return nullptr;
    }
    std::size_t bytes = WORD + static_cast<std::size_t>(element_size_) * elements_per_block_;
    char* block = static_cast<char*>(host_alloc_vector(bytes));
    if (block == nullptr) return nullptr;
    link_of(block) = blocks_;
    blocks_ = block;
    // Thread the elements in address order, so a fresh block hands them out
    // front to back.
    char* first = block + WORD;
    for (unsigned int i = 0; i + 1 < elements_per_block_; ++i)
      link_of(first + static_cast<std::size_t>(i) * element_size_) = first + static_cast<std::size_t>(i + 1) * element_size_;
    link_of(first + static_cast<std::size_t>(elements_per_block_ - 1) * element_size_) = nullptr;
    free_ = first;
    poison_pool_memory(first, bytes - WORD);
  }
  void* element = free_;
  unpoison_pool_memory(element, element_size_);
  free_ = link_of(element);
  return element;
}

void bmem_manager_t::free(void* p) {
  if (p == nullptr) return;
  link_of(p) = free_;
  free_ = p;
  poison_pool_memory(p, element_size_);
}

unsigned int bmem_manager_t::block_count() const {
  unsigned int count = 0;
  for (void* block = blocks_; block != nullptr; block = link_of(block)) ++count;
  return count;
}

}  // namespace quarn
