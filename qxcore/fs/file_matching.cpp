#include "qxcore/fs/file_matching.h"

#include "qxcore/fs/fs.h"
#include "qxcore/strings/paths.h"

namespace quarn {

namespace {

// Deep trees are walked with an explicit limit rather than trusting the
// host not to hand back a directory cycle (a symbolic link to a parent).
constexpr unsigned int MAX_DEPTH = 64;

void visit(list_t<fs_direntry_t>* result, const string& directory, fs_type_t type, const string& extension,
           bool recursive, unsigned int depth) {
  list_t<fs_direntry_t>* listing = fs_read_dir(directory, true, type);
  if (listing == nullptr) return;
  for (fs_direntry_t& entry : *listing) {
    if (entry.is_directory == 0) {
      if (extension.empty() || v_check_extension(entry.name, extension)) result->push_back(entry);
    } else if (recursive && depth < MAX_DEPTH) {
      visit(result, entry.name, type, extension, recursive, depth + 1);
    }
  }
  delete listing;
}

}  // namespace

list_t<fs_direntry_t>* fs_match_files(const string& directory, fs_type_t type, const string& extension,
                                      bool recursive) {
  auto* result = new list_t<fs_direntry_t>;
  if (result != nullptr) visit(result, directory, type, extension, recursive, 0);
  return result;
}

}  // namespace quarn
