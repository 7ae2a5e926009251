#include "qxcore/fs/zipfs_file.h"

#include "qxcore/core/messages.h"
#include "qxcore/fs/zipfs_device.h"

namespace quarn {

zipfs_file_t::zipfs_file_t(zipfs_device_t* device, const string& path, zipfs_entry_t* entry,
                           unsigned int data_offset)
    : file_t(device, path), archive_device_(device), entry_(entry), data_offset_(data_offset) {}

bool zipfs_file_t::read(void* buffer, unsigned int size) {
  if (static_cast<unsigned long long>(position_) + size > entry_->size) return false;
  file_t* archive = archive_device_->archive();
  unsigned long long at = static_cast<unsigned long long>(data_offset_) + position_;
  if (at > 0x7FFFFFFF || !archive->seek(static_cast<int>(at), 0)) {
    error("[zipfs] file seek error (%s)", path_.c_str());
    return false;
  }
  if (!archive->read(buffer, size)) return false;  // the archive file records why
  position_ += size;
  error_ = FS_ERROR_NONE;
  return true;
}

bool zipfs_file_t::seek(int offset, int origin) {
  long long base = origin == 0 ? 0 : origin == 1 ? position_ : origin == 2 ? entry_->size : -1;
  long long target = base + offset;
  if (base < 0 || target < 0 || target > entry_->size) {
    error_ = FS_ERROR_SEEK;
    return false;
  }
  position_ = static_cast<unsigned int>(target);
  error_ = FS_ERROR_NONE;
  return true;
}

bool zipfs_file_t::stat(fs_stat_t* out) {
  error_ = FS_ERROR_NONE;
  if (out != nullptr) {
    out->size = entry_->size;
    out->is_directory = entry_->is_directory;
    out->time = archive_device_->archive()->time();
  }
  return true;
}

}  // namespace quarn
