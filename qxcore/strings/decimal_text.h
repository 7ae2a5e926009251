// Internal: decimal text read as strtod reads it in the "C" locale (leading
// blanks, an optional sign, "inf", "nan"), whatever the host's locale. Shared
// by the float text form and the text parser.
#pragma once

namespace quarn {

// False when no number starts the text; otherwise *stop is the first byte
// after the number.
bool parse_decimal(const char* text, double* value, const char** stop);

// The double rounded to the nearest float, subnormals included, whatever the
// thread's flush-to-zero and rounding modes.
float narrow_to_float(double value);

}  // namespace quarn
