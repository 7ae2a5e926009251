// mbio_t: a cursor over a memory block the caller owns, to lay out or parse
// binary data in place. The reserving read/write hand out pointers into the
// block instead of copying; only `read` checks that the cursor is still
// inside the block, as callers size their blocks for what they write.
//
//   mbio_t io;
//   io.open(buffer, sizeof buffer);
//   auto* header = static_cast<header_t*>(io.read(sizeof(header_t)));
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

class QX_API mbio_t {
 public:
  int open(void* block, unsigned int size);  // 0

  void* read(unsigned int n);   // the cursor, advanced by n; null when at or past the end
  void* write(unsigned int n);  // the same: reserves n bytes to fill in place
  void* read(void* destination, unsigned int n);   // copies n bytes out; null at or past the end
  void* write(const void* source, unsigned int n);  // copies n bytes in; no end test

  void* tell() const { return cursor_; }
  void align(unsigned int alignment);          // rounds the cursor's address up (power of two)
  void seek(unsigned int offset, int origin);  // 0: from the base, 1: from the cursor, else nothing
  void set(void* position) { cursor_ = static_cast<char*>(position); }

  void* base() const { return base_; }
  unsigned int size() const { return size_; }

 private:
  bool at_end() const { return cursor_ >= base_ + size_; }

  char* base_ = nullptr;
  char* cursor_ = nullptr;
  unsigned int size_ = 0;
};

}  // namespace quarn
