#include "qxcore/core/debug_logger.h"

#include <sys/uio.h>
#include <unistd.h>

#include "qxcore/strings/string.h"

namespace quarn {

debug_logger_t::debug_logger_t() = default;

void debug_logger_t::process_message(const string& text, message_t::type_t type) {
  if (type == message_t::TYPE_VERBOSE) return;
  // One unbuffered write of text and line ending, so lines of several
  // processes sharing the stream do not interleave mid-line.
  char line_end[] = "\r\n";
  iovec parts[2] = {{const_cast<char*>(text.c_str()), text.length()}, {line_end, 2}};
  ssize_t ignored = ::writev(STDERR_FILENO, parts, 2);
  (void)ignored;
}

}  // namespace quarn
