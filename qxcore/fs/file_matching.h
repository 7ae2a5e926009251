// Finding the regular files below a directory, optionally with one extension
// (a case-sensitive suffix such as ".tga") and optionally recursively; files
// come out depth-first in listing order, with their full names (the listings'
// path + "/" + name: match "" rather than "/" to get "/a.tga" for the root).
#pragma once

#include "qxcore/fs/fs_types.h"
#include "qxcore/collections/list.h"

namespace quarn {

// A new list the caller deletes; never null.
QX_API list_t<fs_direntry_t>* fs_match_files(const string& directory, fs_type_t type, const string& extension,
                                             bool recursive);

}  // namespace quarn
