// Loads libqxcore.so with dlopen and unloads it with dlclose: the constants
// exist before qxcore_init, and unloading without qxcore_shutdown releases the
// service objects through the host's scalar hook.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
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

void* load() {
  void* handle = dlopen(QXCORE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(handle, nullptr) << dlerror();
  return handle;
}

bool still_loaded() {
  void* handle = dlopen(QXCORE_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

TEST(Unload, ConstantsExistBeforeInit) {
  void* lib = load();
  ASSERT_NE(lib, nullptr);
  auto hook = static_cast<void**>(dlsym(lib, "qxcore_system_new"));
  EXPECT_TRUE(hook != nullptr && *hook == nullptr);
  // string::EMPTY and string::WHITESPACE are references; each symbol holds the
  // address of a string whose first member is its text pointer.
  auto empty = static_cast<const char* const* const*>(dlsym(lib, "_ZN5quarn6string5EMPTYE"));
  auto blanks = static_cast<const char* const* const*>(dlsym(lib, "_ZN5quarn6string10WHITESPACEE"));
  EXPECT_TRUE(empty != nullptr && std::strcmp(**empty, "") == 0);
  EXPECT_TRUE(blanks != nullptr && std::strcmp(**blanks, " \t\n\r\f") == 0);
  dlclose(lib);
  EXPECT_FALSE(still_loaded());
}

// Unloading releases the four services, the default resource tie and the
// profiler's root node and root zone, unless qxcore_shutdown already did.
TEST(Unload, ReleasesWhatShutdownLeft) {
  for (bool shut_down : {false, true}) {
    SCOPED_TRACE(shut_down ? "after qxcore_shutdown" : "without qxcore_shutdown");
    void* lib = load();
    ASSERT_NE(lib, nullptr);
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
