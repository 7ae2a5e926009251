#include "qxcore/fs/file_logger.h"

#include <cstring>
#include <ctime>

#include "qxcore/fs/fs.h"
#include "qxcore/strings/format.h"

namespace quarn {

namespace {

std::size_t local_time(char* buffer, std::size_t size, const char* pattern) {
  std::time_t now = std::time(nullptr);
  std::tm parts;
  if (::localtime_r(&now, &parts) == nullptr) {
    buffer[0] = '\0';
    return 0;
  }
  return std::strftime(buffer, size, pattern, &parts);
}

}  // namespace

file_logger_t::file_logger_t(const string& file_name) {
  if (file_name == string::EMPTY) return;
  file_ = fs_create(file_name, FS_TYPE_NATIVE);
  if (file_ == nullptr) return;
  char created[256];
  local_time(created, sizeof created, "%A %B %d %Y @ %H:%M:%S");
  file_->printf("******** : log created on : %s\r\n", created);
  file_->flush();
}

file_logger_t::~file_logger_t() { delete file_; }

void file_logger_t::process_message(const string& text, message_t::type_t type) {
  if (file_ == nullptr || type == message_t::TYPE_VERBOSE) return;
  char line[LINE_BUFFER];
  std::size_t prefix = local_time(line, sizeof line, "%X : ");
  // The text is cut where needed so that prefix, text and line ending all fit.
  constexpr std::size_t ENDING = 2;
  std::size_t room = LINE_BUFFER - 4 - prefix - ENDING;
  v_snprintf0(line + prefix, static_cast<unsigned int>(room), "%s", text.c_str());
  std::size_t length = std::strlen(line);
  std::memcpy(line + length, "\r\n", ENDING + 1);
  file_->printf("%s", line);
  file_->flush();
}

}  // namespace quarn
