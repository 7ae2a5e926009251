// Timers: the clocks against the system's monotonic clock, and the game-time
// stepping rules with values worked out by hand.
#include "qxcore/sys/timers.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cmath>
#include <thread>

#include "qxcore/sys/cpu_dispatch.h"
#include "tests/support/capture_sink.h"

namespace {

double monotonic_seconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec + now.tv_nsec * 1e-9;
}

// Each library reading is bracketed by two readings of the system clock, so
// a preemption anywhere only widens the bounds instead of failing the test.
TEST(Timers, ClocksAgreeWithTheMonotonicClock) {
  double before_start = monotonic_seconds();
  unsigned long long read_start = quarn::tmr_read();
  unsigned long long cycles_start = quarn::tmr_get_cycles();
  double after_start = monotonic_seconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  double before_end = monotonic_seconds();
  unsigned long long read_end = quarn::tmr_read();
  float measured_ms = quarn::get_elapsed_time_ms(cycles_start);
  double after_end = monotonic_seconds();
  const double shortest_ms = (before_end - after_start) * 1000;
  const double longest_ms = (after_end - before_start) * 1000;

  EXPECT_EQ(read_start % 1000, 0u);  // whole milliseconds, in microseconds
  const double read_ms = (read_end - read_start) / 1000.0;
  EXPECT_GE(read_ms, shortest_ms - 1.0);
  EXPECT_LE(read_ms, longest_ms + 1.0);
  // The cycle counter goes through the measured time-stamp counter rate
  // (get_cpu_speed, within 5 %).
  EXPECT_GE(measured_ms, shortest_ms * 0.95 - 1.0);
  EXPECT_LE(measured_ms, longest_ms * 1.05 + 1.0);
  EXPECT_GE(quarn::tmr_cycles_to_usec(quarn::tmr_get_cycles() - cycles_start), 60000u);
  const unsigned int speed = quarn::get_cpu_speed();
  EXPECT_EQ(quarn::get_cpu_speed(), speed);  // measured once per binding
}

// Values worked out by hand: a step is the difference of the microsecond
// readings; a change of speed scales only the step, and reverting restores it.
TEST(Timers, VtimerStepsAndTimeSpeed) {
  quarn::vtimer_t timer, saved;
  timer.advance_usec(500000);
  timer.set_usec(600000);
  EXPECT_DOUBLE_EQ(timer.delta, 0.1);
  EXPECT_DOUBLE_EQ(timer.time, 0.6);
  EXPECT_TRUE(timer.previous_usec == 500000 && timer.current_usec == 600000);
  timer.change_time_speed(&saved, 0.5);
  EXPECT_DOUBLE_EQ(timer.delta, 0.05);
  EXPECT_DOUBLE_EQ(timer.time, 0.6);
  EXPECT_TRUE(timer.time_speed_changed);
  EXPECT_DOUBLE_EQ(saved.delta, 0.1);
  timer.revert_time_speed(&saved);
  EXPECT_DOUBLE_EQ(timer.delta, 0.1);
  EXPECT_DOUBLE_EQ(timer.time, 0.6);
  EXPECT_TRUE(timer.time_speed_changed);  // left as it was
  for (double speed : {1.0, 2.0, double(NAN)}) {
    timer.change_time_speed(&saved, speed);
    EXPECT_EQ(timer.time_speed_changed, speed != 1.0) << speed;  // NaN is a change too
    timer.revert_time_speed(&saved);
  }
  qxtest::capture_sink_t sink;
  timer.change_time_speed(nullptr, 3.0);
  timer.revert_time_speed(nullptr);
  EXPECT_DOUBLE_EQ(timer.delta, 0.1);
  EXPECT_EQ(sink.errors().size(), 2u);

  // Timestamps beyond 2^63 stay positive.
  timer.set_usec(0);
  timer.set_usec(0x8000000000000000ull);
  EXPECT_DOUBLE_EQ(timer.delta, 9223372036854.775808);
}

}  // namespace
