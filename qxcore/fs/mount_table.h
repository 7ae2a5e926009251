// fs_mount_table_t: the root of the virtual path space. Mounted devices are
// kept by descending priority; an operation on a path goes to each device
// whose priority lies in the range and whose prefix begins the path (a plain
// byte comparison: "/home" also takes "/homework"), until one succeeds. So a
// read finds the highest-priority copy of a file, and a create lands on the
// highest-priority device that accepts it. Listings merge all devices, the
// higher-priority entry winning a name.
#pragma once

#include "qxcore/fs/ufs_device.h"

namespace quarn {

class QX_API fs_mount_table_t : public fs_device_t {
 public:
  constexpr fs_mount_table_t() : fs_device_t(FS_TYPE_VIRTUAL) {}
  ~fs_mount_table_t() override;  // forgets the mount list; mounted devices are not destroyed

  // The operations of every device, over the default priority range.
  file_t* open(const string& path) override;
  file_t* create(const string& path) override;
  file_t* append(const string& path) override;
  void close(file_t* file) override;  // a file belongs to the device that opened it
  bool remove(const string& path) override;
  bool mkdir(const string& path) override;
  bool rmdir(const string& path) override;
  bool stat(const string& path, fs_stat_t* out) override;
  list_t<fs_direntry_t>* read_dir(const string& path, bool full_paths) override;  // never null

  // The same over a range of priorities.
  virtual file_t* open(const string& path, const fs_priority_range_t& range);
  virtual file_t* create(const string& path, const fs_priority_range_t& range);
  virtual file_t* append(const string& path, const fs_priority_range_t& range);
  virtual bool remove(const string& path, const fs_priority_range_t& range);
  virtual bool mkdir(const string& path, const fs_priority_range_t& range);
  virtual bool rmdir(const string& path, const fs_priority_range_t& range);
  virtual bool stat(const string& path, fs_stat_t* out, const fs_priority_range_t& range);
  virtual list_t<fs_direntry_t>* read_dir(const string& path, bool full_paths,
                                          const fs_priority_range_t& range);

  // Builds a device of `kind` and mounts it; null for an unknown kind or when
  // the device cannot be allocated. A device whose root cannot be read is
  // still mounted (and serves nothing).
  ufs_device_t* mount(fs_device_type_t kind, const string& root, const string& prefix, bool read_only,
                      int priority);
  void unmount(ufs_device_t* device);  // takes it out (if mounted) and destroys it

  // The mounted devices, highest priority first; null while nothing is mounted.
  const list_t<ufs_device_t*>* mounts() const { return mounts_; }

 private:
  template <class Operation>
  auto route(const string& path, const fs_priority_range_t& range, Operation operation);

  list_t<ufs_device_t*>* mounts_ = nullptr;
};

// The one mount table of the library; null once it is torn down at unload.
QX_API fs_mount_table_t* fs_mount_table();

}  // namespace quarn
