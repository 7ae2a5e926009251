// Failed checks are reported as errors and execution continues: nothing in
// the library stops the host process.
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// error("%s:%u: %s: Assertion `%s' failed.", file, line, function, expression)
QX_API void v_assert_fail(const char* expression, const char* file, unsigned int line,
                          const char* function);
// error("%s:%u: %s: %s", file, line, function, text)
QX_API void v_abort_fail(const char* text, const char* file, unsigned int line,
                         const char* function);
// A breakpoint trap while a debugger is attached, else nothing. For the host's
// own assertion macros; the library never calls it.
QX_API void v_debug_break();

}  // namespace quarn
