#include "qxcore/fs/zipfs_device.h"

#include <cstring>

#include "qxcore/core/messages.h"
#include "qxcore/fs/native_device.h"
#include "qxcore/fs/zipfs_file.h"

namespace quarn {

namespace {

constexpr unsigned int END_RECORD_SIZE = 22;
constexpr unsigned int END_SIGNATURE = 0x06054B50;
constexpr unsigned int RECORD_SIZE = 46;
constexpr unsigned int RECORD_SIGNATURE = 0x02014B50;
constexpr unsigned int LOCAL_HEADER_SIZE = 30;
constexpr unsigned int MAX_RECORDS = 40000;
constexpr unsigned int MAX_NAME = 254;
constexpr unsigned int DOS_DIRECTORY = 0x10;
constexpr unsigned short STORED = 0;

unsigned int u16(const unsigned char* p) { return p[0] | p[1] << 8; }
unsigned int u32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<unsigned int>(p[3]) << 24;
}

}  // namespace

zipfs_device_t::zipfs_device_t(fs_type_t type, const string& root, const string& prefix, bool read_only,
                               int priority)
    : ufs_device_t(type, root, prefix, read_only, priority) {
  root_entry_.is_directory = 1;
  root_entry_.children = new zipfs_dir_t;
  archive_ = native_device().open(root);
  if (archive_ == nullptr)
    error("[zipfs] Unable to find the zipfs file '%s'.", root_.c_str());
  else
    read_central_directory();
}

zipfs_device_t::zipfs_device_t(file_t* archive, const string& name, const string& prefix, int priority)
    : ufs_device_t(FS_TYPE_VIRTUAL, name, prefix, true, priority), archive_(archive) {
  root_entry_.is_directory = 1;
  root_entry_.children = new zipfs_dir_t;
  if (archive_ == nullptr)
    error("[zipfs] Unable to find the zipfs file '%s'.", root_.c_str());
  else
    read_central_directory();
}

zipfs_device_t::~zipfs_device_t() { delete archive_; }

const string& zipfs_device_t::get_root() const { return string::EMPTY; }

void zipfs_device_t::read_central_directory() {
  const char* root = root_.c_str();
  if (root_entry_.children == nullptr) return;
  unsigned int n = archive_->size();
  if (n <= END_RECORD_SIZE) {
    error("[zipfs] Too short file '%s'.", root);
    return;
  }
  unsigned char end[END_RECORD_SIZE];
  if (!archive_->seek(-static_cast<int>(END_RECORD_SIZE), 2)) {
    error("[zipfs] Failed seeking to zip_central_dir_end in file '%s'.", root);
    return;
  }
  if (!archive_->read(end, END_RECORD_SIZE)) {
    error("[zipfs] Failed to read zip_central_dir_end from file '%s'.", root);
    return;
  }
  if (u32(end) != END_SIGNATURE) {
    error("[zipfs] Invalid end signature in file '%s'.", root);
    return;
  }
  unsigned int count = u16(end + 10);
  if (count > MAX_RECORDS) {
    error("[zipfs] The number of files (%u) in file '%s' exceeded limits (%u).", count, root, MAX_RECORDS);
    return;
  }
  int directory_offset = static_cast<int>(u32(end + 16));
  if (directory_offset < 0 || static_cast<unsigned int>(directory_offset) > n - END_RECORD_SIZE) {
    error("[zipfs] Invalid central directory offset in file '%s'.", root);
    return;
  }
  if (!archive_->seek(directory_offset, 0)) {
    error("[zipfs] Failed seeking to central directory in file '%s'.", root);
    return;
  }

  unsigned int checksum = 0;
  for (unsigned int i = 0; i < count; ++i) {
    unsigned char record[RECORD_SIZE];
    if (!archive_->read(record, RECORD_SIZE)) {
      error("[zipfs] Error reading central directory record #%u from file '%s'.", i, root);
      return;
    }
    if (u32(record) != RECORD_SIGNATURE) {
      error("[zipfs] Central directory record #%u signature does not mismatch, in file '%s'.", i, root);
      return;
    }
    unsigned int name_length = u16(record + 28);
    if (name_length == 0) {
      error("[zipfs] Central directory record #%u has malformed name, in file '%s'.", i, root);
      return;
    }
    if (name_length > MAX_NAME) {
      error("[zipfs] Central directory record #%u has too long name, in file '%s'.", i, root);
      return;
    }
    char name[MAX_NAME + 2];
    if (!archive_->read(name, name_length)) {
      error("[zipfs] Error reading name for record #%u from file '%s'.", i, root);
      return;
    }
    name[name_length] = '\0';
    int skip = static_cast<int>(u16(record + 30) + u16(record + 32));
    if (skip != 0 && !archive_->seek(skip, 1)) {
      error("[zipfs] Failed to skip extra_field and comment for record #%u - %s, from file '%s'.", i, name,
            root);
      return;
    }
    auto method = static_cast<unsigned short>(u16(record + 10));
    if (method != STORED) {
      error("[zipfs] Unsupported compression method used: %hu for record #%u - %s, from file '%s'.", method,
            i, name, root);
      continue;
    }
    bool is_directory = (u32(record + 38) & DOS_DIRECTORY) != 0;
    if (is_directory && name[name_length - 1] == '/') name[name_length - 1] = '\0';
    insert(name, i, u32(record + 42), u32(record + 24), is_directory);
    checksum ^= u32(record + 16);
  }
  message("[zipfs] %s successfuly mounted [crc_%#x]", archive_->path().c_str(), checksum);
}

