// file_logger_t: the log sink that writes every message except verbose traces
// into a host file, one time-stamped line each, flushed at once so the file
// is complete up to the last message even if the host stops abruptly.
//
//   quarn::file_logger_t log(quarn::string_alias_t("session.log"));
#pragma once

#include "qxcore/core/message_handler.h"
#include "qxcore/fs/file.h"

namespace quarn {

class QX_API file_logger_t : public message_handler_t {
 public:
  static constexpr unsigned int LINE_BUFFER = 10240;  // no line of the file is longer

  // Creates (or truncates) the host file and writes the header line; an
  // empty name, or a file that cannot be created, gives a sink that drops
  // every message.
  explicit file_logger_t(const string& file_name);
  ~file_logger_t() override;  // closes the file

 protected:
  void process_message(const string& text, message_t::type_t type) override;

 private:
  file_t* file_ = nullptr;
};

}  // namespace quarn
