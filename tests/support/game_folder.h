// A game folder for the standard mounts and the resource tests: a temporary
// directory that becomes the current directory while the folder lives (the
// standard mounts and the converter are found relative to it), with host
// files at chosen modification times and archives made by Info-ZIP.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/temp_dir.h"

namespace qxtest {

// Sets an environment variable (or unsets it, for nullopt) until the end of
// the scope.
class scoped_env_t {
 public:
  scoped_env_t(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  }
  ~scoped_env_t() { old_ ? ::setenv(name_.c_str(), old_->c_str(), 1) : ::unsetenv(name_.c_str()); }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class game_folder_t : public temp_dir_t {
 public:
  game_folder_t() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path());
  }
  ~game_folder_t() { std::filesystem::current_path(previous_); }

  // Writes a file relative to the folder, stamped `time` seconds since 1970.
  std::string write_at(const std::string& name, const std::string& bytes, long time) const {
    std::string full = write(name, bytes);
    set_time(full, time);
    return full;
  }
  static void set_time(const std::string& file, long time) {
    timespec times[2] = {{time, 0}, {time, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0) << file;
  }
  static long time_of(const std::string& file) {
    struct stat status {};
    ::stat(file.c_str(), &status);
    return status.st_mtime;
  }

  // A stored archive of the directory `staging` (relative to the folder),
  // made by `zip -0`.
  void zip(const std::string& archive, const std::string& staging) const {
    std::filesystem::create_directories(std::filesystem::path(*this / archive).parent_path());
    std::string command =
        "cd '" + (*this / staging) + "' && zip -0 -q -r '" + (*this / archive) + "' .";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

 private:
  std::filesystem::path previous_;
};

}  // namespace qxtest
