// The eight message functions, the sink registry, the console and debugger
// sinks on the real output streams, and the failure reports.
#include "qxcore/core/messages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "qxcore/core/assertions.h"
#include "qxcore/core/debug_logger.h"
#include "qxcore/core/message_stdio.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using quarn::message_t;
using qxtest::capture_sink_t;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

void call_variadic(void (*v)(const char*, va_list), const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  v(fmt, args);
  va_end(args);
}

TEST(Messages, EachFunctionDispatchesItsTypeAndFormattedText) {
  // In the order of the type numbers, which are part of the sink interface.
  void (*plain[])(const char*, ...) = {quarn::message, quarn::warning, quarn::verbose,
                                       quarn::error};
  void (*listed[])(const char*, va_list) = {quarn::vmessage, quarn::vwarning, quarn::vverbose,
                                            quarn::verror};
  capture_sink_t sink;
  for (int type = 0; type < 4; ++type) {
    plain[type]("p%d %s %05.1f %%", type, "x", 4.25);
    call_variadic(listed[type], "v%c %x", '0' + type, 0xabu);
  }
  ASSERT_EQ(sink.messages.size(), 8u);
  for (unsigned int type = 0; type < 4; ++type) {
    auto p = sink.messages[2 * type], v = sink.messages[2 * type + 1];
    EXPECT_EQ(p.text, "p" + std::to_string(type) + " x 004.2 %");
    EXPECT_EQ(v.text, "v" + std::to_string(type) + " ab");
    EXPECT_TRUE(p.type == type && v.type == type) << type;
  }
}

// With heap the text is never cut; without it, it still arrives, cut to the
// 1024-byte stack buffer.
TEST(Messages, LongTextsWholeWithHeapAndCutWithout) {
  capture_sink_t sink;
  std::string long_text = std::string(100000, 'x') + "end";
  quarn::message("%s", long_text.c_str());
  {
    qxtest::allocation_failure_scope_t no_heap(0);
    quarn::warning("x %d", 5);
    quarn::warning("%s", long_text.c_str());
  }
  ASSERT_EQ(sink.messages.size(), 3u);
  EXPECT_EQ(sink.messages[0].text, long_text);
  EXPECT_EQ(sink.messages[1].text, "x 5");
  EXPECT_EQ(sink.messages[2].text, long_text.substr(0, 1023));
}

// A sink that records the order in which the sinks of a test are called; an
// echoing one reports from inside its own handler.
struct order_sink_t : quarn::message_handler_t {
  int id;
  std::string* log;
  bool echo = false;
  order_sink_t(int id_, std::string* log_) : id(id_), log(log_) {}
  void process_message(const quarn::string&, message_t::type_t) override {
    *log += std::to_string(id);
    if (echo) quarn::message("echo");
  }
};

TEST(SinkRegistry, OrderSlotsAndExplicitRegistration) {
  std::string log;
  auto order = [&] {  // which sinks one message reaches, in call order
    log.clear();
    quarn::message("x");
    return log;
  };
  std::unique_ptr<order_sink_t> sinks[8];
  for (int i = 0; i < 8; ++i) sinks[i] = std::make_unique<order_sink_t>(i, &log);
  auto ninth = std::make_unique<order_sink_t>(9, &log);
  EXPECT_EQ(order(), "01234567");
  ninth.reset();  // never registered: its destruction changes nothing
  EXPECT_EQ(order(), "01234567");

  sinks[3].reset();  // closes the gap, keeping the order of the rest
  auto late = std::make_unique<order_sink_t>(8, &log);
  EXPECT_EQ(order(), "01245678");

  quarn::message_handler_unregister(sinks[0].get());
  quarn::message_handler_unregister(sinks[0].get());  // not registered: no change
  EXPECT_EQ(order(), "1245678");
  quarn::message_handler_register(nullptr);  // ignored, or it would take the last slot
  quarn::message_handler_register(sinks[0].get());
  EXPECT_EQ(order(), "12456780");
}

TEST(SinkRegistry, ReportingFromASinkDoesNotRecurseWithoutEnd) {
  std::string log;
  order_sink_t sink(1, &log);
  sink.echo = true;
  quarn::message("start");
  EXPECT_EQ(log, "111");  // the message and two nested echoes
}

// The console sink sends warnings and errors to stderr, the rest to stdout;
// the debugger sink writes everything but verbose texts, while it lives.
TEST(ConsoleSinks, StreamsPrefixesAndCrLf) {
  testing::internal::CaptureStdout();
  CaptureStderr();
  {
    quarn::message_stdio_t sink;
    quarn::warning("x %d", 5);
    quarn::message("y");
    quarn::verbose("z");
    quarn::error("bad %s", "thing");
    std::fflush(stdout);
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "y\r\nz\r\n");
  EXPECT_EQ(GetCapturedStderr(), "*** WARNING *** : x 5\r\n*** ERROR *** : bad thing\r\n");
  CaptureStderr();
  {
    quarn::debug_logger_t sink;
    quarn::message("first");
    quarn::verbose("never");
    quarn::warning("second");
    quarn::error("third");
  }
  quarn::error("unheard");
  EXPECT_EQ(GetCapturedStderr(), "first\r\nsecond\r\nthird\r\n");
}

TEST(Checks, AssertAndAbortFailuresAreReportedAsErrorsAndReturn) {
  capture_sink_t sink;
  quarn::v_debug_break();  // without a debugger: a trap here would end the run
  quarn::v_assert_fail("a==b", "m/f", 12, "fn");
  quarn::v_abort_fail("index overflow", "a/b.h", 1261, "unknown fn");
  EXPECT_EQ(sink.errors(), (std::vector<std::string>{"m/f:12: fn: Assertion `a==b' failed.",
                                                     "a/b.h:1261: unknown fn: index overflow"}));
}

}  // namespace
