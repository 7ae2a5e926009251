#include "qxcore/fs/fs_copy.h"

#include "qxcore/core/messages.h"
#include "qxcore/fs/fs.h"

namespace quarn {

namespace {
constexpr unsigned int BLOCK_SIZE = 65536;
}

bool ufs_copy(file_t* destination, file_t* source) {
  if (destination == nullptr || source == nullptr) return false;
  unsigned int remaining = source->size();
  if (remaining == 0) return true;
  unsigned int block_size = remaining < BLOCK_SIZE ? remaining : BLOCK_SIZE;
  void* block = host_alloc_vector(block_size);
  if (block == nullptr) {
    error("[ufs_copy] cannot allocate a copy buffer of %u bytes", block_size);
    return false;
  }
  bool copied = true;
  while (remaining > 0) {
    unsigned int n = remaining < block_size ? remaining : block_size;
    if (!source->read(block, n)) {
      error("[ufs_copy] error reading source file %s", source->path().c_str());
      copied = false;
      break;
    }
    if (!destination->write(block, n)) {
      error("[ufs_copy] error writing dest file %s", destination->path().c_str());
      copied = false;
      break;
    }
    remaining -= n;
  }
  host_free_vector(block);
  return copied;
}

bool ufs_copy(const string& destination, const string& source) {
  file_t* in = fs_open(source, FS_TYPE_VIRTUAL);
  if (in == nullptr) {
    error("Cannot open %s.", source.c_str());
    return false;
  }
  file_t* out = fs_create(destination, FS_TYPE_VIRTUAL);
  if (out == nullptr) {
    error("Cannot create copy of %s.", source.c_str());
    delete in;
    return false;
  }
  bool copied = ufs_copy(out, in);
  delete out;
  delete in;
  return copied;
}

}  // namespace quarn
