// Timers: what the profiler's timing test leaves unchecked of the clocks, and
// the game-time stepping rules with values worked out by hand.
#include "qxcore/sys/timers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "tests/support/capture_sink.h"

namespace {

// The clocks' rates are checked against each other by the profiler's timing
// test (its regions in cycles, their bounds on the millisecond clock); here
// only what that test cannot see.
TEST(Timers, WholeMillisecondsAndElapsedMilliseconds) {
  EXPECT_EQ(quarn::tmr_read() % 1000, 0u);  // whole milliseconds, in microseconds
  const unsigned long long start = quarn::tmr_get_cycles();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const float ms = quarn::get_elapsed_time_ms(start);
  const double later_ms = quarn::tmr_cycles_to_usec(quarn::tmr_get_cycles() - start) / 1000.0;
  EXPECT_GE(ms, 20 * 0.95);  // the cycle rate is measured to a few percent
  EXPECT_LE(ms, later_ms + 0.001);
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
