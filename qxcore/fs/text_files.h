// Whole text files as arrays of lines. Reading splits at any run of CR and LF
// (so empty lines disappear and a line of blanks stays); writing ends every
// line with a single LF.
#pragma once

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/fs/file.h"

namespace quarn {

using text_lines_t = array_dyn_t<string_dyn_t<>>;

// The lines of the file from its current position, in a new array the
// caller deletes; null when the file cannot be read.
QX_API text_lines_t* fs_read_text_file(file_t& file);
QX_API void fs_write_text_file(file_t& file, const text_lines_t& lines);

}  // namespace quarn
