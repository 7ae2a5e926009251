// The process command line, handed over once by the host and then looked up
// by option name. An option's group is the option itself and the values that
// follow it up to the next argument starting with "-".
//
//   quarn::cdl_init(argc, argv);                  // prog -size 640 480 -fast
//   if (quarn::cdl_param("-size", 1) != quarn::CDL_NOT_FOUND && quarn::cdl_argc() == 3)
//     width = atoi(quarn::cdl_argv(1));           // "640"
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

constexpr unsigned int CDL_MAX_ARGS = 128;    // arguments kept; later ones are dropped
constexpr unsigned int CDL_POOL_SIZE = 2048;  // bytes of argument text kept, terminators included
constexpr unsigned int CDL_NOT_FOUND = 0xFFFFFFFFu;

// Copies the arguments; the caller's argv need not outlive the call. Calling
// it again replaces everything, and pointers from cdl_argv become stale. An
// argument whose text does not fit in the rest of the pool is refused whole:
// its place stays (cdl_argv gives null there) and later arguments that fit
// are still kept, so indices keep meaning what they meant in argv.
QX_API void cdl_init(int argc, const char* const* argv);
// Index of the first argument at or after `start` equal to `name` (exact,
// case-sensitive), which also becomes the current group; CDL_NOT_FOUND when
// there is none, and then the group stays as it was.
QX_API unsigned int cdl_param(const char* name, unsigned int start);
// Size of the group: the option plus its values; after cdl_init, argc (also
// beyond the kept arguments).
QX_API unsigned int cdl_argc();
// The group's argument `index` (0 is the option); null past the kept ones.
QX_API const char* cdl_argv(unsigned int index);

}  // namespace quarn
