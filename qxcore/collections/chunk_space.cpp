#include "qxcore/collections/chunk_space.h"

#include <cmath>
#include <cstring>

#include "qxcore/collections/free_chunk_index.h"
#include "qxcore/collections/process_pools.h"
#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"

namespace quarn {

namespace {

constexpr unsigned int FREE_FLAG = 1;
constexpr unsigned long long LARGEST_AREA = 0xFFFFFFFCull;
// Free chains up to this length are walked; longer ones get an index.
constexpr unsigned int SHORT_CHAIN = 8;

chunk_t* chunk_of(vdatalist_node_t* node) { return static_cast<chunk_t*>(node->data()); }

unsigned long long round_up_4(unsigned long long n) { return (n + 3) & ~3ull; }

// The free chain and the used chain are doubly linked through chain_prev/next.
void chain_push_front(vdatalist_node_t** head, vdatalist_node_t* node) {
  chunk_t* c = chunk_of(node);
  c->chain_prev = nullptr;
  c->chain_next = *head;
  if (*head != nullptr) chunk_of(*head)->chain_prev = node;
  *head = node;
}

void chain_unlink(vdatalist_node_t** head, vdatalist_node_t* node) {
  chunk_t* c = chunk_of(node);
  if (c->chain_prev != nullptr)
    chunk_of(c->chain_prev)->chain_next = c->chain_next;
  else
    *head = c->chain_next;
  if (c->chain_next != nullptr) chunk_of(c->chain_next)->chain_prev = c->chain_prev;
  c->chain_prev = c->chain_next = nullptr;
}

}  // namespace

chunk_space_t::chunk_space_t(unsigned int initial_size) {
  chunks_.init_mm(sizeof(chunk_t), 16, &chunk_descriptor_pool());
  if (initial_size != 0) {
    rebuild(initial_size);
    release_pending();
  }
}

chunk_space_t::~chunk_space_t() {
  host_delete(free_index_);
  release_pending();
  host_free_vector(buffer_);
  chunks_.remove_all();
}

void chunk_space_t::release_pending() {
  host_free_vector(pending_);
  pending_ = nullptr;
}

bool chunk_space_t::rebuild(unsigned long long new_size) {
  unsigned long long rounded = round_up_4(new_size);
  char* area = nullptr;
  if (rounded != 0) {
    if (rounded <= LARGEST_AREA) area = static_cast<char*>(host_alloc_vector(rounded));
    if (area == nullptr) {
      error("[chunk_space] cannot allocate enough memory (%llu)", rounded);
      return false;
    }
  }
  for (vdatalist_node_t* node = free_first_; node != nullptr;) {
    vdatalist_node_t* next = chunk_of(node)->chain_next;
    chunks_.remove_pos(node);
    node = next;
  }
  free_first_ = nullptr;
  free_count_ = 0;
  if (free_index_ != nullptr) free_index_->reset();

  // Newest first: after a rebuild the chunks lie in used-chain order.
  char* at = area;
  for (vdatalist_node_t* node = used_first_; node != nullptr; node = chunk_of(node)->chain_next) {
    chunk_t* c = chunk_of(node);
    unsigned int bytes = c->size_and_flag;
    if (bytes != 0) std::memcpy(at, c->address, bytes);
    c->address = at;
    at += bytes;
    chunks_.move_to_end(node);
  }
  unsigned long long used = static_cast<unsigned long long>(at - area);
  free_bytes_ = 0;
  if (used < rounded) {
    vdatalist_node_t* rest = chunks_.append();
    if (rest != nullptr) {
      chunk_t* c = chunk_of(rest);
      c->size_and_flag = static_cast<unsigned int>(rounded - used) | FREE_FLAG;
      c->address = at;
      chain_push_front(&free_first_, rest);
      if (free_index_ != nullptr) free_index_->push_front(rest);
      free_count_ = 1;
      free_bytes_ = static_cast<unsigned int>(rounded - used);
    } else {
      rounded = used;  // no descriptor for the rest: the area ends at the live bytes
    }
  }
  release_pending();
  pending_ = buffer_;
  buffer_ = area;
  size_ = static_cast<unsigned int>(rounded);
  return true;
}

// The first chunk along the free chain that holds n bytes. A short chain is
// walked; a long one is searched through the index, which finds the same chunk.
vdatalist_node_t* chunk_space_t::first_fit(unsigned int n) {
  if (free_bytes_ < n) return nullptr;
  if (free_count_ > SHORT_CHAIN) {
    if (free_index_ == nullptr) free_index_ = host_new<free_chunk_index_t>();
    if (free_index_ != nullptr && !free_index_->active())
      free_index_->build(free_first_, free_count_);
  }
  if (free_index_ != nullptr && free_index_->active()) return free_index_->first_fit(n);
  for (vdatalist_node_t* node = free_first_; node != nullptr; node = chunk_of(node)->chain_next)
    if (size(node) >= n) return node;
  return nullptr;
}

vdatalist_node_t* chunk_space_t::allocate(unsigned int request) {
  unsigned long long rounded = round_up_4(request);
  if (rounded > LARGEST_AREA) {
    error("[chunk_space] cannot allocate enough memory (%llu)", rounded);
    return nullptr;
  }
  unsigned int n = static_cast<unsigned int>(rounded);

  vdatalist_node_t* found = first_fit(n);
  if (found == nullptr) {
    double wanted = (static_cast<double>(size_) - free_bytes_ + n) * 1.25;
    if (!rebuild(static_cast<unsigned long long>(std::llround(wanted)))) return nullptr;
    found = free_first_;
    if (found == nullptr && n == 0) {
      // An empty area has no free chunk to take 0 bytes from: the chunk
      // starts where the area ends.
      found = chunks_.append();
      if (found == nullptr) return nullptr;
      chunk_of(found)->size_and_flag = FREE_FLAG;
      chunk_of(found)->address = buffer_ + size_;
      chain_push_front(&free_first_, found);
      ++free_count_;
      if (free_index_ != nullptr) free_index_->push_front(found);
    }
    if (found == nullptr || size(found) < n) return nullptr;
  }

  unlink_free(found);
  chunk_t* c = chunk_of(found);
  c->size_and_flag &= ~FREE_FLAG;
  free_bytes_ -= c->size_and_flag;
  chain_push_front(&used_first_, found);
  if (c->size_and_flag > n) {
    // The rest becomes a free chunk right behind; without a descriptor for
    // it, the chunk simply stays larger than asked.
    vdatalist_node_t* rest = chunks_.append(found);
    if (rest != nullptr) {
      chunk_t* r = chunk_of(rest);
      r->size_and_flag = c->size_and_flag - n;
      r->address = c->address + n;
      c->size_and_flag = n;
      release(rest);
    }
  }
  return found;
}

void chunk_space_t::unlink_free(vdatalist_node_t* chunk) {
  chain_unlink(&free_first_, chunk);
  --free_count_;
  if (free_index_ != nullptr) free_index_->remove(chunk);
}

// The chain sees the designed steps (the chunk joins at the front, then is
// absorbed by a free chunk before it); the index sees only their net effect.
void chunk_space_t::release(vdatalist_node_t* chunk) {
  chunk_t* c = chunk_of(chunk);
  c->size_and_flag |= FREE_FLAG;
  chain_push_front(&free_first_, chunk);
  ++free_count_;
  free_bytes_ += size(chunk);
  vdatalist_node_t* next = chunk->next;
  if (next != nullptr && is_free(next)) {
    c->size_and_flag += size(next);
    unlink_free(next);
    chunks_.remove_pos(next);
  }
  vdatalist_node_t* prev = chunk->prev;
  if (prev != nullptr && is_free(prev)) {
    chunk_of(prev)->size_and_flag += size(chunk);
    chain_unlink(&free_first_, chunk);
    --free_count_;
    chunks_.remove_pos(chunk);
    if (free_index_ != nullptr) free_index_->resized(prev);
  } else {
    if (free_index_ != nullptr) free_index_->push_front(chunk);
  }
}

vdatalist_node_t* chunk_space_t::insert(const void* data, unsigned int bytes) {
  if (data == nullptr && bytes != 0) {
    error("[chunk_space] insert of %u bytes from a null pointer", bytes);
    return nullptr;
  }
  vdatalist_node_t* chunk = allocate(bytes);
  if (chunk != nullptr) {
    char* to = address(chunk);
    if (bytes != 0) std::memcpy(to, data, bytes);  // `data` may lie in the pending area
    if (size(chunk) != bytes) std::memset(to + bytes, 0, size(chunk) - bytes);
  }
  release_pending();
  return chunk;
}

vdatalist_node_t* chunk_space_t::dup(vdatalist_node_t* chunk) {
  if (chunk == nullptr || is_free(chunk)) {
    error("[chunk_space] dup of a chunk that is not in use");
    return nullptr;
  }
  vdatalist_node_t* copy = allocate(size(chunk));
  if (copy != nullptr && size(chunk) != 0) std::memcpy(address(copy), address(chunk), size(chunk));
  release_pending();
  return copy;
}

bool chunk_space_t::remove(vdatalist_node_t* chunk) {
  if (chunk == nullptr || is_free(chunk)) {
    error("[chunk_space] remove of a chunk that is not in use");
    return false;
  }
  // Four descriptors elsewhere in memory are touched next: ask for them at once.
  const chunk_t* c = chunk_of(chunk);
  for (const void* neighbour :
       {static_cast<const void*>(c->chain_prev), static_cast<const void*>(c->chain_next),
        static_cast<const void*>(chunk->prev), static_cast<const void*>(chunk->next)})
    if (neighbour != nullptr) __builtin_prefetch(neighbour, 1);
  chain_unlink(&used_first_, chunk);
  release(chunk);
  return true;
}

void chunk_space_t::remove_all() {
  if (chunks_.empty()) return;
  chunks_.remove_all();
  used_first_ = free_first_ = nullptr;
  free_count_ = 0;
  if (free_index_ != nullptr) free_index_->reset();
  vdatalist_node_t* whole = chunks_.append();
  if (whole == nullptr) return;  // the pool had the descriptors a moment ago; cannot happen
  chunk_t* c = chunk_of(whole);
  c->size_and_flag = size_ | FREE_FLAG;
  c->address = buffer_;
  chain_push_front(&free_first_, whole);
  if (free_index_ != nullptr) free_index_->push_front(whole);
  free_count_ = 1;
  free_bytes_ = size_;
}

bool chunk_space_t::compact() {
  bool rebuilt = rebuild(size_ - free_bytes_);
  release_pending();
  return rebuilt;
}

}  // namespace quarn
