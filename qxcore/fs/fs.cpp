#include "qxcore/fs/fs.h"

#include "qxcore/core/messages.h"
#include "qxcore/fs/native_device.h"

namespace quarn {

namespace {

// The device of a path space; null (reported) for a value outside fs_type_t.
fs_device_t* device_of(fs_type_t type) {
  if (type == FS_TYPE_VIRTUAL) return fs_mount_table();
  if (type == FS_TYPE_NATIVE) return &native_device();
  error("[fs] invalid fs_type_t %u", static_cast<unsigned int>(type));
  return nullptr;
}

}  // namespace

file_t* fs_open(const string& path, fs_type_t type) {
  if (type == FS_TYPE_VIRTUAL && path.c_str()[0] != '/') {
    error("[fs] fs_open called with invalid path \"%s\"", path.c_str());
    return nullptr;
  }
  fs_device_t* device = device_of(type);
  return device != nullptr ? device->open(path) : nullptr;
}

file_t* fs_create(const string& path, fs_type_t type) {
  fs_device_t* device = device_of(type);
  return device != nullptr ? device->create(path) : nullptr;
}

file_t* fs_append(const string& path, fs_type_t type) {
  fs_device_t* device = device_of(type);
  return device != nullptr ? device->append(path) : nullptr;
}

bool fs_remove(const string& path, fs_type_t type) {
  fs_device_t* device = device_of(type);
  return device != nullptr && device->remove(path);
}

bool fs_mkdir(const string& path, fs_type_t type) {
  fs_device_t* device = device_of(type);
  return device != nullptr && device->mkdir(path);
}

bool fs_rmdir(const string& path, fs_type_t type) {
  fs_device_t* device = device_of(type);
  return device != nullptr && device->rmdir(path);
}

bool fs_stat(const string& path, fs_stat_t* out, fs_type_t type) {
  fs_device_t* device = device_of(type);
  return device != nullptr && device->stat(path, out);
}

list_t<fs_direntry_t>* fs_read_dir(const string& path, bool full_paths, fs_type_t type) {
  fs_device_t* device = device_of(type);
  return device != nullptr ? device->read_dir(path, full_paths) : nullptr;
}

ufs_device_t* ufs_mount(fs_device_type_t kind, const string& root, const string& prefix, bool read_only,
                        int priority) {
  fs_mount_table_t* table = fs_mount_table();
  return table != nullptr ? table->mount(kind, root, prefix, read_only, priority) : nullptr;
}

void ufs_unmount(ufs_device_t* device) {
  fs_mount_table_t* table = fs_mount_table();
  if (table != nullptr)
    table->unmount(device);
  else
    delete device;
}

bool ufs_file_exists(const string& path) {
  fs_stat_t status;
  return fs_stat(path, &status, FS_TYPE_VIRTUAL) && status.is_directory == 0;
}

}  // namespace quarn
