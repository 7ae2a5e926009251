// The in-memory name tree of a mounted archive: one zipfs_entry_t per path
// component, each directory's children kept in insertion order and indexed
// by name (exact bytes, case-sensitive).
#pragma once

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/collections/vptrhash.h"
#include "qxcore/strings/string_dyn.h"

namespace quarn {

struct zipfs_dir_t;

struct QX_API zipfs_entry_t : host_allocated_t {
  unsigned int local_header_offset = 0;  // 0 for directories made up from paths
  unsigned int size = 0;                 // uncompressed size; 0 for made-up directories
  unsigned int is_directory = 0;
  string_dyn_t<> name;                   // one component, no "/"
  zipfs_dir_t* children = nullptr;       // owned; directories only

  zipfs_entry_t() = default;
  ~zipfs_entry_t();
  zipfs_entry_t(const zipfs_entry_t&) = delete;
  zipfs_entry_t& operator=(const zipfs_entry_t&) = delete;
};

struct QX_API zipfs_dir_t : host_allocated_t {
  array_dyn_t<zipfs_entry_t*> entries;  // owned, in insertion order
  vptrhash_t index;                     // name -> entry

  ~zipfs_dir_t();
  zipfs_entry_t* find(const char* name, unsigned int length) const;
  // A new child at the end; null when memory runs out.
  zipfs_entry_t* add(const char* name, unsigned int length);
};

// Walks `path` from `root` component by component ("/" separated, empty
// components ignored). A file ends the walk at once, whatever follows it;
// null when a component is missing. No components: the root itself.
zipfs_entry_t* zipfs_lookup(zipfs_entry_t* root, const char* path);

}  // namespace quarn
