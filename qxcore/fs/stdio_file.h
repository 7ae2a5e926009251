// stdio_file_t: an open host file, read and written through a standard I/O
// stream. The native device opens it; directory devices hand it out as their
// own, so it is closed through whichever device opened it.
#pragma once

#include <cstdio>

#include "qxcore/fs/file.h"

namespace quarn {

class QX_API stdio_file_t : public file_t {
 public:
  stdio_file_t(fs_device_t* device, const string& path, std::FILE* stream)
      : file_t(device, path), stream_(stream) {}
  ~stdio_file_t() override;

  bool read(void* buffer, unsigned int size) override;  // a short read moves nothing
  bool write(const void* buffer, unsigned int size) override;
  void flush() override;
  fs_request_t* read_async(void* buffer, unsigned int size) override;  // performed at once
  fs_request_t* write_async(const void* buffer, unsigned int size) override;
  bool seek(int offset, int origin) override;
  bool stat(fs_stat_t* out) override;

  std::FILE* stream() const { return stream_; }
  void close_stream();  // for the devices' close

 private:
  // C streams need a seek between a read and a write (either order); the
  // file remembers which it did last and repositions when that changes.
  void switch_direction(bool writing);

  std::FILE* stream_;
  bool writing_ = false;
};

// The host's status of a path or an open descriptor, in the library's terms.
// A path must name a regular file or a directory, unless `out` is null (then
// it only has to exist); a descriptor may be anything and reads as a file.
bool host_stat(const char* path, fs_stat_t* out);
bool host_fstat(int descriptor, fs_stat_t* out);

}  // namespace quarn
