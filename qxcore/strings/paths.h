// File-name helpers over string/mstring_t: split a path into directory, name
// and extension, compose one, and switch separators. Both "/" and "\\" count
// as separators. Outputs grow as needed; a fixed string cuts, and the writing
// functions answer false when they had to cut. A null output is skipped.
//
//   quarn::string_alias_t path("a/b.c/d.txt"), dat("dat");
//   quarn::string_dyn_t<> dir, name, ext;
//   quarn::v_fnsplit(path, &dir, &name, &ext);    // "a/b.c", "d", ".txt"
//   quarn::v_fncompose(&dir, dir, name, dat);     // "a/b.c/d.dat"
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

class mstring_t;
class string;

// Splitting. The last separator splits; without one the whole path is the name.
QX_API void v_fnsplit(const string& path, mstring_t* dir, mstring_t* name);
// ext keeps its dot. Without a separator a leading dot is both name and
// extension: ".profile" gives name ".profile" and ext ".profile".
QX_API void v_fnsplit(const string& path, mstring_t* dir, mstring_t* name, mstring_t* ext);

// Composing: dir, a "/" unless dir already ends in a separator, name. An empty
// dir gives name alone, so a relative name stays relative.
QX_API bool v_fncompose(mstring_t* out, const string& dir, const string& name);
// As above, then "." (unless ext starts with one) and ext when ext is not empty.
QX_API bool v_fncompose(mstring_t* out, const string& dir, const string& name, const string& ext);

// Cuts at the last separator, which goes too: "a/b/" -> "a/b", "a/b" -> "a".
QX_API void v_remove_slash(mstring_t* path);

// An extension is the text from the name part's last "." on, dot included.
QX_API bool v_get_extension(const string& path, mstring_t* ext);  // "" when none; null ext: false
QX_API bool v_check_extension(const string& path, const string& ext);  // byte-wise suffix test
QX_API bool v_change_extension(mstring_t* path, const string& ext);    // replaces or appends
// Replaces the text after the last separator (all of it when there is none).
QX_API bool v_change_filename(mstring_t* path, const string& name);

// name when it starts with a separator, else base's directory (up to and
// including its last separator) followed by name.
QX_API bool v_absolutize_filename(mstring_t* out, const string& name, const string& base);

// src into out with "\\" turned into "/". Never grows out: a text longer than
// out's buffer is reported by the mstring_t bounds check once and cut, still
// terminated. An empty src leaves out untouched. Returns out.
QX_API mstring_t* v_dos2unix(mstring_t* out, const string& src);
QX_API void v_dos2unix_path(mstring_t* path);  // "\\" -> "/" in place
QX_API void v_unix2dos_path(mstring_t* path);  // "/" -> "\\" in place

}  // namespace quarn
