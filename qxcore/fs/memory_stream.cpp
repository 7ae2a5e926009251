#include "qxcore/fs/memory_stream.h"

#include <cstdint>
#include <cstring>

namespace quarn {

int mbio_t::open(void* block, unsigned int size) {
  base_ = cursor_ = static_cast<char*>(block);
  size_ = size;
  return 0;
}

void* mbio_t::read(unsigned int n) {
  if (at_end()) return nullptr;
  char* old = cursor_;
  cursor_ += n;
  return old;
}

void* mbio_t::write(unsigned int n) { return read(n); }

void* mbio_t::read(void* destination, unsigned int n) {
  if (at_end()) return nullptr;
  std::memcpy(destination, cursor_, n);
  char* old = cursor_;
  cursor_ += n;
  return old;
}

void* mbio_t::write(const void* source, unsigned int n) {
  std::memcpy(cursor_, source, n);
  char* old = cursor_;
  cursor_ += n;
  return old;
}

void mbio_t::align(unsigned int alignment) {
  if (alignment == 0) return;
  auto address = reinterpret_cast<std::uintptr_t>(cursor_);
  cursor_ += ((address + alignment - 1) & ~static_cast<std::uintptr_t>(alignment - 1)) - address;
}

void mbio_t::seek(unsigned int offset, int origin) {
  if (origin == 0)
    cursor_ = base_ + offset;
  else if (origin == 1)
    cursor_ += offset;
}

}  // namespace quarn
