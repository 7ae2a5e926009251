// Library start-up and shut-down, and the host's allocation hooks.
//
// The host calls qxcore_init once before it uses anything that allocates and
// qxcore_shutdown before it unloads the library:
//
//   quarn::qxcore_init(my_new, my_new_vector, my_delete, my_delete_vector, 0x40000002);
//   ...
//   quarn::qxcore_shutdown();
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// The C names keep the entry points and hooks reachable through dlsym as well.
extern "C" {

// Allocation hooks, set by qxcore_init. Memory from one hook is released only
// by its partner: system_new <-> system_delete, new_vector <-> delete_vector.
QX_API extern void* (*qxcore_system_new)(unsigned int size);         // single objects
QX_API extern void* (*qxcore_system_new_vector)(unsigned int size);  // buffers, arrays
QX_API extern void (*qxcore_system_delete)(void* p);
QX_API extern void (*qxcore_system_delete_vector)(void* p);

// Bookkeeping for the host's own allocation macros; the library only
// initialises them.
QX_API extern const char* qxcore_allocation_file;  // ""
QX_API extern const char* qxcore_allocation_fn;    // ""
QX_API extern unsigned int qxcore_allocation_line; // 0

// Stores the hooks and starts the process-wide services. A second call
// without qxcore_shutdown in between is refused with a warning.
QX_API void qxcore_init(void* (*alloc)(unsigned int), void* (*alloc_vector)(unsigned int),
                        void (*free)(void*), void (*free_vector)(void*), unsigned int cpu_flags);

// Releases the services in reverse order; the hooks stay so that leftover
// objects can still be freed.
QX_API void qxcore_shutdown();

}  // extern "C"

// True between qxcore_init and qxcore_shutdown.
QX_API bool qxcore_is_initialised();

}  // namespace quarn
