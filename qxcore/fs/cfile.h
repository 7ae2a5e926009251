// cfile_t: a file that scrambles what passes through it, every byte XOR 0xA7,
// over any other file, which it owns. Writing through one wrapper and reading
// back through another gives the bytes first written.
#pragma once

#include "qxcore/fs/file.h"

namespace quarn {

class QX_API cfile_t : public file_t {
 public:
  explicit cfile_t(file_t* inner);  // owns inner from now on
  ~cfile_t() override;               // deletes inner

  bool read(void* buffer, unsigned int size) override;
  bool write(const void* buffer, unsigned int size) override;
  void flush() override;
  fs_request_t* read_async(void* buffer, unsigned int size) override;  // not scrambled
  fs_request_t* write_async(const void* buffer, unsigned int size) override;
  bool seek(int offset, int origin) override;
  bool stat(fs_stat_t* out) override;

  file_t* inner() const { return inner_; }

 private:
  void mirror();  // take the inner file's position and error as ours

  file_t* inner_;
};

}  // namespace quarn
