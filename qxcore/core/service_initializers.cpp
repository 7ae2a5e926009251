#include "qxcore/core/service_initializers.h"

namespace quarn {

// The checksum and profiler services' bodies live beside what they start
// (sys/narrow_crc.cpp, sys/profiler.cpp). The resource-tie service hooks its
// start and stop into the bodies below; until a service exists its
// initializer holds only its place in the start-up order.

// CLOCK_MONOTONIC already ticks in nanoseconds: there is no timer period to
// request or give back on this platform.
tmr_initializer_t::tmr_initializer_t() {}
tmr_initializer_t::~tmr_initializer_t() {}

resource_tie_initializer_t::resource_tie_initializer_t() {}
resource_tie_initializer_t::~resource_tie_initializer_t() {}

}  // namespace quarn
