#include "fuzz/fuzz_hooks.h"

#include <cstdlib>

#include "qxcore/core/lifecycle.h"

namespace qxfuzz {

namespace {
void* allocate(unsigned int size) { return std::malloc(size == 0 ? 1 : size); }
void release(void* p) { std::free(p); }
}  // namespace

void start_library() {
  if (!quarn::qxcore_is_initialised()) quarn::qxcore_init(allocate, allocate, release, release, 0x40000002);
}

}  // namespace qxfuzz
