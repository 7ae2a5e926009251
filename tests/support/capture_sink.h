// A log sink that keeps every message it receives, for assertions on the
// library's exact texts.
#pragma once

#include <string>
#include <vector>

#include "qxcore/core/message_handler.h"
#include "qxcore/strings/string.h"

namespace qxtest {

struct captured_message_t {
  std::string text;
  quarn::message_t::type_t type;
};

class capture_sink_t : public quarn::message_handler_t {
 public:
  std::vector<captured_message_t> messages;

  // Texts of one type, in arrival order.
  std::vector<std::string> texts(quarn::message_t::type_t type) const {
    std::vector<std::string> out;
    for (const auto& m : messages)
      if (m.type == type) out.push_back(m.text);
    return out;
  }
  std::vector<std::string> errors() const { return texts(quarn::message_t::TYPE_ERROR); }
  std::vector<std::string> warnings() const { return texts(quarn::message_t::TYPE_WARNING); }

 protected:
  void process_message(const quarn::string& text, quarn::message_t::type_t type) override {
    messages.push_back({text.c_str(), type});
  }
};

}  // namespace qxtest
