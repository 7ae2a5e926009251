// zipfs_device_t (FS_DEVICE_ARCHIVE): a read-only ZIP archive of stored
// members. The central directory is read once, when the device is built, into
// a name tree; members are then read straight out of the archive file. Only
// the stored method is supported: other records are reported and left out.
// Messages carry the tag "[zipfs]".
#pragma once

#include "qxcore/fs/ufs_device.h"
#include "qxcore/fs/zipfs_tree.h"

namespace quarn {

class QX_API zipfs_device_t : public ufs_device_t {
 public:
  // Opens the host file `root` (through the native device) and reads its
  // central directory; a file that cannot be read leaves an empty tree.
  zipfs_device_t(fs_type_t type, const string& root, const string& prefix, bool read_only, int priority);
  // Reads the archive from a file already open (owned from now on), which
  // lets a host mount an archive from any file; `name` stands for the root
  // in messages and device_name().
  zipfs_device_t(file_t* archive, const string& name, const string& prefix, int priority);
  ~zipfs_device_t() override;

  file_t* open(const string& path) override;
  file_t* create(const string&) override { return nullptr; }
  file_t* append(const string&) override { return nullptr; }
  void close(file_t*) override {}
  bool remove(const string&) override { return false; }
  bool mkdir(const string&) override { return false; }
  bool rmdir(const string&) override { return false; }
  bool stat(const string& path, fs_stat_t* out) override;  // members report the archive's time
  list_t<fs_direntry_t>* read_dir(const string& path, bool full_paths) override;
  const string& get_root() const override;  // "": a member is located by its virtual path

  const zipfs_entry_t& root_entry() const { return root_entry_; }
  file_t* archive() const { return archive_; }

 private:
  void read_central_directory();
  void insert(const char* name, unsigned int record, unsigned int offset, unsigned int size,
              bool is_directory);

  file_t* archive_ = nullptr;  // owned; null when it could not be opened
  zipfs_entry_t root_entry_;
};

}  // namespace quarn
