#include "qxcore/core/messages.h"

#include "qxcore/core/message_dispatch.h"
#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"

namespace quarn {

namespace {

// Formats without a length limit; when the heap cannot hold the text (or the
// hooks are not set yet) the message still goes out, cut to a stack buffer.
void format_and_dispatch(message_t::type_t type, const char* fmt, va_list args) {
  va_list retry;
  va_copy(retry, args);
  string_dyn_t<> text;
  if (text.vprintf(fmt, args)) {
    dispatch_message(text, type);
  } else {
    string_fixed_t<1024> cut;
    cut.vprintf(fmt, retry);
    dispatch_message(cut, type);
  }
  va_end(retry);
}

}  // namespace

void verror(const char* fmt, va_list args) { format_and_dispatch(message_t::TYPE_ERROR, fmt, args); }
void vwarning(const char* fmt, va_list args) { format_and_dispatch(message_t::TYPE_WARNING, fmt, args); }
void vmessage(const char* fmt, va_list args) { format_and_dispatch(message_t::TYPE_MESSAGE, fmt, args); }
void vverbose(const char* fmt, va_list args) { format_and_dispatch(message_t::TYPE_VERBOSE, fmt, args); }

#define QX_DEFINE_MESSAGE_FUNCTION(name, vname) \
  void name(const char* fmt, ...) {             \
    va_list args;                               \
    va_start(args, fmt);                        \
    vname(fmt, args);                           \
    va_end(args);                               \
  }

QX_DEFINE_MESSAGE_FUNCTION(error, verror)
QX_DEFINE_MESSAGE_FUNCTION(warning, vwarning)
QX_DEFINE_MESSAGE_FUNCTION(message, vmessage)
QX_DEFINE_MESSAGE_FUNCTION(verbose, vverbose)

#undef QX_DEFINE_MESSAGE_FUNCTION

}  // namespace quarn
