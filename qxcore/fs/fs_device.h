// fs_device_t: something that opens files and answers for paths. The mount
// table, the host (native) device and every mountable kind derive from it.
// Files a device opens name it as their device and are closed through it.
#pragma once

#include "qxcore/collections/list.h"
#include "qxcore/fs/file.h"

namespace quarn {

class QX_API fs_device_t : public host_allocated_t {
 public:
  virtual file_t* open(const string& path) = 0;    // for reading, or null
  virtual file_t* create(const string& path) = 0;  // created or truncated, read/write, or null
  virtual file_t* append(const string& path) = 0;  // for appending (reading allowed), or null
  virtual void close(file_t* file) = 0;            // called by the file's destructor
  virtual bool remove(const string& path) = 0;
  virtual bool mkdir(const string& path) = 0;
  virtual bool rmdir(const string& path) = 0;
  virtual bool stat(const string& path, fs_stat_t* out) = 0;  // null out only tests existence
  virtual const string& device_name() const;                  // "" unless the device says more
  // A new listing the caller deletes, or null; names are bare or
  // path + "/" + name as asked.
  virtual list_t<fs_direntry_t>* read_dir(const string& path, bool full_paths) = 0;
  // Makes the directory that will hold the file `path` (one mkdir call).
  virtual bool mkfiledir(const string& path);
  virtual ~fs_device_t() = default;

  fs_type_t type() const { return type_; }

 protected:
  constexpr explicit fs_device_t(fs_type_t type) : type_(type) {}
  fs_device_t(const fs_device_t&) = delete;
  fs_device_t& operator=(const fs_device_t&) = delete;

  friend class file_t;
  // The location a user would recognise for an open file of this device.
  virtual bool get_location(mstring_t* out, const file_t* file) const;

  // Lets a device hand a file it had another device open, or stop a file
  // from being closed through a device.
  static void set_file_device(file_t* file, fs_device_t* device) { file->device_ = device; }

  fs_type_t type_;
};

}  // namespace quarn
