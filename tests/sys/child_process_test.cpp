// Child processes, run for real: shell scripts that write megabytes to both
// streams, exit with chosen codes or die by a signal; printf showing which
// words arrived; programs that do not exist. The process is checked for
// leaked descriptors (/proc/self/fd) and unreaped children afterwards.
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
using quarn::run_process_t;
using quarn::string_alias_t;

struct outcome_t {
  bool started;
  int result;
  std::string out, err;
};

outcome_t run(run_process_t* process) {
  bool started = process->run();
  return {started, process->get_result(), process->get_stdout().c_str(),
          process->get_stderr().c_str()};
}

outcome_t run(const std::string& command, const std::vector<std::string>& parameters = {}) {
  run_process_t process;
  EXPECT_TRUE(process.set_command(string_alias_t(command.c_str())));
  for (const std::string& p : parameters)
    EXPECT_TRUE(process.add_parameter(string_alias_t(p.c_str())));
  return run(&process);
}

std::size_t open_descriptors() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// True when this process has no child left, reaped or not.
bool no_children() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

TEST(ChildProcessTest, ExitCodes) {
  struct {
    const char* command;
    int result;  // -1: killed, so there is no exit code
    const char* out;
  } cases[] = {
      {"/bin/sh -c \"exit 0\"", 0, ""},
      {"/bin/sh -c \"exit 3\"", 3, ""},
      {"/bin/sh -c \"exit 255\"", 255, ""},
      {"/bin/sh -c \"exit 256\"", 0, ""},  // only the low 8 bits reach the parent
      {"false", 1, ""},                    // found in PATH
      {"/bin/sh -c \"echo dying; kill -9 $$\"", -1, "dying\n"},
      {"/bin/sh -c \"kill -TERM $$; exit 4\"", -1, ""},
      {"cat", 0, ""},  // reads /dev/null, not the host's input
  };
  for (const auto& c : cases) {
    outcome_t o = run(c.command);
    EXPECT_TRUE(o.started) << c.command;
    EXPECT_EQ(o.result, c.result) << c.command;
    EXPECT_EQ(o.out, c.out) << c.command;
    EXPECT_EQ(o.err, "") << c.command;
  }
}

TEST(ChildProcessTest, SignalsTheHostIgnoresAreDefaultInTheChild) {
  // A shell that starts with SIGTERM ignored may not un-ignore it; the kill
  // would then do nothing and the script would exit with 4.
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGTERM, &ignore, &previous);
  outcome_t o = run("/bin/sh -c \"kill -TERM $$; exit 4\"");
  sigaction(SIGTERM, &previous, nullptr);
  EXPECT_TRUE(o.started);
  EXPECT_EQ(o.result, -1);
}

TEST(ChildProcessTest, CapturesMegabytesOnBothStreamsCompletely) {
  // Eight rounds of 500000 bytes to each stream, alternating, then a last
  // word on each just before exit. Each stream alone is far beyond a pipe's
  // buffer, so a reader that waits on one stream while the child is blocked
  // on the other never finishes.
  outcome_t o =
      run("/bin/sh -c \"for i in 1 2 3 4 5 6 7 8; do head -c 500000 /dev/zero | tr '\\0' o; "
          "head -c 500000 /dev/zero | tr '\\0' e >&2; done; printf END; printf ERR >&2; exit 5\"");
  EXPECT_TRUE(o.started);
  EXPECT_EQ(o.result, 5);
  ASSERT_EQ(o.out.size(), 4000003u);
  ASSERT_EQ(o.err.size(), 4000003u);
  EXPECT_EQ(o.out, std::string(4000000, 'o') + "END");
  EXPECT_EQ(o.err, std::string(4000000, 'e') + "ERR");
}

