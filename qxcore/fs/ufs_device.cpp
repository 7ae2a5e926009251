#include "qxcore/fs/ufs_device.h"

#include <cstring>

namespace quarn {

namespace {

// Characters of `text` after its first `skip`, or "" when it is shorter.
const char* after(const string& text, unsigned int skip) {
  return ::strnlen(text.c_str(), skip) < skip ? string::NUL_CHAR : text.c_str() + skip;
}

}  // namespace

ufs_device_t::ufs_device_t(fs_type_t type, const string& root, const string& prefix, bool read_only,
                           int priority)
    : fs_device_t(type), root_(root), prefix_(prefix), read_only_(read_only), priority_(priority) {}

ufs_device_t::~ufs_device_t() = default;

const string& ufs_device_t::get_root() const { return root_; }

const string& ufs_device_t::get_path(mstring_t* out, const string& path) const {
  out->printf("%s%s", root_.c_str(), after(path, prefix_.length()));
  return *out;
}

const string& ufs_device_t::device_name() const { return root_; }

bool ufs_device_t::get_location(mstring_t* out, const file_t* file) const {
  return out->printf("%s%s", prefix_.c_str(), after(file->path(), get_root().length()));
}

bool ufs_device_t::leaves_root(const string& path) {
  const char* p = path.c_str();
  while (*p != '\0') {
    const char* end = std::strchr(p, '/');
    std::size_t length = end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p);
    if (length == 2 && p[0] == '.' && p[1] == '.') return true;
    if (end == nullptr) break;
    p = end + 1;
  }
  return false;
}

}  // namespace quarn
