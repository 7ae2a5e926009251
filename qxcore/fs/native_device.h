// The native device: the host file system, addressed with host paths that
// are used unchanged. There is one, for the life of the library; it is what
// fs_* calls with FS_TYPE_NATIVE reach, and what the directory and archive
// devices open host files through.
#pragma once

#include "qxcore/fs/fs_device.h"

namespace quarn {

class QX_API native_device_t : public fs_device_t {
 public:
  constexpr native_device_t() : fs_device_t(FS_TYPE_NATIVE) {}

  file_t* open(const string& path) override;    // "rb"
  file_t* create(const string& path) override;  // parent directories made, then "wb+"
  file_t* append(const string& path) override;  // parent directories made, then "ab+"
  void close(file_t* file) override;
  bool remove(const string& path) override;
  bool mkdir(const string& path) override;  // every directory on the way; always true
  bool rmdir(const string& path) override;
  bool stat(const string& path, fs_stat_t* out) override;
  // Host order; ".", ".." and ".svn" left out.
  list_t<fs_direntry_t>* read_dir(const string& path, bool full_paths) override;
};

QX_API native_device_t& native_device();

}  // namespace quarn
