// The console and debugger sinks, checked on the real output streams.
#include <gtest/gtest.h>

#include <string>

#include "qxcore/core/debug_logger.h"
#include "qxcore/core/message_stdio.h"
#include "qxcore/core/messages.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

TEST(MessageStdio, WarningsAndErrorsGoToStderrOthersToStdout) {
  quarn::message_stdio_t sink;
  CaptureStdout();
  CaptureStderr();
  quarn::warning("x %d", 5);
  quarn::message("y");
  quarn::verbose("z");
  quarn::error("bad %s", "thing");
  std::fflush(stdout);
  std::string out = GetCapturedStdout();
  std::string err = GetCapturedStderr();
  EXPECT_EQ(out, "y\r\nz\r\n");
  EXPECT_EQ(err, "*** WARNING *** : x 5\r\n*** ERROR *** : bad thing\r\n");
}

TEST(DebugLogger, WritesEverythingButVerboseWithCrLf) {
  quarn::debug_logger_t sink;
  CaptureStderr();
  quarn::message("first");
  quarn::verbose("never");
  quarn::warning("second");
  quarn::error("third");
  std::string err = GetCapturedStderr();
  EXPECT_EQ(err, "first\r\nsecond\r\nthird\r\n");
}

TEST(DebugLogger, EndsItsOutputWhenDestroyed) {
  { quarn::debug_logger_t sink; }
  CaptureStderr();
  quarn::error("unheard");
  EXPECT_EQ(GetCapturedStderr(), "");
}

}  // namespace
