#include "qxcore/fs/zipfs_tree.h"

#include <cstring>

namespace quarn {

zipfs_entry_t::~zipfs_entry_t() { delete children; }

zipfs_dir_t::~zipfs_dir_t() {
  for (unsigned int i = 0; i < entries.size(); ++i) delete entries[i];
}

zipfs_entry_t* zipfs_dir_t::find(const char* name, unsigned int length) const {
  return static_cast<zipfs_entry_t*>(index.find(name, length));
}

zipfs_entry_t* zipfs_dir_t::add(const char* name, unsigned int length) {
  auto* entry = new zipfs_entry_t;
  if (entry == nullptr) return nullptr;
  if (!entry->name.copy(string_alias_t(name), 0, 0, length) || !entries.push_back(entry)) {
    delete entry;
    return nullptr;
  }
  index.put(name, length, entry);
  return entry;
}

zipfs_entry_t* zipfs_lookup(zipfs_entry_t* root, const char* path) {
  zipfs_entry_t* current = root;
  const char* p = path;
  while (true) {
    while (*p == '/') ++p;
    if (*p == '\0') return current;
    const char* end = std::strchr(p, '/');
    unsigned int length = static_cast<unsigned int>(end != nullptr ? end - p : std::strlen(p));
    if (current->children == nullptr) return nullptr;
    current = current->children->find(p, length);
    if (current == nullptr) return nullptr;
    if (!current->is_directory) return current;  // a file ends the walk
    p += length;
  }
}

}  // namespace quarn
