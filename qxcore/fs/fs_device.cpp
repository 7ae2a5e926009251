#include "qxcore/fs/fs_device.h"

#include <cstring>

namespace quarn {

const string& fs_device_t::device_name() const { return string::EMPTY; }

bool fs_device_t::get_location(mstring_t* out, const file_t* file) const { return out->copy(file->path()); }

bool fs_device_t::mkfiledir(const string& path) {
  const char* text = path.c_str();
  const char* slash = std::strrchr(text, '/');
  if (slash == nullptr || slash == text) return true;
  string_dyn_t<> directory;
  directory.copy(path, 0, 0, static_cast<unsigned int>(slash - text));
  return mkdir(directory);
}

}  // namespace quarn
