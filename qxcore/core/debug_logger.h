// debug_logger_t: the debugger-output sink. Every message except verbose
// traces is written, followed by CR LF, unbuffered to the standard error
// stream (where a debugger or the terminal sees it at once).
#pragma once

#include "qxcore/core/message_handler.h"

namespace quarn {

class QX_API debug_logger_t : public message_handler_t {
 public:
  debug_logger_t();

 protected:
  void process_message(const string& text, message_t::type_t type) override;
};

}  // namespace quarn
