// The library's diagnostics: four printf-style functions that format a text
// once and hand it to every registered log sink (core/message_handler.h).
// There is no level filter here; each sink decides by the message type.
//
//   quarn::warning("[fs] cannot open %s", path);
#pragma once

#include <cstdarg>

#include "qxcore/core/export.h"

namespace quarn {

struct message_t {
  enum type_t : unsigned int {
    TYPE_MESSAGE = 0,  // message, vmessage
    TYPE_WARNING = 1,  // warning, vwarning
    TYPE_VERBOSE = 2,  // verbose, vverbose
    TYPE_ERROR = 3,    // error, verror, v_assert_fail, v_abort_fail
  };
};

QX_API void error(const char* fmt, ...) QX_PRINTF(1, 2);
QX_API void warning(const char* fmt, ...) QX_PRINTF(1, 2);
QX_API void message(const char* fmt, ...) QX_PRINTF(1, 2);
QX_API void verbose(const char* fmt, ...) QX_PRINTF(1, 2);

QX_API void verror(const char* fmt, va_list args);
QX_API void vwarning(const char* fmt, va_list args);
QX_API void vmessage(const char* fmt, va_list args);
QX_API void vverbose(const char* fmt, va_list args);

}  // namespace quarn
