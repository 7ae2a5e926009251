// The eight message functions, the sink registry and the failure reports.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "qxcore/core/assertions.h"
#include "qxcore/core/messages.h"
#include "qxcore/core/system_errors.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using quarn::message_t;
using qxtest::capture_sink_t;

void call_variadic(void (*v)(const char*, va_list), const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  v(fmt, args);
  va_end(args);
}

TEST(Messages, EachFunctionDispatchesItsTypeAndFormattedText) {
  capture_sink_t sink;
  quarn::message("m %d", 1);
  quarn::warning("w %s", "two");
  quarn::verbose("v %c", '3');
  quarn::error("e %05.1f", 4.25);
  call_variadic(quarn::vmessage, "vm %u", 5u);
  call_variadic(quarn::vwarning, "vw %x", 0xabu);
  call_variadic(quarn::vverbose, "vv %%");
  call_variadic(quarn::verror, "ve %s-%s", "a", "b");

  struct expected_t {
    const char* text;
    message_t::type_t type;
  } expected[] = {
      {"m 1", message_t::TYPE_MESSAGE},   {"w two", message_t::TYPE_WARNING},
      {"v 3", message_t::TYPE_VERBOSE},   {"e 004.2", message_t::TYPE_ERROR},
      {"vm 5", message_t::TYPE_MESSAGE},  {"vw ab", message_t::TYPE_WARNING},
      {"vv %", message_t::TYPE_VERBOSE},  {"ve a-b", message_t::TYPE_ERROR},
  };
  ASSERT_EQ(sink.messages.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(sink.messages[i].text, expected[i].text) << i;
    EXPECT_EQ(sink.messages[i].type, expected[i].type) << i;
  }
  EXPECT_EQ(message_t::TYPE_MESSAGE, 0u);
  EXPECT_EQ(message_t::TYPE_WARNING, 1u);
  EXPECT_EQ(message_t::TYPE_VERBOSE, 2u);
  EXPECT_EQ(message_t::TYPE_ERROR, 3u);
}

TEST(Messages, LongTextsAreNotCut) {
  capture_sink_t sink;
  std::string long_text(100000, 'x');
  long_text += "end";
  quarn::message("%s", long_text.c_str());
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, long_text);
}

TEST(Messages, WithoutHeapTheTextStillArrivesCut) {
  capture_sink_t sink;
  std::string long_text(3000, 'y');
  {
    qxtest::allocation_failure_scope_t no_heap(0);
    quarn::warning("x %d", 5);
    quarn::warning("%s", long_text.c_str());
  }
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text, "x 5");
  EXPECT_EQ(sink.messages[1].text, long_text.substr(0, 1023));
}

// A sink that records the order in which the sinks of a test are called.
struct order_sink_t : quarn::message_handler_t {
  int id;
  std::string* log;
  order_sink_t(int id_, std::string* log_) : id(id_), log(log_) {}
  void process_message(const quarn::string&, message_t::type_t) override {
    *log += std::to_string(id);
  }
};

TEST(SinkRegistry, SinksAreCalledInRegistrationOrder) {
  std::string log;
  auto a = std::make_unique<order_sink_t>(1, &log);
  auto b = std::make_unique<order_sink_t>(2, &log);
  auto c = std::make_unique<order_sink_t>(3, &log);
  quarn::message("x");
  EXPECT_EQ(log, "123");

  b.reset();  // closes the gap, keeping the order of the rest
  auto d = std::make_unique<order_sink_t>(4, &log);
  log.clear();
  quarn::message("x");
  EXPECT_EQ(log, "134");
}

TEST(SinkRegistry, NinthSinkIsLeftOutAndItsDestructionChangesNothing) {
  std::string log;
  std::unique_ptr<order_sink_t> sinks[8];
  for (int i = 0; i < 8; ++i) sinks[i] = std::make_unique<order_sink_t>(i, &log);
  auto ninth = std::make_unique<order_sink_t>(9, &log);
  quarn::message("x");
  EXPECT_EQ(log, "01234567");

  ninth.reset();
  log.clear();
  quarn::message("x");
  EXPECT_EQ(log, "01234567");

  // Once a slot is free, a new sink gets it.
  sinks[0].reset();
  auto late = std::make_unique<order_sink_t>(8, &log);
  log.clear();
  quarn::message("x");
  EXPECT_EQ(log, "12345678");
}

TEST(SinkRegistry, ExplicitUnregisterAndRegister) {
  std::string log;
  order_sink_t a(1, &log), b(2, &log);
  quarn::message_handler_unregister(&a);
  quarn::message_handler_unregister(&a);  // not registered: no change
  quarn::message("x");
  EXPECT_EQ(log, "2");
  quarn::message_handler_register(&a);
  log.clear();
  quarn::message("x");
  EXPECT_EQ(log, "21");
  quarn::message_handler_register(nullptr);  // ignored
  log.clear();
  quarn::message("x");
  EXPECT_EQ(log, "21");
}

// A sink that reports from inside its own handler.
struct echo_sink_t : quarn::message_handler_t {
  int received = 0;
  void process_message(const quarn::string&, message_t::type_t) override {
    ++received;
    quarn::message("echo");
  }
};

TEST(SinkRegistry, ReportingFromASinkDoesNotRecurseWithoutEnd) {
  echo_sink_t sink;
  quarn::message("start");
  EXPECT_EQ(sink.received, 3);  // the message and two nested echoes
}

TEST(Checks, AssertAndAbortFailuresAreReportedAsErrorsAndReturn) {
  capture_sink_t sink;
  quarn::v_assert_fail("a==b", "m/f", 12, "fn");
  quarn::v_abort_fail("[array_t] boundary check failed - index overflow",
                      "collections/arrays/arrays_base_impl.h", 1261, "unknown fn");
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text, "m/f:12: fn: Assertion `a==b' failed.");
  EXPECT_EQ(sink.messages[1].text,
            "collections/arrays/arrays_base_impl.h:1261: unknown fn: "
            "[array_t] boundary check failed - index overflow");
  EXPECT_EQ(sink.messages[0].type, message_t::TYPE_ERROR);
  EXPECT_EQ(sink.messages[1].type, message_t::TYPE_ERROR);
}

TEST(Checks, DebugBreakWithoutDebuggerReturns) {
  capture_sink_t sink;
  quarn::v_debug_break();  // a trap here would end the test run
  quarn::message("after");
  ASSERT_EQ(sink.messages.size(), 1u);
}

TEST(SystemErrors, ErrnoAndItsText) {
  int codes[] = {0, EINVAL, ENOENT, EACCES, 9999};
  for (int code : codes) {
    // Texts of unknown codes live in a buffer that the next call replaces.
    std::string ours = quarn::v_strerror(code);
    EXPECT_EQ(ours, std::strerror(code)) << code;
  }
  errno = ERANGE;
  EXPECT_EQ(quarn::v_errno_addr(), &errno);
  EXPECT_EQ(*quarn::v_errno_addr(), ERANGE);
}

}  // namespace