void zipfs_device_t::insert(const char* name, unsigned int record, unsigned int offset, unsigned int size,
                            bool is_directory) {
  zipfs_dir_t* directory = root_entry_.children;
  const char* p = name;
  while (true) {
    while (*p == '/') ++p;
    if (*p == '\0') return;  // no (further) components
    const char* end = std::strchr(p, '/');
    unsigned int length = static_cast<unsigned int>(end != nullptr ? end - p : std::strlen(p));
    const char* rest = p + length;
    while (*rest == '/') ++rest;
    bool last = *rest == '\0';

    zipfs_entry_t* entry = directory->find(p, length);
    if (entry == nullptr) {
      entry = directory->add(p, length);
      if (entry == nullptr) return;
      if (last) {
        entry->local_header_offset = offset;
        entry->size = size;
      }
      entry->is_directory = last ? (is_directory ? 1 : 0) : 1;
      if (entry->is_directory) entry->children = new zipfs_dir_t;
    } else if (last) {
      return;  // the first record of a name wins
    }
    if (last) return;
    if (!entry->is_directory || entry->children == nullptr) {
      error("[zipfs] Record #%u - %s lies below the file '%s', skipped, in file '%s'.", record, name,
            entry->name.c_str(), root_.c_str());
      return;
    }
    directory = entry->children;
    p = rest;
  }
}

file_t* zipfs_device_t::open(const string& path) {
  zipfs_entry_t* entry = zipfs_lookup(&root_entry_, path.c_str());
  // A directory opens too, as a file of size 0, read from its record's local
  // header (the archive's first one for a directory made up from paths).
  if (entry == nullptr || archive_ == nullptr) return nullptr;
  if (entry->local_header_offset > 0x7FFFFFFF ||
      !archive_->seek(static_cast<int>(entry->local_header_offset), 0)) {
    error("[zipfs] failed seeking local file header (%s)", path.c_str());
    return nullptr;
  }
  unsigned char header[LOCAL_HEADER_SIZE];
  if (!archive_->read(header, LOCAL_HEADER_SIZE)) {
    error("[zipfs] failed reading local file header (%s)", path.c_str());
    return nullptr;
  }
  if (u16(header + 8) != STORED) {
    error("[zipfs] local header suggests compression, while global header does not! (%s)", path.c_str());
    return nullptr;
  }
  unsigned long long data = static_cast<unsigned long long>(entry->local_header_offset) + LOCAL_HEADER_SIZE +
                            u16(header + 26) + u16(header + 28);
  if (data > 0xFFFFFFFF) return nullptr;
  return new zipfs_file_t(this, path, entry, static_cast<unsigned int>(data));
}

bool zipfs_device_t::stat(const string& path, fs_stat_t* out) {
  zipfs_entry_t* entry = zipfs_lookup(&root_entry_, path.c_str());
  if (entry == nullptr) return false;
  if (out != nullptr) {
    out->size = entry->size;
    out->is_directory = entry->is_directory;
    out->time = archive_ != nullptr ? archive_->time() : 0;
  }
  return true;
}

list_t<fs_direntry_t>* zipfs_device_t::read_dir(const string& path, bool full_paths) {
  zipfs_entry_t* entry = zipfs_lookup(&root_entry_, path.c_str());
  if (entry == nullptr) return nullptr;
  if (!entry->is_directory || entry->children == nullptr) {
    error("[zipfs] error reading a non-directory entry (%s)", path.c_str());
    return nullptr;
  }
  auto* listing = new list_t<fs_direntry_t>;
  if (listing == nullptr) return nullptr;
  const array_dyn_t<zipfs_entry_t*>& children = entry->children->entries;
  for (unsigned int i = 0; i < children.size(); ++i) {
    auto added = listing->emplace(listing->end());
    if (added == listing->end()) break;
    if (full_paths)
      added->name.printf("%s/%s", path.c_str(), children[i]->name.c_str());
    else
      added->name.copy(children[i]->name);
    added->is_directory = children[i]->is_directory;
  }
  return listing;
}

}  // namespace quarn
