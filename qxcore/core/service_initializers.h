// The process-wide services that qxcore_init starts, in start-up order. Each is
// an empty object: its constructor starts the service, its destructor stops it.
// The library keeps one of each in a static owning holder (core/lifecycle.cpp).
#pragma once

namespace quarn {

struct crc_initializer_t {            // 1: the narrow CRC lookup tables
  crc_initializer_t();
  ~crc_initializer_t();
};

struct tmr_initializer_t {            // 2: millisecond timer resolution
  tmr_initializer_t();
  ~tmr_initializer_t();
};

struct resource_tie_initializer_t {   // 3: the default resource-tie instance
  resource_tie_initializer_t();
  ~resource_tie_initializer_t();
};

struct profiler_initializer_t {       // 4: the profiler's root node
  profiler_initializer_t();
  ~profiler_initializer_t();
};

}  // namespace quarn
