#include "qxcore/core/service_initializers.h"

namespace quarn {

// The checksum service's body lives beside the tables it fills
// (sys/narrow_crc.cpp). The resource-tie and profiler services hook their
// start and stop into the bodies below; until a service exists its
// initializer holds only its place in the start-up order.

// CLOCK_MONOTONIC already ticks in nanoseconds: there is no timer period to
// request or give back on this platform.
tmr_initializer_t::tmr_initializer_t() {}
tmr_initializer_t::~tmr_initializer_t() {}

resource_tie_initializer_t::resource_tie_initializer_t() {}
resource_tie_initializer_t::~resource_tie_initializer_t() {}

profiler_initializer_t::profiler_initializer_t() {}
profiler_initializer_t::~profiler_initializer_t() {}

}  // namespace quarn
