#include "qxcore/fs/cfile.h"

#include <cstring>

namespace quarn {

namespace {

constexpr unsigned char KEY = 0xA7;

void scramble(unsigned char* bytes, unsigned int size) {
  for (unsigned int i = 0; i < size; ++i) bytes[i] ^= KEY;
}

}  // namespace

cfile_t::cfile_t(file_t* inner)
    : file_t(inner != nullptr ? inner->device() : nullptr, inner != nullptr ? inner->path() : string::EMPTY),
      inner_(inner) {
  if (inner_ != nullptr) mirror();
}

cfile_t::~cfile_t() {
  device_ = nullptr;  // the inner file is the one its device closes
  delete inner_;
}

void cfile_t::mirror() {
  position_ = inner_->position();
  error_ = inner_->get_error();
}

bool cfile_t::read(void* buffer, unsigned int size) {
  if (inner_ == nullptr) return file_t::read(buffer, size);
  bool done = inner_->read(buffer, size);
  if (done) scramble(static_cast<unsigned char*>(buffer), size);
  mirror();
  return done;
}

bool cfile_t::write(const void* buffer, unsigned int size) {
  if (inner_ == nullptr) return file_t::write(buffer, size);
  auto* copy = static_cast<unsigned char*>(host_alloc_vector(size == 0 ? 1 : size));
  if (copy == nullptr) {
    error_ = FS_ERROR_READ_WRITE;
    return false;
  }
  std::memcpy(copy, buffer, size);
  scramble(copy, size);
  bool done = inner_->write(copy, size);
  host_free_vector(copy);
  mirror();
  return done;
}

void cfile_t::flush() {
  if (inner_ != nullptr) inner_->flush();
}

fs_request_t* cfile_t::read_async(void* buffer, unsigned int size) {
  if (inner_ == nullptr) return file_t::read_async(buffer, size);
  fs_request_t* request = inner_->read_async(buffer, size);
  mirror();
  return request;
}

fs_request_t* cfile_t::write_async(const void* buffer, unsigned int size) {
  if (inner_ == nullptr) return file_t::write_async(buffer, size);
  fs_request_t* request = inner_->write_async(buffer, size);
  mirror();
  return request;
}

bool cfile_t::seek(int offset, int origin) {
  if (inner_ == nullptr) return file_t::seek(offset, origin);
  bool done = inner_->seek(offset, origin);
  mirror();
  return done;
}

bool cfile_t::stat(fs_stat_t* out) {
  if (inner_ == nullptr) return file_t::stat(out);
  bool done = inner_->stat(out);
  mirror();
  return done;
}

}  // namespace quarn
