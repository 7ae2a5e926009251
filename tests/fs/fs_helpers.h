// What the file-system suites share: whole-file reads and listings through
// the front end, and mounts that are undone when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "qxcore/fs/fs.h"

namespace qxtest {

using file_ptr = std::unique_ptr<quarn::file_t>;
using listing_t = std::map<std::string, unsigned int>;  // name -> is_directory

inline quarn::string_alias_t s(const std::string& text) {
  return quarn::string_alias_t(text.c_str());
}

// The whole file; "<missing>" when it does not open, "<unreadable>" when the
// read fails.
inline std::string contents(quarn::file_t* f) {
  if (f == nullptr) return "<missing>";
  std::string bytes(f->size(), '\0');
  return f->read(bytes.data(), static_cast<unsigned int>(bytes.size())) ? bytes : "<unreadable>";
}
inline std::string read_all(const std::string& path,
                            quarn::fs_type_t type = quarn::FS_TYPE_VIRTUAL) {
  return contents(file_ptr(quarn::fs_open(s(path), type)).get());
}

// A directory's listing, which must never be null.
inline listing_t listing(const std::string& path, bool full_paths = true,
                         quarn::fs_type_t type = quarn::FS_TYPE_VIRTUAL) {
  std::unique_ptr<quarn::list_t<quarn::fs_direntry_t>> entries(
      quarn::fs_read_dir(s(path), full_paths, type));
  listing_t out;
  if (entries == nullptr) ADD_FAILURE() << "null listing of " << path;
  if (entries != nullptr)
    for (const auto& e : *entries) out[e.name.c_str()] = e.is_directory;
  return out;
}

// Each seek's answer, the position after it and the error it leaves.
struct seek_t {
  int offset, origin;
  bool ok;
  unsigned int position;
};
template <class Seeks>
void expect_seeks(quarn::file_t* f, const Seeks& seeks) {
  for (const auto& c : seeks) {
    EXPECT_EQ(f->seek(c.offset, c.origin), c.ok) << c.offset << "," << c.origin;
    EXPECT_EQ(f->position(), c.position) << c.offset << "," << c.origin;
    EXPECT_EQ(f->get_error(), c.ok ? quarn::FS_ERROR_NONE : quarn::FS_ERROR_SEEK);
  }
}

// Unmounts whatever a test mounted, even when an assertion ends it early.
struct mounts_t {
  std::vector<quarn::ufs_device_t*> devices;
  quarn::ufs_device_t* add(quarn::fs_device_type_t kind, const std::string& root, int priority,
                           bool read_only = true, const std::string& prefix = "") {
    return devices.emplace_back(quarn::ufs_mount(kind, s(root), s(prefix), read_only, priority));
  }
  ~mounts_t() {
    for (auto* d : devices) quarn::ufs_unmount(d);
  }
};

}  // namespace qxtest
