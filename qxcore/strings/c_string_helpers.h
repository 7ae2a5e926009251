// Helpers over plain NUL-terminated texts.
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// 16-bit hash of a text: h = h*29 + c (c a signed byte), h += h >> 16, per
// character; "" hashes to 0.
QX_API unsigned int v_strhash(const char* text);

QX_API void v_chop(char* text);                     // drops trailing blanks, tabs, CR, LF
QX_API char* v_skip_wspace(const char* text);       // first character that is not isspace

QX_API unsigned int v_strnlen_impl(const char* text, unsigned int max);  // at most max
QX_API char* v_stpcpy_impl(char* dst, const char* src);  // returns the copied terminator
// Copies at most n characters without zero padding; returns the copied
// terminator, or dst + n when none was copied.
QX_API char* v_stpncpy_impl(char* dst, const char* src, unsigned int n);

}  // namespace quarn