TEST(ChildProcessTest, WordsAreSplitWithoutAShell) {
  char scratch[] = "/tmp/qxcore_run_XXXXXX";
  ASSERT_NE(mkdtemp(scratch), nullptr);
  std::string dir = scratch;
  // printf repeats its format for every argument, so each word arrives as <word>.
  struct {
    const char* command;
    std::vector<std::string> parameters;
    std::string out;
  } cases[] = {
      {"printf <%s>\\n", {"a b"}, "<a>\n<b>\n"},  // unquoted: the child sees two words
      {"printf <%s>\\n", {"\"a b\""}, "<a b>\n"},
      {"printf <%s>\\n", {"a\tb  c"}, "<a>\n<b>\n<c>\n"},
      {"printf <%s>\\n", {"x\"y z\"w", "\"\""}, "<xy zw>\n<>\n"},
      {"printf \"[%s] \"", {"1", "2"}, "[1] [2] "},
      {"printf <%s>\\n",
       {"$(touch " + dir + "/x)", ";rm", "|", "&&", ">" + dir + "/y"},
       "<$(touch>\n<" + dir + "/x)>\n<;rm>\n<|>\n<&&>\n<>" + dir + "/y>\n"},
      {"printf <%s>\\n",
       {"`touch " + dir + "/z`", "*", "$HOME", "'q'"},
       "<`touch>\n<" + dir + "/z`>\n<*>\n<$HOME>\n<'q'>\n"},
  };
  for (const auto& c : cases) {
    outcome_t o = run(c.command, c.parameters);
    EXPECT_TRUE(o.started) << c.command;
    EXPECT_EQ(o.result, 0) << c.command;
    EXPECT_EQ(o.out, c.out) << c.command;
  }
  for (const char* name : {"x", "x)", "y", "z", "z`"})
    EXPECT_FALSE(fs::exists(dir + "/" + name)) << name << " was created by a shell";
  fs::remove_all(dir);
}

TEST(ChildProcessTest, NulBytesAreLeftOutOfTheText) {
  outcome_t o = run("printf a\\000b\\000\\000c");
  EXPECT_EQ(o.out, "abc");
}

TEST(ChildProcessTest, ProgramsThatCannotStart) {
  for (const char* command :
       {"/no/such/program", "qxcore-no-such-program", "", "   ", "\"\"", "/tmp"}) {
    run_process_t fresh;
    fresh.set_command(string_alias_t(command));
    EXPECT_FALSE(fresh.run()) << command;
    EXPECT_EQ(fresh.get_result(), -1) << command;
    EXPECT_EQ(&fresh.get_stdout(), &quarn::string::EMPTY) << command;
    EXPECT_EQ(&fresh.get_stderr(), &quarn::string::EMPTY) << command;
  }

  // A failed run keeps what the previous run left.
  run_process_t process;
  process.set_command(string_alias_t("/bin/sh -c \"echo out; echo err >&2; exit 3\""));
  ASSERT_TRUE(process.run());
  process.set_command(string_alias_t("/no/such/program"));
  EXPECT_FALSE(process.run());
  EXPECT_EQ(process.get_result(), 3);
  EXPECT_STREQ(process.get_stdout().c_str(), "out\n");
  EXPECT_STREQ(process.get_stderr().c_str(), "err\n");

  // The next run replaces all of it.
  process.set_command(string_alias_t("/bin/sh -c \"printf next\""));
  EXPECT_TRUE(process.run());
  EXPECT_EQ(process.get_result(), 0);
  EXPECT_STREQ(process.get_stdout().c_str(), "next");
  EXPECT_STREQ(process.get_stderr().c_str(), "");
}

TEST(ChildProcessTest, LeavesNoDescriptorAndNoChildBehind) {
  std::size_t before = open_descriptors();
  for (const char* command : {"/bin/sh -c \"echo a; echo b >&2\"", "/bin/sh -c \"kill -9 $$\"",
                              "/no/such/program", "/bin/sh -c \"exec 1>&- 2>&-; sleep 0\""}) {
    run(command);
    EXPECT_EQ(open_descriptors(), before) << command;
    EXPECT_TRUE(no_children()) << command;
  }
}

TEST(ChildProcessTest, RefusedMemoryNeverCrashesOrLeaks) {
  // Every allocation in turn is refused; the run either does not start or
  // keeps what it could, and the counting hooks catch any leak.
  qxtest::capture_sink_t sink;
  bool completed = false;
  for (std::size_t allowed = 0; allowed < 40 && !completed; ++allowed) {
    run_process_t process;
    bool has_parameter;
    outcome_t o;
    {
      qxtest::allocation_failure_scope_t refuse(allowed);
      process.set_command(string_alias_t("printf abc%s"));
      has_parameter = process.add_parameter(string_alias_t("def"));
      o = run(&process);
    }
    if (!o.started) continue;
    EXPECT_EQ(o.result, 0);
    completed = o.out == (has_parameter ? "abcdef" : "abc");
    if (!completed) {
      ASSERT_FALSE(sink.warnings().empty()) << allowed;
      EXPECT_EQ(sink.warnings().back(),
                "[sys] Out of memory for the output of 'printf abc%s'; the rest of it is dropped");
    }
  }
  EXPECT_TRUE(completed);
}

}  // namespace
