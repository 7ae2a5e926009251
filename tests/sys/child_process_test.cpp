// Child processes, run for real: shell scripts that write megabytes to both
// streams or die by a signal, printf showing which words arrived, programs
// that do not exist. Every test ends without a leaked descriptor or child.
#include "qxcore/sys/child_process.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {
namespace fs = std::filesystem;
using quarn::string_alias_t;

struct outcome_t {
  bool started;
  int result;
  std::string out, err;
};

outcome_t run(quarn::run_process_t* p) {
  bool started = p->run();
  return {started, p->get_result(), p->get_stdout().c_str(), p->get_stderr().c_str()};
}

outcome_t run(const std::string& command, const std::vector<std::string>& parameters = {}) {
  quarn::run_process_t p;
  EXPECT_TRUE(p.set_command(string_alias_t(command.c_str())));
  for (const std::string& w : parameters) EXPECT_TRUE(p.add_parameter(string_alias_t(w.c_str())));
  return run(&p);
}

std::size_t open_descriptors() {
  return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
}

class ChildProcessTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(open_descriptors(), descriptors_);
    EXPECT_TRUE(waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD) << "a child was left";
  }
  std::size_t descriptors_ = open_descriptors();
};

// One process object runs every command in turn: each run replaces the
// previous results, except a run that cannot start, which keeps them.
TEST_F(ChildProcessTest, ExitCodesSignalsOutputAndProgramsThatCannotStart) {
  constexpr int NOT_STARTED = -2;
  struct {
    const char* command;
    int result;  // -1: ended by a signal, so there is no exit code
    std::string out, err;
  } cases[] = {
      {"/no/such/program", NOT_STARTED},
      {"/bin/sh -c \"echo out; echo err >&2; exit 255\"", 255, "out\n", "err\n"},
      {"/no/such/program", NOT_STARTED},
      {"qxcore-no-such-program", NOT_STARTED},
      {" \t ", NOT_STARTED},
      {"false", 1},  // found in PATH
      {"cat", 0},    // reads /dev/null, not the host's input
      {"/bin/sh -c \"echo dying; kill -9 $$\"", -1, "dying\n"},
      // The host ignores SIGTERM (below); a shell that started with it
      // ignored could not un-ignore it and would exit with 4.
      {"/bin/sh -c \"kill -TERM $$; exit 4\"", -1},
      // 8 x 500000 bytes to each stream in turn, far beyond a pipe's buffer,
      // then a last word on each just before exit.
      {"/bin/sh -c \"for i in 1 2 3 4 5 6 7 8; do head -c 500000 /dev/zero | tr '\\0' o; "
       "head -c 500000 /dev/zero | tr '\\0' e >&2; done; printf END; printf ERR >&2; exit 5\"",
       5, std::string(4000000, 'o') + "END", std::string(4000000, 'e') + "ERR"},
  };
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGTERM, &ignore, &previous);
  quarn::run_process_t p;
  outcome_t want = {false, -1, "", ""};
  for (const auto& c : cases) {
    p.set_command(string_alias_t(c.command));
    outcome_t o = run(&p);
    want.started = c.result != NOT_STARTED;
    if (want.started) want = {true, c.result, c.out, c.err};
    EXPECT_TRUE(o.started == want.started && o.result == want.result && o.out == want.out &&
                o.err == want.err)
        << c.command << " gave " << o.result << " \"" << o.out.substr(0, 80) << "\" \""
        << o.err.substr(0, 80) << "\" (" << o.out.size() << " and " << o.err.size() << " bytes)";
  }
  sigaction(SIGTERM, &previous, nullptr);
}

TEST_F(ChildProcessTest, WordsAreSplitWithoutAShell) {
  char pattern[] = "/tmp/qxcore_run_XXXXXX";
  std::string dir = mkdtemp(pattern);
  // printf repeats its format for every argument, so each word arrives as <word>.
  struct {
    const char* command;
    std::vector<std::string> parameters;
    std::string out;
  } cases[] = {
      // Unquoted blanks split a parameter into words; quotes join them.
      {"printf <%s>\\n",
       {"\"a b\"", "a\tb  c", "x\"y z\"w", "\"\""},
       "<a b>\n<a>\n<b>\n<c>\n<xy zw>\n<>\n"},
      {"printf \"[%s] \"", {"1", "2"}, "[1] [2] "},
      {"printf <%s>\\n",
       {"$(touch " + dir + "/x)", "`touch " + dir + "/z`", ";", "*", ">" + dir + "/y"},
       "<$(touch>\n<" + dir + "/x)>\n<`touch>\n<" + dir + "/z`>\n<;>\n<*>\n<>" + dir + "/y>\n"},
      {"printf a\\000b\\000\\000c", {}, "abc"},  // NUL bytes are left out
  };
  for (const auto& c : cases) {
    outcome_t o = run(c.command, c.parameters);
    EXPECT_TRUE(o.started && o.result == 0) << c.command;
    EXPECT_EQ(o.out, c.out) << c.command;
  }
  EXPECT_TRUE(fs::is_empty(dir)) << "a shell created a file";
  fs::remove_all(dir);
}

TEST_F(ChildProcessTest, RefusedMemoryNeverCrashesOrLeaks) {
  // Each allocation in turn is refused; the counting hooks catch any leak.
  qxtest::capture_sink_t sink;
  bool completed = false, dropped_once = false;
  for (std::size_t allowed = 0; allowed < 40 && !completed; ++allowed) {
    quarn::run_process_t p;
    bool has_parameter;
    outcome_t o;
    {
      qxtest::allocation_failure_scope_t refuse(allowed);
      p.set_command(string_alias_t("printf abc%s"));
      has_parameter = p.add_parameter(string_alias_t("def"));
      o = run(&p);
    }
    if (!o.started) continue;
    EXPECT_EQ(o.result, 0);
    completed = o.out == (has_parameter ? "abcdef" : "abc");
    std::vector<std::string> dropped = {
        "[sys] Out of memory for the output of 'printf abc%s'; the rest of it is dropped"};
    EXPECT_TRUE(completed || sink.warnings() == dropped) << allowed;
    dropped_once = dropped_once || !completed;
    sink.messages.clear();
  }
  EXPECT_TRUE(completed && dropped_once);
}

}  // namespace
