#include "qxcore/core/lifecycle.h"

#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"
#include "qxcore/core/service_initializers.h"
#include "qxcore/sys/cpu_dispatch.h"

namespace quarn {

extern "C" {
void* (*qxcore_system_new)(unsigned int) = nullptr;
void* (*qxcore_system_new_vector)(unsigned int) = nullptr;
void (*qxcore_system_delete)(void*) = nullptr;
void (*qxcore_system_delete_vector)(void*) = nullptr;

const char* qxcore_allocation_file = "";
const char* qxcore_allocation_fn = "";
unsigned int qxcore_allocation_line = 0;
}

namespace {

// Owns one service initializer. Its own destruction at unload releases what
// qxcore_shutdown left behind, through the hooks that are still in place.
template <class T>
class singleton_holder_t {
 public:
  constexpr singleton_holder_t() = default;
  singleton_holder_t(const singleton_holder_t&) = delete;
  singleton_holder_t& operator=(const singleton_holder_t&) = delete;
  ~singleton_holder_t() { replace(nullptr); }

  // Stores `next`; the previous object, if any, is torn down after it.
  void replace(T* next) {
    T* previous = object_;
    object_ = next;
    host_delete(previous);
  }

  // A failed allocation leaves the service out, without a message.
  void create() {
    static_assert(sizeof(T) == 1, "service initializers are empty objects");
    replace(host_new<T>());
  }

 private:
  T* object_ = nullptr;
};

// Declaration order is start-up order; unload destroys them in reverse.
constinit singleton_holder_t<crc_initializer_t> crc_holder;
constinit singleton_holder_t<tmr_initializer_t> tmr_holder;
constinit singleton_holder_t<resource_tie_initializer_t> resource_tie_holder;
constinit singleton_holder_t<profiler_initializer_t> profiler_holder;

constinit bool initialised = false;

}  // namespace

extern "C" void qxcore_init(void* (*alloc)(unsigned int), void* (*alloc_vector)(unsigned int),
                            void (*free)(void*), void (*free_vector)(void*),
                            unsigned int cpu_flags) {
  // Rebuilding the services in place would let the old resource-tie holder
  // delete the new default instance, and would release memory taken by the
  // old hooks through the new ones: a second start is refused whole.
  if (initialised) {
    warning("[qxcore] qxcore_init called again without qxcore_shutdown; the call is ignored");
    return;
  }
  qxcore_system_new = alloc;
  qxcore_system_new_vector = alloc_vector;
  qxcore_system_delete = free;
  qxcore_system_delete_vector = free_vector;

  crc_holder.create();
  tmr_holder.create();
  resource_tie_holder.create();
  profiler_holder.create();
  initialised = true;
  init_cpu_trampoline(cpu_flags, true);
}

extern "C" void qxcore_shutdown() {
  profiler_holder.replace(nullptr);
  resource_tie_holder.replace(nullptr);
  tmr_holder.replace(nullptr);
  crc_holder.replace(nullptr);
  initialised = false;
}

bool qxcore_is_initialised() { return initialised; }

}  // namespace quarn
