// The exact text form of floats used in data files: "&" and the eight
// lower-case hexadecimal digits of the IEEE-754 single-precision bit pattern
// (1.0f is "&3f800000"). Every bit pattern, NaN payloads included, survives
// the round trip. Reading also accepts "$" with the bytes in reverse order and
// ordinary decimal text ("1.5", "1.5f").
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

class mstring_t;
class string;

QX_API bool float_to_string(mstring_t* out, float value);
// False (and `out` unchanged) unless the whole text is one float.
QX_API bool string_to_float(float* out, const string& text);

}  // namespace quarn
