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

#define CHECK(condition)                                                                 \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                                        \
    }                                                                                    \
  } while (0)

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
  if (handle == nullptr) {
    std::fprintf(stderr, "dlopen: %s\n", dlerror());
    std::exit(1);
  }
  return handle;
}

bool still_loaded() {
  void* handle = dlopen(QXCORE_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

void constants_exist_before_init() {
  void* lib = load();
  auto hook = static_cast<void**>(dlsym(lib, "qxcore_system_new"));
  CHECK(hook != nullptr && *hook == nullptr);
  // string::EMPTY and string::WHITESPACE are references; each symbol holds the
  // address of a string whose first member is its text pointer.
  auto empty = static_cast<const char* const* const*>(dlsym(lib, "_ZN5quarn6string5EMPTYE"));
  auto blanks = static_cast<const char* const* const*>(dlsym(lib, "_ZN5quarn6string10WHITESPACEE"));
  CHECK(empty != nullptr && std::strcmp(**empty, "") == 0);
  CHECK(blanks != nullptr && std::strcmp(**blanks, " \t\n\r\f") == 0);
  dlclose(lib);
  CHECK(!still_loaded());
}

// Unloading releases the four services, the default resource tie and the
// profiler's root node and root zone, unless qxcore_shutdown already did.
void unload_releases_what_shutdown_left(bool shut_down) {
  void* lib = load();
  auto init = reinterpret_cast<init_fn>(dlsym(lib, "qxcore_init"));
  auto shutdown = reinterpret_cast<void (*)()>(dlsym(lib, "qxcore_shutdown"));
  CHECK(init != nullptr && shutdown != nullptr);
  if (init == nullptr || shutdown == nullptr) return;
  init(host_new, host_new_vector, host_delete, host_delete_vector, 0x40000002);
  CHECK(scalar_blocks.size() == 7);
  if (shut_down) shutdown();
  CHECK(scalar_blocks.size() == (shut_down ? 0 : 7));
  scalar_releases = 0;
  dlclose(lib);
  CHECK(!still_loaded());
  CHECK(scalar_releases == (shut_down ? 0 : 7));
  CHECK(scalar_blocks.empty());
  CHECK(vector_blocks.empty());
}

}  // namespace

int main() {
  constants_exist_before_init();
  unload_releases_what_shutdown_left(false);
  unload_releases_what_shutdown_left(true);
  CHECK(wrong_releases == 0);
  if (failures == 0) std::printf("unload test passed\n");
  return failures == 0 ? 0 : 1;
}
