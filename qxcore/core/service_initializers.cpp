#include "qxcore/core/service_initializers.h"

namespace quarn {

// The checksum, resource-tie and profiler services' bodies live beside what
// they start (sys/narrow_crc.cpp, units/unit_resource_tie.cpp, sys/profiler.cpp).

// CLOCK_MONOTONIC already ticks in nanoseconds: there is no timer period to
// request or give back on this platform.
tmr_initializer_t::tmr_initializer_t() {}
tmr_initializer_t::~tmr_initializer_t() {}

}  // namespace quarn
