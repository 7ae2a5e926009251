#include "qxcore/core/message_stdio.h"

#include <cstdio>

#include "qxcore/strings/string.h"

namespace quarn {

void message_stdio_t::process_message(const string& text, message_t::type_t type) {
  switch (type) {
    case message_t::TYPE_WARNING:
      std::fprintf(stderr, "%s%s\r\n", "*** WARNING *** : ", text.c_str());
      break;
    case message_t::TYPE_ERROR:
      std::fprintf(stderr, "%s%s\r\n", "*** ERROR *** : ", text.c_str());
      break;
    default:
      std::fprintf(stdout, "%s%s\r\n", "", text.c_str());
      break;
  }
}

}  // namespace quarn
