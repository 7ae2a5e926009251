// ufs_cvfs_device_t: the converting device (FS_DEVICE_CONVERTING). Mounted
// above the devices that hold converted resources, it serves no file itself:
// an open or stat that reaches it first runs the converter "tools/resconvert"
// (relative to the current directory) on an out-of-date resource, waits for
// it, and then declines, so the devices below find the fresh copy. A host can
// be told when each conversion starts and ends.
//
//   struct progress_t : quarn::ufs_cvfs_callback_t {
//     void on_convert(const quarn::string& path, bool starting) override { ... }
//   } progress;
//   quarn::ufs_cvfs_device_t::set_notification(&progress);
//   quarn::ufs_mount(quarn::FS_DEVICE_CONVERTING, quarn::string::EMPTY, quarn::string::EMPTY, true,
//   200);
#pragma once

#include "qxcore/fs/ufs_device.h"

namespace quarn {

// Implemented by the host; the library never deletes it.
class QX_API ufs_cvfs_callback_t {
 public:
  virtual ~ufs_cvfs_callback_t();
  virtual void on_convert(const string& path, bool starting) = 0;  // before and after each run
};

class QX_API ufs_cvfs_device_t : public ufs_device_t {
 public:
  static constexpr const char* CONVERTER =
      "tools/resconvert";  // run with the resource's virtual path

  // Root and read-only flag are kept but not used; made through ufs_mount.
  ufs_cvfs_device_t(fs_type_t type, const string& root, const string& prefix, bool read_only,
                    int priority);

  // Installs `callback` (null removes it) and answers the one installed
  // before, which stays the caller's.
  static ufs_cvfs_callback_t* set_notification(ufs_cvfs_callback_t* callback);

  // Convert an out-of-date resource, then answer null / false.
  file_t* open(const string& path) override;
  bool stat(const string& path, fs_stat_t* out) override;

  // Everything else declines.
  file_t* create(const string&) override { return nullptr; }
  file_t* append(const string&) override { return nullptr; }
  void close(file_t*) override {}
  bool remove(const string&) override { return false; }
  bool mkdir(const string&) override { return false; }
  bool rmdir(const string&) override { return false; }
  list_t<fs_direntry_t>* read_dir(const string&, bool) override { return nullptr; }

 private:
  static void convert_if_needed(const string& path);
};

}  // namespace quarn
