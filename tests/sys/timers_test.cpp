// Timers: the clocks against the system's monotonic clock, and the game-time
// stepping rules with values worked out by hand.
#include "qxcore/sys/timers.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cmath>
#include <thread>

namespace {

double monotonic_seconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec + now.tv_nsec * 1e-9;
}

TEST(Timers, ClocksAgreeWithTheMonotonicClock) {
  double start = monotonic_seconds();
  unsigned long long read_start = quarn::tmr_read();
  unsigned long long cycles_start = quarn::tmr_get_cycles();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  double elapsed_ms = (monotonic_seconds() - start) * 1000;
  unsigned long long read_end = quarn::tmr_read();
  float measured_ms = quarn::get_elapsed_time_ms(cycles_start);

  EXPECT_EQ(read_start % 1000, 0u);  // whole milliseconds, in microseconds
  EXPECT_NEAR((read_end - read_start) / 1000.0, elapsed_ms, 2.0);
  // The cycle counter goes through the measured clock speed.
  EXPECT_NEAR(measured_ms, elapsed_ms, elapsed_ms * 0.05 + 1.0);
  unsigned long long usec = quarn::tmr_cycles_to_usec(quarn::tmr_get_cycles() - cycles_start);
  EXPECT_GE(usec, 60000u);
}

TEST(Timers, VtimerSteps) {
  quarn::vtimer_t timer;
  timer.advance_usec(16667);
  EXPECT_DOUBLE_EQ(timer.delta, 0.016667);
  EXPECT_DOUBLE_EQ(timer.time, 0.016667);
  EXPECT_EQ(timer.previous_usec, 0u);
  EXPECT_EQ(timer.current_usec, 16667u);

  timer.set_usec(1000000);
  EXPECT_DOUBLE_EQ(timer.delta, 0.983333);  // (1000000 - 16667) us
  EXPECT_DOUBLE_EQ(timer.time, 1.0);
  timer.set_usec(1000000);
  EXPECT_EQ(timer.delta, 0.0);
  EXPECT_DOUBLE_EQ(timer.time, 1.0);

  // Timestamps beyond 2^63 stay positive.
  quarn::vtimer_t far;
  far.set_usec(0x8000000000000000ull);
  EXPECT_DOUBLE_EQ(far.delta, 9223372036854.775808);
}

TEST(Timers, TimeSpeedScalesOnlyTheCurrentStep) {
  quarn::vtimer_t timer, saved;
  timer.advance_usec(500000);
  timer.advance_usec(100000);
  timer.change_time_speed(&saved, 0.5);
  EXPECT_DOUBLE_EQ(timer.delta, 0.05);
  EXPECT_DOUBLE_EQ(timer.time, 0.6);
  EXPECT_TRUE(timer.time_speed_changed);
  EXPECT_DOUBLE_EQ(saved.delta, 0.1);

  timer.revert_time_speed(&saved);
  EXPECT_DOUBLE_EQ(timer.delta, 0.1);
  EXPECT_DOUBLE_EQ(timer.time, 0.6);
  EXPECT_TRUE(timer.time_speed_changed);  // left as it was

  const double speeds[] = {1.0, 2.0, NAN};
  const bool changed[] = {false, true, true};
  for (int i = 0; i < 3; ++i) {
    timer.change_time_speed(&saved, speeds[i]);
    EXPECT_EQ(timer.time_speed_changed, changed[i]) << speeds[i];
    timer.revert_time_speed(&saved);
  }
}

}  // namespace
