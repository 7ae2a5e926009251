#include "qxcore/core/message_handler.h"

#include "qxcore/core/message_dispatch.h"
#include "qxcore/strings/string.h"

namespace quarn {

namespace {

// The process-wide sink registry: eight slots in registration order. It holds
// only pointers, so creating it on first use allocates nothing.
struct sink_registry_t {
  message_handler_t* sinks[message_handler_t::MAX_HANDLERS];
  unsigned int count;
};

sink_registry_t& sink_registry() {
  static constinit sink_registry_t registry{};
  return registry;
}

// A sink that reports while it handles a message would recurse without end;
// nested messages beyond this depth are dropped.
constexpr unsigned int MAX_NESTED_DISPATCH = 3;
constinit unsigned int dispatch_depth = 0;

}  // namespace

struct message_dispatcher_t {
  static void deliver(message_handler_t* sink, const string& text, message_t::type_t type) {
    sink->process_message(text, type);
  }
};

message_handler_t::message_handler_t() { message_handler_register(this); }

message_handler_t::~message_handler_t() { message_handler_unregister(this); }

void message_handler_register(message_handler_t* handler) {
  sink_registry_t& registry = sink_registry();
  if (handler == nullptr || registry.count == message_handler_t::MAX_HANDLERS) return;
  registry.sinks[registry.count++] = handler;
}

void message_handler_unregister(message_handler_t* handler) {
  sink_registry_t& registry = sink_registry();
  for (unsigned int i = 0; i < registry.count; ++i) {
    if (registry.sinks[i] != handler) continue;
    for (unsigned int j = i + 1; j < registry.count; ++j) registry.sinks[j - 1] = registry.sinks[j];
    --registry.count;
    return;
  }
}

void dispatch_message(const string& text, message_t::type_t type) {
  if (dispatch_depth >= MAX_NESTED_DISPATCH) return;
  ++dispatch_depth;
  // Indexing the live registry (rather than a copy) keeps a sink that is
  // destroyed by another sink's handler from being called afterwards.
  sink_registry_t& registry = sink_registry();
  for (unsigned int i = 0; i < registry.count; ++i)
    message_dispatcher_t::deliver(registry.sinks[i], text, type);
  --dispatch_depth;
}

}  // namespace quarn
