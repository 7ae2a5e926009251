// ufs_device_t: the base of every device mounted in the virtual path space.
// It serves a host root (a directory, or an archive file) under a virtual
// prefix, with a priority and a read-only flag, and maps virtual paths to
// host paths: root "rsrc" with prefix "" maps "/def/a.dat" to "rsrc/def/a.dat".
#pragma once

#include "qxcore/fs/fs_device.h"

namespace quarn {

class QX_API ufs_device_t : public fs_device_t {
 public:
  ufs_device_t(fs_type_t type, const string& root, const string& prefix, bool read_only, int priority);
  ~ufs_device_t() override;

  virtual const string& get_root() const;  // "" for archives
  // Writes root + path without its first strlen(prefix) characters into out
  // and answers out.
  virtual const string& get_path(mstring_t* out, const string& path) const;

  const string& device_name() const override;  // the root
  const string& prefix() const { return prefix_; }
  bool read_only() const { return read_only_; }
  int priority() const { return priority_; }

 protected:
  // prefix + the file's path without its first strlen(get_root()) characters.
  bool get_location(mstring_t* out, const file_t* file) const override;

  // Whether a virtual path names ".." as one of its components: such a path
  // could leave the device's root, so directory devices refuse it.
  static bool leaves_root(const string& path);

  string_dyn_t<> root_;
  string_dyn_t<> prefix_;
  bool read_only_;
  int priority_;
};

}  // namespace quarn
