// file_t: an open file of any device. The concrete kinds (host streams,
// archive members, the scrambling wrapper) override what they can do; the
// rest answers FS_ERROR_UNSUPPORTED. The caller owns a file and deletes it,
// which closes it through its device, before that device is unmounted.
//
//   file_t* f = fs_open(string_alias_t("/def/world.txt"), FS_TYPE_VIRTUAL);
//   char header[8];
//   if (f && f->read(header, 8)) use(header);
//   delete f;
#pragma once

#include <cstdarg>

#include "qxcore/core/host_memory.h"
#include "qxcore/fs/fs_types.h"

namespace quarn {

class fs_device_t;
class fs_request_t;

class QX_API file_t : public host_allocated_t {
 public:
  virtual bool read(void* buffer, unsigned int size);         // all `size` bytes or false
  virtual bool write(const void* buffer, unsigned int size);  // all `size` bytes or false
  virtual void flush();
  virtual fs_request_t* read_async(void* buffer, unsigned int size);  // caller deletes; null if unsupported
  virtual fs_request_t* write_async(const void* buffer, unsigned int size);
  virtual bool seek(int offset, int origin);  // origin 0 start, 1 current, 2 end
  virtual bool stat(fs_stat_t* out);           // status of the open file; null out only tests
  virtual ~file_t();                           // closes the file through its device

  fs_error_t get_error() const { return error_; }
  unsigned int position() const { return position_; }
  const string& path() const { return path_; }  // as the device chose it
  fs_device_t* device() const { return device_; }

  // From stat(); when the status cannot be had, size() and time() are 0 and
  // eof() is true, so that a read loop ends.
  unsigned int size();
  long time();
  bool eof();

  bool get_location(mstring_t* out) const;  // the path a user would recognise
  const string& device_name() const;
  fs_type_t get_fs_type() const;

  // Formats and writes the text without its terminator; the write's result is
  // in get_error().
  void vprintf(const char* fmt, va_list args);
  void printf(const char* fmt, ...) QX_PRINTF(2, 3);

 protected:
  file_t(fs_device_t* device, const string& path);
  file_t(const file_t&) = delete;
  file_t& operator=(const file_t&) = delete;

  fs_device_t* device_;  // closes the file; null for a file no device must close
  string_dyn_t<> path_;
  unsigned int position_ = 0;
  fs_error_t error_ = FS_ERROR_NONE;

 private:
  friend class fs_device_t;
};

// An asynchronous transfer, owned and deleted by the caller. The library's
// files perform the transfer at once and hand back a finished request.
class QX_API fs_request_t : public host_allocated_t {
 public:
  fs_request_t(file_t* file, unsigned int start, void* buffer, unsigned int size)
      : file_(file), start_(start), buffer_(buffer), size_(size) {}
  virtual unsigned int transferred() { return transferred_; }
  virtual bool is_done() { return status_ != PENDING; }
  virtual void wait() {}    // requests of the library are finished when returned
  virtual void cancel() {}
  virtual ~fs_request_t() = default;

  void finish(unsigned int transferred) {
    transferred_ = transferred;
    status_ = FINISHED;
  }
  file_t* file() const { return file_; }
  unsigned int start() const { return start_; }  // the file position when the request was made
  void* buffer() const { return buffer_; }
  unsigned int size() const { return size_; }

 private:
  static constexpr unsigned char PENDING = 1;
  static constexpr unsigned char FINISHED = 0;

  file_t* file_;
  unsigned int start_;
  void* buffer_;
  unsigned int size_;
  unsigned char status_ = PENDING;
  unsigned int transferred_ = 0;
};

}  // namespace quarn
