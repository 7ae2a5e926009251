#include "qxcore/core/service_initializers.h"

namespace quarn {

// The checksum, resource-tie and profiler services hook their start and stop
// into these bodies; until a service exists its initializer holds only its
// place in the start-up order.
crc_initializer_t::crc_initializer_t() {}
crc_initializer_t::~crc_initializer_t() {}

// CLOCK_MONOTONIC already ticks in nanoseconds: there is no timer period to
// request or give back on this platform.
tmr_initializer_t::tmr_initializer_t() {}
tmr_initializer_t::~tmr_initializer_t() {}

resource_tie_initializer_t::resource_tie_initializer_t() {}
resource_tie_initializer_t::~resource_tie_initializer_t() {}

profiler_initializer_t::profiler_initializer_t() {}
profiler_initializer_t::~profiler_initializer_t() {}

}  // namespace quarn
