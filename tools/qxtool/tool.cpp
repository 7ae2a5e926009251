#include "tools/qxtool/tool.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace qxtool {

namespace {

int report(int status, const char* command, const char* fmt, va_list args) {
  std::fprintf(stderr, "qxtool %s: ", command);
  std::vfprintf(stderr, fmt, args);
  std::fputc('\n', stderr);
  if (status == EXIT_USAGE) std::fprintf(stderr, "Try 'qxtool %s --help'.\n", command);
  return status;
}

}  // namespace

int fail(const char* command, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  report(EXIT_FAILED, command, fmt, args);
  va_end(args);
  return EXIT_FAILED;
}

int usage(const char* command, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  report(EXIT_USAGE, command, fmt, args);
  va_end(args);
  return EXIT_USAGE;
}

bool take_flag(args_t& args, const char* flag) {
  bool found = false;
  for (auto it = args.begin(); it != args.end() && *it != "--";) {
    if (*it == flag) {
      it = args.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  return found;
}

bool take_values(const char* command, args_t& args, const char* name,
                 std::vector<std::string>* out) {
  const std::string joined = std::string(name) + "=";
  for (std::size_t i = 0; i < args.size() && args[i] != "--";) {
    if (args[i] == name) {
      if (i + 1 == args.size()) {
        usage(command, "%s needs a value", name);
        return false;
      }
      out->push_back(args[i + 1]);
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
    } else if (args[i].rfind(joined, 0) == 0) {
      out->push_back(args[i].substr(joined.size()));
      args.erase(args.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
  return true;
}

bool only_operands(const char* command, args_t& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      args.erase(args.begin() + static_cast<long>(i));
      return true;
    }
    if (args[i].size() > 1 && args[i][0] == '-') {
      usage(command, "unknown option '%s'", args[i].c_str());
      return false;
    }
  }
  return true;
}

mounts_t::~mounts_t() {
  for (quarn::ufs_device_t* device : devices_) quarn::ufs_unmount(device);
}

int mounts_t::mount(const char* command, const std::vector<std::string>& specs) {
  int next_priority = 100;
  for (const std::string& spec : specs) {
    std::string root = spec, prefix, priority_text;
    std::size_t colon = root.find(':');
    if (colon != std::string::npos) {
      prefix = root.substr(colon + 1);
      root.resize(colon);
      colon = prefix.find(':');
      if (colon != std::string::npos) {
        priority_text = prefix.substr(colon + 1);
        prefix.resize(colon);
      }
    }
    int priority = next_priority++;
    if (!priority_text.empty()) {
      char* end = nullptr;
      long value = std::strtol(priority_text.c_str(), &end, 10);
      if (*end != '\0' || value < -10000 || value > 100000) {
        return usage(command, "the priority in '%s' is not a whole number from -10000 to 100000",
                     spec.c_str());
      }
      priority = static_cast<int>(value);
    }
    if (!prefix.empty() && (prefix[0] != '/' || prefix.back() == '/')) {
      return usage(command, "the prefix in '%s' must begin with '/' and not end with one",
                   spec.c_str());
    }
    quarn::fs_device_type_t kind;
    if (is_directory(root)) {
      kind = quarn::FS_DEVICE_DIRECTORY;
    } else if (is_regular_file(root)) {
      kind = quarn::FS_DEVICE_ARCHIVE;
      // The archive device looks members up by the whole virtual path.
      if (!prefix.empty()) {
        return usage(command, "an archive ('%s') is mounted without a prefix", root.c_str());
      }
    } else {
      return fail(command, "cannot mount '%s': no such directory or archive", root.c_str());
    }
    quarn::ufs_device_t* device =
        quarn::ufs_mount(kind, quarn::string_alias_t(root.c_str()),
                         quarn::string_alias_t(prefix.c_str()), true, priority);
    if (device == nullptr) {
      return fail(command, "cannot mount '%s'", root.c_str());
    }
    devices_.push_back(device);
  }
  return EXIT_OK;
}

bool read_host_file(const char* command, const std::string& path, std::string* out) {
  std::FILE* f = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    fail(command, "cannot open '%s': %s", path.c_str(), std::strerror(errno));
    return false;
  }
  out->clear();
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out->append(buffer, n);
  const bool ok = std::ferror(f) == 0;
  if (f != stdin) std::fclose(f);
  if (!ok) fail(command, "cannot read '%s'", path.c_str());
  return ok;
}

bool read_file(quarn::file_t* file, std::string* out) {
  out->assign(file->size(), '\0');
  return out->empty() || file->read(out->data(), static_cast<unsigned int>(out->size()));
}

output_file_t::output_file_t(std::string path)
    : path_(std::move(path)), temporary_(path_ + ".qxtool-" + std::to_string(::getpid())) {}

output_file_t::~output_file_t() {
  if (file_ == nullptr) return;
  delete file_;
  std::remove(temporary_.c_str());
}

bool output_file_t::open(const char* command) {
  file_ = quarn::fs_create(quarn::string_alias_t(temporary_.c_str()), quarn::FS_TYPE_NATIVE);
  if (file_ == nullptr) fail(command, "cannot create '%s'", path_.c_str());
  return file_ != nullptr;
}

bool output_file_t::write(const void* data, std::size_t size) {
  if (size > 0xFFFFFFFFu || (size > 0 && !file_->write(data, static_cast<unsigned int>(size))))
    failed_ = true;
  return !failed_;
}

bool output_file_t::commit(const char* command) {
  file_->flush();
  const bool written = !failed_ && file_->get_error() == quarn::FS_ERROR_NONE;
  delete file_;
  file_ = nullptr;
  if (written && std::rename(temporary_.c_str(), path_.c_str()) == 0) return true;
  std::remove(temporary_.c_str());
  fail(command, "cannot write '%s'", path_.c_str());
  return false;
}

progress_t::progress_t(std::size_t total)
    : total_(total), shown_(total > 0 && ::isatty(STDERR_FILENO) == 1) {}

progress_t::~progress_t() {
  if (shown_) std::fprintf(stderr, "\r\033[K");
}

void progress_t::step(const std::string& what) {
  ++done_;
  if (!shown_) return;
  constexpr std::size_t WIDTH = 30;
  const std::size_t filled = done_ * WIDTH / total_;
  std::fprintf(stderr, "\r\033[K[%s%s] %zu/%zu %.40s", std::string(filled, '#').c_str(),
               std::string(WIDTH - filled, ' ').c_str(), done_, total_, what.c_str());
  std::fflush(stderr);
}

bool is_directory(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool is_regular_file(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

std::string base_name(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace qxtool
