// run_process_t: runs an external program to its end and keeps what it wrote
// to standard output and standard error, and its exit code.
//
// The command line is split into words at blanks and tabs, double quotes
// grouping words; no shell is involved, so "$", ";", "|", ">" and the like
// reach the program as plain text. The program is looked up in PATH unless
// its name contains a "/". Its standard input reads nothing (/dev/null).
//
//   quarn::run_process_t tool;
//   tool.set_command(quarn::string_alias_t("convert \"my file.tga\""));
//   tool.add_parameter(quarn::string_alias_t("out.png"));
//   if (tool.run() && tool.get_result() == 0) ... tool.get_stdout() ...
#pragma once

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/core/export.h"
#include "qxcore/strings/string_dyn.h"

namespace quarn {

struct run_process_pipe_t;    // one pipe of a run, both ends
struct run_process_reader_t;  // a pipe's read end and the text captured from it

class QX_API run_process_t {
 public:
  run_process_t();
  ~run_process_t();  // releases readers, pipes, parameters and command
  run_process_t(const run_process_t&) = delete;
  run_process_t& operator=(const run_process_t&) = delete;

  bool set_command(const string& command);      // program and fixed arguments; false if cut
  bool add_parameter(const string& parameter);  // one more argument; false if it cannot be kept

  // Starts the program, captures both streams to their end and waits for it.
  // False only when the program cannot be started; then the result and the
  // texts of the previous run stay.
  bool run();

  int get_result() const { return result_; }  // exit code; -1 before a run and when there is none
  const string& get_stdout() const;           // captured text; string::EMPTY before a run
  const string& get_stderr() const;

 private:
  string_dyn_t<> command_;
  array_dyn_t<string_dyn_t<>> parameters_;
  run_process_pipe_t* stdout_pipe_ = nullptr;  // the pipes of the last run
  run_process_pipe_t* stderr_pipe_ = nullptr;
  run_process_reader_t* stdout_reader_ = nullptr;  // capture state of the last run
  run_process_reader_t* stderr_reader_ = nullptr;
  int result_ = -1;
};

}  // namespace quarn
