#include "qxcore/fs/stdio_file.h"

#include <sys/stat.h>

#include "qxcore/fs/fs_device.h"

namespace quarn {

namespace {

void fill_stat(const struct stat& st, bool directory, fs_stat_t* out) {
  out->time = static_cast<long>(st.st_mtime);
  // Sizes are 32-bit in the file interface; a larger file reads as the largest size.
  out->size = st.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<unsigned int>(st.st_size);
  out->is_directory = directory ? 1 : 0;
}

}  // namespace

bool host_stat(const char* path, fs_stat_t* out) {
  struct stat st;
  if (::stat(path, &st) != 0) return false;
  if (out == nullptr) return true;  // only existence is asked, whatever the object is
  bool directory = S_ISDIR(st.st_mode);
  if (!directory && !S_ISREG(st.st_mode)) return false;
  fill_stat(st, directory, out);
  return true;
}

bool host_fstat(int descriptor, fs_stat_t* out) {
  struct stat st;
  if (::fstat(descriptor, &st) != 0) return false;
  // An open stream is a file, whatever lies behind it (a pipe, a terminal).
  if (out != nullptr) fill_stat(st, false, out);
  return true;
}

stdio_file_t::~stdio_file_t() {
  // Closed here rather than from the base destructor, while this object is
  // still whole; the device pointer is cleared so the base does not close twice.
  if (device_ != nullptr) device_->close(this);
  device_ = nullptr;
  close_stream();
}

void stdio_file_t::close_stream() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
}

void stdio_file_t::switch_direction(bool writing) {
  if (writing_ != writing) std::fseek(stream_, 0, SEEK_CUR);
  writing_ = writing;
}

bool stdio_file_t::read(void* buffer, unsigned int size) {
  switch_direction(false);
  if (std::fread(buffer, 1, size, stream_) == size) {
    position_ += size;
    error_ = FS_ERROR_NONE;
    return true;
  }
  // The stream went as far as it could; put it back where the file says it is.
  std::clearerr(stream_);
  std::fseek(stream_, static_cast<long>(position_), SEEK_SET);
  error_ = FS_ERROR_READ_WRITE;
  return false;
}

bool stdio_file_t::write(const void* buffer, unsigned int size) {
  switch_direction(true);
  if (std::fwrite(buffer, 1, size, stream_) == size) {
    position_ += size;
    error_ = FS_ERROR_NONE;
    return true;
  }
  error_ = FS_ERROR_READ_WRITE;
  return false;
}

void stdio_file_t::flush() { std::fflush(stream_); }

fs_request_t* stdio_file_t::read_async(void* buffer, unsigned int size) {
  auto* request = new fs_request_t(this, position_, buffer, size);
  if (request == nullptr) return nullptr;
  read(buffer, size);
  request->finish(size);
  return request;
}

fs_request_t* stdio_file_t::write_async(const void* buffer, unsigned int size) {
  auto* request = new fs_request_t(this, position_, const_cast<void*>(buffer), size);
  if (request == nullptr) return nullptr;
  write(buffer, size);
  request->finish(size);
  return request;
}

bool stdio_file_t::seek(int offset, int origin) {
  if (origin == 0 && offset >= 0 && static_cast<unsigned int>(offset) == position_) {
    error_ = FS_ERROR_NONE;  // already there: no stream call needed
    return true;
  }
  static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (origin < 0 || origin > 2 || std::fseek(stream_, offset, whence[origin]) != 0) {
    error_ = FS_ERROR_SEEK;
    return false;
  }
  unsigned int base = origin == 0 ? 0 : origin == 1 ? position_ : size();
  position_ = base + static_cast<unsigned int>(offset);
  error_ = FS_ERROR_NONE;
  return true;
}

bool stdio_file_t::stat(fs_stat_t* out) {
  if (!host_fstat(fileno(stream_), out)) {
    error_ = FS_ERROR_STAT;
    return false;
  }
  error_ = FS_ERROR_NONE;
  return true;
}

}  // namespace quarn
