// Loads libqxcore.so with dlopen and unloads it with dlclose: the constants
// exist before qxcore_init, and unloading without qxcore_shutdown releases the
// service objects through the host's scalar hook.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

int failures = 0;

#define CHECK(condition)                                                 \
  do {                                                                   \
    if (!(condition)) {                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                        \
    }                                                                    \
  } while (0)

std::set<void*> scalar_blocks, vector_blocks;
int scalar_releases = 0, wrong_releases = 0;

void* host_new(unsigned int size) {
  void* p = std::malloc(size);
  scalar_blocks.insert(p);
  return p;
}
void* host_new_vector(unsigned int size) {
  void* p = std::malloc(size);
  vector_blocks.insert(p);
  return p;
}
void host_delete(void* p) {
  if (scalar_blocks.erase(p) == 0) ++wrong_releases;
  ++scalar_releases;
  std::free(p);
}
void host_delete_vector(void* p) {
  if (vector_blocks.erase(p) == 0) ++wrong_releases;
  std::free(p);
}

using init_fn = void (*)(void* (*)(unsigned int), void* (*)(unsigned int), void (*)(void*),
                         void (*)(void*), unsigned int);
using shutdown_fn = void (*)();

struct loaded_library_t {
  void* handle;
  init_fn init;
  shutdown_fn shutdown;
};

loaded_library_t load() {
  loaded_library_t lib{};
  lib.handle = dlopen(QXCORE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  if (lib.handle == nullptr) {
    std::fprintf(stderr, "dlopen: %s\n", dlerror());
    std::exit(1);
  }
  lib.init = reinterpret_cast<init_fn>(dlsym(lib.handle, "qxcore_init"));
  lib.shutdown = reinterpret_cast<shutdown_fn>(dlsym(lib.handle, "qxcore_shutdown"));
  CHECK(lib.init != nullptr);
  CHECK(lib.shutdown != nullptr);
  return lib;
}

bool still_loaded() {
  void* handle = dlopen(QXCORE_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

void constants_exist_before_init() {
  loaded_library_t lib = load();
  auto hook = static_cast<void**>(dlsym(lib.handle, "qxcore_system_new"));
  CHECK(hook != nullptr && *hook == nullptr);
  // string::EMPTY and string::WHITESPACE are references; each symbol holds the
  // address of a string whose first member is its text pointer.
  auto empty = static_cast<const char* const* const*>(dlsym(lib.handle, "_ZN5quarn6string5EMPTYE"));
  auto blanks = static_cast<const char* const* const*>(dlsym(lib.handle, "_ZN5quarn6string10WHITESPACEE"));
  CHECK(empty != nullptr && std::strcmp(**empty, "") == 0);
  CHECK(blanks != nullptr && std::strcmp(**blanks, " \t\n\r\f") == 0);
  dlclose(lib.handle);
  CHECK(!still_loaded());
}

void unload_without_shutdown_releases_services() {
  loaded_library_t lib = load();
  lib.init(host_new, host_new_vector, host_delete, host_delete_vector, 0x40000002);
  // Four service objects, and the profiler's root node and root zone.
  CHECK(scalar_blocks.size() == 6);
  scalar_releases = 0;
  dlclose(lib.handle);
  CHECK(!still_loaded());
  CHECK(scalar_releases == 6);
  CHECK(scalar_blocks.empty());
  CHECK(vector_blocks.empty());
}

void unload_after_shutdown_releases_nothing_more() {
  loaded_library_t lib = load();
  lib.init(host_new, host_new_vector, host_delete, host_delete_vector, 0x40000002);
  lib.shutdown();
  CHECK(scalar_blocks.empty());
  scalar_releases = 0;
  dlclose(lib.handle);
  CHECK(!still_loaded());
  CHECK(scalar_releases == 0);
}

}  // namespace

int main() {
  constants_exist_before_init();
  unload_without_shutdown_releases_services();
  unload_after_shutdown_releases_nothing_more();
  CHECK(wrong_releases == 0);
  if (failures == 0) std::printf("unload test passed\n");
  return failures == 0 ? 0 : 1;
}
