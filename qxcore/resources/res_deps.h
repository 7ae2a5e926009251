// Resource dependencies: which sources a converted resource was made from,
// kept beside it in a dependency file, and the test that decides whether the
// resource must be converted again. The resource at virtual path P keeps its
// list in P + ".dep", one virtual path per line ending in CR LF, the primary
// source first.
//
//   quarn::res_deps_t deps;                          // written by a converter
//   deps.add_primary_source(string_alias_t("/textures/wall.tga"));
//   deps.add(string_alias_t("/textures/palette.act"));
//   deps.write(string_alias_t("/textures/wall.tga"));
//   if (quarn::resource_is_out_of_date(path, &reason)) ... run the converter
#pragma once

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/fs/fs_types.h"
#include "qxcore/strings/string_dyn.h"

namespace quarn {

// The groups of mounted devices, told apart by priority.
inline constexpr fs_priority_range_t RES_DEPENDENCY_RANGE{-1, 1};  // dependency files
inline constexpr fs_priority_range_t RES_CONVERTED_RANGE{0, 199};  // converted resources
inline constexpr fs_priority_range_t RES_SOURCE_RANGE{401, 499};   // sources

class QX_API res_deps_t {
 public:
  void add_primary_source(const string& path);  // reports unless the list is empty; appends anyway
  void add(const string& path);                 // reports while the list is empty; appends anyway
  const string& get(unsigned int index) const { return paths_[index]; }  // checked
  unsigned int size() const { return paths_.size(); }

  // Creates resource + ".dep" on the first writable dependency device and
  // writes the list; false (reported) when it cannot be created.
  bool write(const string& resource);
  // Appends the paths of resource + ".dep" (the first blank-delimited word of
  // each line). False, silently, when there is no such file or it cannot be
  // read; false, reported, at a line without a word (the paths before it stay).
  bool read(const string& resource);
  static bool remove_file(const string& resource);

 private:
  array_dyn_t<string_dyn_t<>> paths_;
};

// True when the resource must be converted: it is missing among the converted
// resources, its dependency list cannot be read, or one of its sources is
// missing or newer than it. `reason` (may be null) receives why, or becomes
// empty when the resource is up to date.
QX_API bool resource_is_out_of_date(const string& resource, mstring_t* reason);

}  // namespace quarn
