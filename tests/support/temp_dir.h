// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qxtest {

class temp_dir_t {
 public:
  temp_dir_t() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qxcore_test_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~temp_dir_t() { std::filesystem::remove_all(path_); }
  temp_dir_t(const temp_dir_t&) = delete;
  temp_dir_t& operator=(const temp_dir_t&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  // Writes a file (making its directories) and answers its host path.
  std::string write(const std::string& name, const std::string& bytes) const {
    std::string full = *this / name;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream(full, std::ios::binary) << bytes;
    return full;
  }

  static std::vector<unsigned char> read_bytes(const std::string& path) {
    std::string text = read(path);
    return std::vector<unsigned char>(text.begin(), text.end());
  }

  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};

}  // namespace qxtest
