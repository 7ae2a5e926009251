// Time: a millisecond clock read in microseconds, the processor's cycle
// counter and its conversion to microseconds, and vtimer_t, which turns
// timestamps into seconds of simulated time with a speed factor.
//
//   unsigned long long start = quarn::tmr_get_cycles();
//   work();
//   float ms = quarn::get_elapsed_time_ms(start);
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

QX_API unsigned long long tmr_read();        // microseconds, 1 ms steps, monotonic
QX_API unsigned long long tmr_get_cycles();  // time-stamp counter
// cycles / get_cpu_speed(); the first call after a binding measures the speed.
QX_API unsigned long long tmr_cycles_to_usec(unsigned long long cycles);
QX_API float get_elapsed_time_ms(unsigned long long start_cycles);  // since start_cycles

// Game time. A plain value: the host zero-initialises it and steps it with
// microsecond timestamps (set_usec) or increments (advance_usec).
struct QX_API vtimer_t {
  unsigned long long previous_usec = 0;  // timestamp before the last step
  unsigned long long current_usec = 0;   // timestamp after the last step
  double time = 0.0;                     // accumulated seconds
  double delta = 0.0;                    // last step, seconds
  bool time_speed_changed = false;       // the last step was scaled by a factor other than 1

  void advance_usec(unsigned long long delta_usec);
  // The step is usec - current_usec in unsigned arithmetic: timestamps must
  // not go backwards.
  void set_usec(unsigned long long usec);
  // Saves time and delta into `saved`, then scales delta (not time) by `speed`.
  void change_time_speed(vtimer_t* saved, double speed);
  void revert_time_speed(const vtimer_t* saved);  // restores time and delta

 protected:
  double get_current_time_slow() const { return time; }
};

}  // namespace quarn
