// Internal: hands one formatted text to every registered sink.
#pragma once

#include "qxcore/core/messages.h"

namespace quarn {

class string;

void dispatch_message(const string& text, message_t::type_t type);

}  // namespace quarn
