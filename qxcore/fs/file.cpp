#include "qxcore/fs/file.h"

#include "qxcore/fs/fs_device.h"

namespace quarn {

file_t::file_t(fs_device_t* device, const string& path) : device_(device), path_(path) {}

file_t::~file_t() {
  if (device_ != nullptr) device_->close(this);
}

bool file_t::read(void*, unsigned int) {
  error_ = FS_ERROR_UNSUPPORTED;
  return false;
}

bool file_t::write(const void*, unsigned int) {
  error_ = FS_ERROR_UNSUPPORTED;
  return false;
}

void file_t::flush() {}

fs_request_t* file_t::read_async(void*, unsigned int) {
  error_ = FS_ERROR_UNSUPPORTED;
  return nullptr;
}

fs_request_t* file_t::write_async(const void*, unsigned int) {
  error_ = FS_ERROR_UNSUPPORTED;
  return nullptr;
}

bool file_t::seek(int, int) {
  error_ = FS_ERROR_UNSUPPORTED;
  return false;
}

bool file_t::stat(fs_stat_t*) {
  error_ = FS_ERROR_UNSUPPORTED;
  return false;
}

unsigned int file_t::size() {
  fs_stat_t status;
  return stat(&status) ? status.size : 0;
}

long file_t::time() {
  fs_stat_t status;
  return stat(&status) ? status.time : 0;
}

bool file_t::eof() {
  fs_stat_t status;
  return !stat(&status) || position_ == status.size;
}

bool file_t::get_location(mstring_t* out) const {
  if (device_ == nullptr) return out->copy(path_);
  return device_->get_location(out, this);
}

const string& file_t::device_name() const {
  return device_ != nullptr ? device_->device_name() : string::EMPTY;
}

fs_type_t file_t::get_fs_type() const { return device_ != nullptr ? device_->type() : FS_TYPE_NATIVE; }

void file_t::vprintf(const char* fmt, va_list args) {
  string_dyn_t<> text;
  text.vprintf(fmt, args);
  write(text.c_str(), text.length());
}

void file_t::printf(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  vprintf(fmt, args);
  va_end(args);
}

}  // namespace quarn
