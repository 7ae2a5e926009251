// qxtool's shared pieces: the command table entry, argument helpers, the
// virtual path space built from --mount options, all-or-nothing output files
// and the progress bar. Each command lives in its own cmd_<name>.cpp and is
// listed in main.cpp's table.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "qxcore/qxcore.h"

namespace qxtool {

// Exit statuses shared by every command.
constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 64;

using args_t = std::vector<std::string>;

struct command_t {
  const char* name;
  const char* summary;                         // one line for the tool's --help
  const char* help;                            // the command's --help text, usage line first
  int (*run)(const char* name, args_t& args);  // args: what followed the command's name
};

// Reports on standard error as "qxtool <command>: <text>"; answers the status
// to exit with.
int fail(const char* command, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
int usage(const char* command, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Takes a flag (e.g. "-l") out of args; true when it was there.
bool take_flag(args_t& args, const char* flag);
// Takes "--name VALUE" (or "--name=VALUE") out of args, every occurrence in
// order; false (after a usage report) when a value is missing.
bool take_values(const char* command, args_t& args, const char* name,
                 std::vector<std::string>* out);
// An option left among the operands is a usage error; "--" ends options.
bool only_operands(const char* command, args_t& args);

// The --mount options of ls, cat, stat and extract: ROOT[:PREFIX[:PRIORITY]],
// a host directory under a virtual prefix ("" by default), or an archive file
// (archives take no prefix: members are found by their whole virtual path).
// Without a priority, later mounts overlay earlier ones.
class mounts_t {
 public:
  ~mounts_t();
  int mount(const char* command, const std::vector<std::string>& specs);  // an exit status

 private:
  std::vector<quarn::ufs_device_t*> devices_;
};

// Reads a host file whole; false (reported) when it cannot.
bool read_host_file(const char* command, const std::string& path, std::string* out);
// Reads an open library file whole.
bool read_file(quarn::file_t* file, std::string* out);

// A file that appears under its name only when commit() succeeds: it is
// written beside it under a temporary name, removed when not committed.
class output_file_t {
 public:
  explicit output_file_t(std::string path);
  ~output_file_t();
  bool open(const char* command);
  bool write(const void* data, std::size_t size);  // a failure is reported by commit
  void set_failed() { failed_ = true; }            // a writer of the library answered false
  quarn::file_t* file() { return file_; }          // the library's view, for its writers
  bool commit(const char* command);                // closes and renames; reported on failure

 private:
  std::string path_, temporary_;
  quarn::file_t* file_ = nullptr;
  bool failed_ = false;
};

// A bar on standard error, drawn only when it is a terminal.
class progress_t {
 public:
  explicit progress_t(std::size_t total);
  ~progress_t();  // clears the bar
  void step(const std::string& what);

 private:
  std::size_t total_, done_ = 0;
  bool shown_;
};

// Host paths.
bool is_directory(const std::string& path);
bool is_regular_file(const std::string& path);
std::string base_name(const std::string& path);

}  // namespace qxtool
