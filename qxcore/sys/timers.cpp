// The clocks: CLOCK_MONOTONIC for the millisecond clock, the time-stamp
// counter for cycles.
#include "qxcore/sys/timers.h"

#include <time.h>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

#include "qxcore/core/messages.h"
#include "qxcore/sys/cpu_dispatch.h"

namespace quarn {

namespace {
constexpr double USEC_TO_SECONDS = 1e-6;
}

unsigned long long tmr_read() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  unsigned long long ms = static_cast<unsigned long long>(now.tv_sec) * 1000 +
                          static_cast<unsigned long long>(now.tv_nsec) / 1000000;
  return ms * 1000;
}

unsigned long long tmr_get_cycles() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  timespec now;
  clock_gettime(CLOCK_MONOTONIC_RAW, &now);
  return static_cast<unsigned long long>(now.tv_sec) * 1000000000ull +
         static_cast<unsigned long long>(now.tv_nsec);
#endif
}

unsigned long long tmr_cycles_to_usec(unsigned long long cycles) {
  return cycles / get_cpu_speed();
}

float get_elapsed_time_ms(unsigned long long start_cycles) {
  unsigned long long usec = tmr_cycles_to_usec(tmr_get_cycles() - start_cycles);
  return static_cast<float>(static_cast<double>(usec) * 0.001);
}

void vtimer_t::advance_usec(unsigned long long delta_usec) {
  previous_usec = current_usec;
  current_usec += delta_usec;
  delta = static_cast<double>(delta_usec) * USEC_TO_SECONDS;
  time += delta;
}

void vtimer_t::set_usec(unsigned long long usec) {
  previous_usec = current_usec;
  current_usec = usec;
  delta = static_cast<double>(usec - previous_usec) * USEC_TO_SECONDS;
  time += delta;
}

void vtimer_t::change_time_speed(vtimer_t* saved, double speed) {
  if (saved == nullptr) {
    error("[sys] vtimer_t::change_time_speed: no timer to save the time in");
    return;
  }
  saved->time = time;
  saved->delta = delta;
  delta *= speed;
  time_speed_changed = !(speed == 1.0);  // NaN counts as a change
}

void vtimer_t::revert_time_speed(const vtimer_t* saved) {
  if (saved == nullptr) {
    error("[sys] vtimer_t::revert_time_speed: no saved time to restore");
    return;
  }
  time = saved->time;
  delta = saved->delta;
}

}  // namespace quarn
