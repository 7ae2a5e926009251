// Enumerating the entries of one directory that match a wildcard pattern.
// The pattern is a directory followed by a last component in which "*"
// matches any run of characters and "?" any one character; every other
// character, "[" and "\\" included, matches itself, case-sensitively. Entries
// come in the host's order, "." and ".." and subdirectories included.
//
//   quarn::v_wildcard_t* w;
//   quarn::v_wildcard_start("textures/*.tga", &w);
//   char name[256];
//   while (quarn::v_wildcard_file(name, sizeof name, &w)) use(name);
//   quarn::v_wildcard_end(&w);
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

struct v_wildcard_t;  // one enumeration in progress, owned by the caller until v_wildcard_end

// Always hands out a record (null only when the host's allocator refuses),
// even when the directory does not exist or nothing matches; such a record
// has nothing waiting.
QX_API void v_wildcard_start(const char* pattern, v_wildcard_t** w);
// Copies the waiting entry's name (no directory) into buf, at most size - 1
// characters and always terminated (nothing for size 0), and moves on.
// False when nothing is waiting.
QX_API bool v_wildcard_file(char* buf, unsigned int size, v_wildcard_t** w);
QX_API void v_wildcard_end(v_wildcard_t** w);  // closes, releases, sets *w to null

}  // namespace quarn
