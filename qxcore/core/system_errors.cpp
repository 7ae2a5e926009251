#include "qxcore/core/system_errors.h"

#include <cerrno>
#include <cstring>

namespace quarn {

const char* v_strerror(int errnum) { return std::strerror(errnum); }

int* v_errno_addr() { return &errno; }

}  // namespace quarn
