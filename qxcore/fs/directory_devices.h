// The two mountable kinds over a host directory. ufs_dir_device_t
// (FS_DEVICE_DIRECTORY) maps each virtual path to a host path and hands the
// call to the native device; read-only, it refuses every change.
// ufs_list_device_t (FS_DEVICE_LISTING) only answers stat and read_dir, so a
// tree can be listed without its files being opened. Neither lets a path
// with a ".." component reach the host.
#pragma once

#include "qxcore/fs/ufs_device.h"

namespace quarn {

class QX_API ufs_dir_device_t : public ufs_device_t {
 public:
  ufs_dir_device_t(fs_type_t type, const string& root, const string& prefix, bool read_only, int priority);

  file_t* open(const string& path) override;
  file_t* create(const string& path) override;  // parent directories are made
  file_t* append(const string& path) override;
  void close(file_t* file) override;
  bool remove(const string& path) override;
  bool mkdir(const string& path) override;
  bool rmdir(const string& path) override;
  bool stat(const string& path, fs_stat_t* out) override;
  // Full names are the virtual path given, "/" and the name.
  list_t<fs_direntry_t>* read_dir(const string& path, bool full_paths) override;

 protected:
  bool writable(const string& path) const { return !read_only_ && !leaves_root(path); }
  file_t* adopt(file_t* file);  // a file the native device opened becomes ours

  fs_device_t* native_;
};

class QX_API ufs_list_device_t : public ufs_dir_device_t {
 public:
  using ufs_dir_device_t::ufs_dir_device_t;

  file_t* open(const string&) override { return nullptr; }
  file_t* create(const string&) override { return nullptr; }
  file_t* append(const string&) override { return nullptr; }
  void close(file_t*) override {}
  bool remove(const string&) override { return false; }
  bool mkdir(const string&) override { return false; }
  bool rmdir(const string&) override { return false; }
};

}  // namespace quarn
