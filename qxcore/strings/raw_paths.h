// File-name helpers over plain char buffers, for code that has no mstring_t
// at hand. Outputs are the caller's buffers, which must be large enough for
// the piece they receive (at most the path's length plus one byte); a null
// output is skipped, a null input reads as "". Only "/" separates here.
//
//   char dir[256], name[256], ext[256];
//   quarn::v_fnsplit("a/b.c/d.txt", dir, name, ext);   // "a/b.c" "d" "txt"
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// dir = the text before the last "/", name = the text after it. Without a
// "/" the whole path is the name and dir is "".
QX_API void v_fnsplit(const char* path, char* dir, char* name);
// As above, with the name split at its last "." into name and ext (ext
// without the dot, "" when there is none). A "." before the last "/" belongs
// to a directory and starts no extension: "a.b/c" gives "a.b", "c", "".
QX_API void v_fnsplit(const char* path, char* dir, char* name, char* ext);

QX_API void v_remove_slash(char* path);  // drops one final "/" or "\\", nothing else

// Copies src with its terminator into dst, "\\" turned into "/"; does nothing
// when dst is null or src is empty. Returns dst. dst may overlap src.
QX_API char* v_dos2unix(char* dst, const char* src);
QX_API void v_dos2unix_path(char* path);  // "\\" -> "/" in place
QX_API void v_unix2dos_path(char* path);  // "/" -> "\\" in place

}  // namespace quarn
