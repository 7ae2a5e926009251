// The C runtime's error state, reachable from host code that shares the
// library's runtime.
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

QX_API const char* v_strerror(int errnum);  // strerror(errnum)
QX_API int* v_errno_addr();                 // &errno of the calling thread

}  // namespace quarn
