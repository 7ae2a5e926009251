// Log sinks. A sink registers itself when it is constructed and unregisters
// when it is destroyed, so it receives messages exactly for its lifetime.
// At most 8 sinks are registered at a time, called in registration order.
//
//   struct console_sink_t : quarn::message_handler_t {
//     void process_message(const quarn::string& text, quarn::message_t::type_t type) override;
//   };
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/core/messages.h"

namespace quarn {

class string;

class QX_API message_handler_t {
 public:
  static constexpr unsigned int MAX_HANDLERS = 8;

  message_handler_t();           // registers; a ninth sink is silently left out
  virtual ~message_handler_t();  // unregisters
  message_handler_t(const message_handler_t&) = delete;
  message_handler_t& operator=(const message_handler_t&) = delete;

 protected:
  // The fully formatted text, without a line ending.
  virtual void process_message(const string& text, message_t::type_t type) = 0;

 private:
  friend struct message_dispatcher_t;
};

QX_API void message_handler_register(message_handler_t* handler);
QX_API void message_handler_unregister(message_handler_t* handler);  // keeps the others' order

}  // namespace quarn
