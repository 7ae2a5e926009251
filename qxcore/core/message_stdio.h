// message_stdio_t: the console sink. Warnings and errors go to the standard
// error stream with a "*** WARNING *** : " / "*** ERROR *** : " prefix, other
// messages to the standard output; every line ends in CR LF. The host
// constructs the object; the library supplies its behaviour.
#pragma once

#include "qxcore/core/message_handler.h"

namespace quarn {

class QX_API message_stdio_t : public message_handler_t {
 protected:
  void process_message(const string& text, message_t::type_t type) override;
};

}  // namespace quarn
