#include "qxcore/fs/directory_devices.h"

#include "qxcore/fs/native_device.h"

namespace quarn {

ufs_dir_device_t::ufs_dir_device_t(fs_type_t type, const string& root, const string& prefix,
                                   bool read_only, int priority)
    : ufs_device_t(type, root, prefix, read_only, priority), native_(&native_device()) {}

file_t* ufs_dir_device_t::adopt(file_t* file) {
  if (file != nullptr) set_file_device(file, this);
  return file;
}

file_t* ufs_dir_device_t::open(const string& path) {
  if (leaves_root(path)) return nullptr;
  string_dyn_t<> host;
  return adopt(native_->open(get_path(&host, path)));
}

file_t* ufs_dir_device_t::create(const string& path) {
  if (!writable(path)) return nullptr;
  string_dyn_t<> host;
  return adopt(native_->create(get_path(&host, path)));
}

file_t* ufs_dir_device_t::append(const string& path) {
  if (!writable(path)) return nullptr;
  string_dyn_t<> host;
  return adopt(native_->append(get_path(&host, path)));
}

void ufs_dir_device_t::close(file_t* file) { native_->close(file); }

bool ufs_dir_device_t::remove(const string& path) {
  string_dyn_t<> host;
  return writable(path) && native_->remove(get_path(&host, path));
}

bool ufs_dir_device_t::mkdir(const string& path) {
  string_dyn_t<> host;
  return writable(path) && native_->mkdir(get_path(&host, path));
}

bool ufs_dir_device_t::rmdir(const string& path) {
  string_dyn_t<> host;
  return writable(path) && native_->rmdir(get_path(&host, path));
}

bool ufs_dir_device_t::stat(const string& path, fs_stat_t* out) {
  string_dyn_t<> host;
  return !leaves_root(path) && native_->stat(get_path(&host, path), out);
}

list_t<fs_direntry_t>* ufs_dir_device_t::read_dir(const string& path, bool full_paths) {
  if (leaves_root(path)) return nullptr;
  string_dyn_t<> host;
  list_t<fs_direntry_t>* listing = native_->read_dir(get_path(&host, path), false);
  if (listing != nullptr && full_paths) {
    string_dyn_t<> full;
    for (fs_direntry_t& entry : *listing) {
      full.printf("%s/%s", path.c_str(), entry.name.c_str());  // "/" and "" alike
      entry.name.copy(full);
    }
  }
  return listing;
}

}  // namespace quarn
