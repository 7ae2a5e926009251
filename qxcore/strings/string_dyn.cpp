#include "qxcore/strings/string_dyn.h"

#include <cstring>

#include "qxcore/core/host_memory.h"

namespace quarn {

char* default_mstring_allocator_t::allocate(unsigned int size) {
  return static_cast<char*>(host_alloc_vector(size));
}

void default_mstring_allocator_t::release(char* buffer) { host_free_vector(buffer); }

template <class Allocator>
string_dyn_t<Allocator>& string_dyn_t<Allocator>::operator=(string_dyn_t&& other) noexcept {
  if (this != &other) {
    if (text_ != NUL_CHAR) Allocator::release(data());
    text_ = other.text_;
    capacity_ = other.capacity_;
    other.text_ = NUL_CHAR;
    other.capacity_ = 0;
  }
  return *this;
}

template <class Allocator>
string_dyn_t<Allocator>::~string_dyn_t() {
  if (text_ != NUL_CHAR) Allocator::release(data());
  text_ = NUL_CHAR;
}

template <class Allocator>
void string_dyn_t<Allocator>::reserve(unsigned int size) {
  if (size <= capacity_ || size == 0) return;
  char* buffer = Allocator::allocate(size);
  if (buffer == nullptr) return;  // keep the old text rather than lose it
  if (text_ == NUL_CHAR) {
    buffer[0] = '\0';  // a fresh buffer reads as the empty text, not as garbage
  } else {
    std::memcpy(buffer, text_, capacity_);
    Allocator::release(data());
  }
  text_ = buffer;
  capacity_ = size;
}

template class string_dyn_t<default_mstring_allocator_t>;

}  // namespace quarn
