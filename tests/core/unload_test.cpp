// Loads libqxcore.so with dlopen and unloads it with dlclose: unloading
// without qxcore_shutdown releases the service objects through the host's
// scalar hook.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

std::set<void*> scalar_blocks, vector_blocks;
int scalar_releases = 0, wrong_releases = 0;

void* take(std::set<void*>& blocks, unsigned int size) {
  void* p = std::malloc(size);
  blocks.insert(p);
  return p;
}
void give(std::set<void*>& blocks, void* p) {
  if (blocks.erase(p) == 0) ++wrong_releases;
  std::free(p);
}
void* host_new(unsigned int size) { return take(scalar_blocks, size); }
void* host_new_vector(unsigned int size) { return take(vector_blocks, size); }
void host_delete(void* p) {
  ++scalar_releases;
  give(scalar_blocks, p);
}
void host_delete_vector(void* p) { give(vector_blocks, p); }

using init_fn = void (*)(void* (*)(unsigned int), void* (*)(unsigned int), void (*)(void*),
                         void (*)(void*), unsigned int);

bool still_loaded() {
  void* handle = dlopen(QXCORE_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

// Unloading releases the four services, the default resource tie and the
// profiler's root node and root zone, unless qxcore_shutdown already did.
TEST(Unload, ReleasesWhatShutdownLeft) {
  for (bool shut_down : {false, true}) {
    SCOPED_TRACE(shut_down ? "after qxcore_shutdown" : "without qxcore_shutdown");
    void* lib = dlopen(QXCORE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto init = reinterpret_cast<init_fn>(dlsym(lib, "qxcore_init"));
    auto shutdown = reinterpret_cast<void (*)()>(dlsym(lib, "qxcore_shutdown"));
    ASSERT_TRUE(init != nullptr && shutdown != nullptr);
    init(host_new, host_new_vector, host_delete, host_delete_vector, 0x40000002);
    EXPECT_EQ(scalar_blocks.size(), 7u);
    if (shut_down) shutdown();
    EXPECT_EQ(scalar_blocks.size(), shut_down ? 0u : 7u);
    scalar_releases = 0;
    dlclose(lib);
    EXPECT_FALSE(still_loaded());
    EXPECT_EQ(scalar_releases, shut_down ? 0 : 7);
    EXPECT_TRUE(scalar_blocks.empty() && vector_blocks.empty());
    EXPECT_EQ(wrong_releases, 0);
  }
}

}  // namespace
