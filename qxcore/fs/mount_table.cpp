#include "qxcore/fs/mount_table.h"

#include <cstring>

#include "qxcore/collections/vptrhash.h"
#include "qxcore/fs/directory_devices.h"
#include "qxcore/fs/zipfs_device.h"

namespace quarn {

// The converting device belongs to the resources, which build on the file
// system; it is made there (resources/cvfs_device.cpp).
ufs_device_t* make_cvfs_device(fs_type_t type, const string& root, const string& prefix, bool read_only,
                               int priority);

namespace {

constinit fs_mount_table_t the_mount_table;
constinit fs_mount_table_t* mount_table_pointer = &the_mount_table;

bool takes_part(const ufs_device_t* device, const string& path, const fs_priority_range_t& range) {
  if (device->priority() < range.lo || device->priority() > range.hi) return false;
  const string& prefix = device->prefix();
  return std::strncmp(path.c_str(), prefix.c_str(), prefix.length()) == 0;
}

ufs_device_t* make_device(fs_device_type_t kind, const string& root, const string& prefix, bool read_only,
                          int priority) {
  switch (kind) {
    case FS_DEVICE_DIRECTORY:
      return new ufs_dir_device_t(FS_TYPE_VIRTUAL, root, prefix, read_only, priority);
    case FS_DEVICE_LISTING:
      return new ufs_list_device_t(FS_TYPE_VIRTUAL, root, prefix, read_only, priority);
    case FS_DEVICE_CONVERTING:
      return make_cvfs_device(FS_TYPE_VIRTUAL, root, prefix, read_only, priority);
    case FS_DEVICE_ARCHIVE:
      return new zipfs_device_t(FS_TYPE_VIRTUAL, root, prefix, read_only, priority);
    default:
      return nullptr;
  }
}

}  // namespace

fs_mount_table_t* fs_mount_table() { return mount_table_pointer; }

fs_mount_table_t::~fs_mount_table_t() {
  delete mounts_;
  mounts_ = nullptr;
  if (mount_table_pointer == this) mount_table_pointer = nullptr;
}

template <class Operation>
auto fs_mount_table_t::route(const string& path, const fs_priority_range_t& range, Operation operation) {
  decltype(operation(static_cast<ufs_device_t*>(nullptr))) result{};
  if (mounts_ == nullptr) return result;
  for (ufs_device_t* device : *mounts_) {
    if (!takes_part(device, path, range)) continue;
    result = operation(device);
    if (result) break;  // a failing device passes the path on
  }
  return result;
}

file_t* fs_mount_table_t::open(const string& path, const fs_priority_range_t& range) {
  return route(path, range, [&](ufs_device_t* d) { return d->open(path); });
}

file_t* fs_mount_table_t::create(const string& path, const fs_priority_range_t& range) {
  return route(path, range, [&](ufs_device_t* d) { return d->create(path); });
}

file_t* fs_mount_table_t::append(const string& path, const fs_priority_range_t& range) {
  return route(path, range, [&](ufs_device_t* d) { return d->append(path); });
}

bool fs_mount_table_t::remove(const string& path, const fs_priority_range_t& range) {
  return route(path, range, [&](ufs_device_t* d) { return d->remove(path); });
}

bool fs_mount_table_t::mkdir(const string& path, const fs_priority_range_t& range) {
  return route(path, range, [&](ufs_device_t* d) { return d->mkdir(path); });
}

bool fs_mount_table_t::rmdir(const string& path, const fs_priority_range_t& range) {
  return route(path, range, [&](ufs_device_t* d) { return d->rmdir(path); });
}

bool fs_mount_table_t::stat(const string& path, fs_stat_t* out, const fs_priority_range_t& range) {
  return route(path, range, [&](ufs_device_t* d) { return d->stat(path, out); });
}

list_t<fs_direntry_t>* fs_mount_table_t::read_dir(const string& path, bool full_paths,
                                                  const fs_priority_range_t& range) {
  auto* merged = new list_t<fs_direntry_t>;
  if (merged == nullptr || mounts_ == nullptr) return merged;
  // A device lists each name once, so its entries are checked only against
  // those of the devices before it; with a single device no index is built.
  vptrhash_t seen;
  unsigned int indexed = 0;  // entries of `merged` already in `seen`
  auto last_indexed = merged->end();  // the ring's sentinel stands before the first entry
  bool first = true;
  for (ufs_device_t* device : *mounts_) {
    if (!takes_part(device, path, range)) continue;
    list_t<fs_direntry_t>* listing = device->read_dir(path, full_paths);
    if (listing == nullptr) continue;
    for (; indexed < merged->size(); ++indexed) {
      ++last_indexed;
      seen.put(last_indexed->name.c_str(), last_indexed->name.length(), &*last_indexed);
    }
    for (fs_direntry_t& entry : *listing)
      if (first || seen.find(entry.name.c_str(), entry.name.length()) == nullptr)
        merged->insert(merged->end(), entry);
    first = false;
    delete listing;
  }
  return merged;
}

file_t* fs_mount_table_t::open(const string& path) { return open(path, FS_DEFAULT_PRIORITY_RANGE); }
file_t* fs_mount_table_t::create(const string& path) { return create(path, FS_DEFAULT_PRIORITY_RANGE); }
file_t* fs_mount_table_t::append(const string& path) { return append(path, FS_DEFAULT_PRIORITY_RANGE); }
bool fs_mount_table_t::remove(const string& path) { return remove(path, FS_DEFAULT_PRIORITY_RANGE); }
bool fs_mount_table_t::mkdir(const string& path) { return mkdir(path, FS_DEFAULT_PRIORITY_RANGE); }
bool fs_mount_table_t::rmdir(const string& path) { return rmdir(path, FS_DEFAULT_PRIORITY_RANGE); }
bool fs_mount_table_t::stat(const string& path, fs_stat_t* out) {
  return stat(path, out, FS_DEFAULT_PRIORITY_RANGE);
}
list_t<fs_direntry_t>* fs_mount_table_t::read_dir(const string& path, bool full_paths) {
  return read_dir(path, full_paths, FS_DEFAULT_PRIORITY_RANGE);
}

void fs_mount_table_t::close(file_t* file) {
  if (file != nullptr && file->device() != nullptr && file->device() != this) file->device()->close(file);
}

ufs_device_t* fs_mount_table_t::mount(fs_device_type_t kind, const string& root, const string& prefix,
                                      bool read_only, int priority) {
  if (mounts_ == nullptr) mounts_ = new list_t<ufs_device_t*>;
  if (mounts_ == nullptr) return nullptr;
  ufs_device_t* device = make_device(kind, root, prefix, read_only, priority);
  if (device != nullptr) {
    // Kept sorted by descending priority: the new device goes before the
    // first one of lower priority.
    auto position = mounts_->begin();
    while (position != mounts_->end() && (*position)->priority() >= priority) ++position;
    if (mounts_->insert(position, device) != mounts_->end()) return device;
    delete device;
  }
  // A failed first mount leaves no empty list behind: no unmount would free it.
  if (mounts_->empty()) {
    delete mounts_;
    mounts_ = nullptr;
  }
  return nullptr;
}

void fs_mount_table_t::unmount(ufs_device_t* device) {
  if (mounts_ != nullptr) {
    for (auto it = mounts_->begin(); it != mounts_->end(); ++it)
      if (*it == device) {
        mounts_->erase(it);
        break;
      }
    // An empty table holds no memory: the list is made again by the next mount.
    if (mounts_->empty()) {
      delete mounts_;
      mounts_ = nullptr;
    }
  }
  delete device;
}

}  // namespace quarn
