// zipfs_file_t: one member of a mounted archive, open for reading. Its bytes
// are read straight from the archive file, which all open members of that
// archive share; `seek` moves within the member.
#pragma once

#include "qxcore/fs/file.h"

namespace quarn {

class zipfs_device_t;
struct zipfs_entry_t;

class QX_API zipfs_file_t : public file_t {
 public:
  zipfs_file_t(zipfs_device_t* device, const string& path, zipfs_entry_t* entry, unsigned int data_offset);

  // All `size` bytes or nothing: a read past the member's end is refused whole.
  bool read(void* buffer, unsigned int size) override;
  void flush() override {}
  // Origins 0, 1, 2; a position outside 0 ... size is refused with FS_ERROR_SEEK.
  bool seek(int offset, int origin) override;
  bool stat(fs_stat_t* out) override;  // the entry's size, the archive's time

 private:
  zipfs_device_t* archive_device_;
  zipfs_entry_t* entry_;
  unsigned int data_offset_;  // where the member's bytes begin in the archive
};

}  // namespace quarn
