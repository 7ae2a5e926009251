// Arbitrary bytes as an archive: the central-directory scan reports and
// never crashes, and whatever tree it built can be listed and read.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_hooks.h"
#include "qxcore/qxcore.h"

namespace {

// A read-only file over the fuzzer's bytes.
class memory_file_t : public quarn::file_t {
 public:
  memory_file_t(const std::uint8_t* data, std::size_t size)
      : file_t(nullptr, quarn::string_alias_t("fuzz.zip")), data_(data), size_(static_cast<unsigned int>(size)) {}
  bool read(void* buffer, unsigned int n) override {
    if (static_cast<std::uint64_t>(position_) + n > size_) {
      error_ = quarn::FS_ERROR_READ_WRITE;
      return false;
    }
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return true;
  }
  bool seek(int offset, int origin) override {
    std::int64_t base = origin == 0 ? 0 : origin == 1 ? position_ : origin == 2 ? size_ : -1;
    if (base < 0 || base + offset < 0) return false;
    position_ = static_cast<unsigned int>(base + offset);
    return true;
  }
  bool stat(quarn::fs_stat_t* out) override {
    if (out != nullptr) *out = {0, size_, 0};
    return true;
  }

 private:
  const std::uint8_t* data_;
  unsigned int size_;
};

void walk(quarn::zipfs_device_t& device, const quarn::string& path, int depth) {
  quarn::list_t<quarn::fs_direntry_t>* listing = device.read_dir(path, true);
  if (listing == nullptr) return;
  for (quarn::fs_direntry_t& entry : *listing) {
    if (entry.is_directory != 0) {
      if (depth < 8) walk(device, entry.name, depth + 1);
      continue;
    }
    quarn::file_t* member = device.open(entry.name);
    if (member == nullptr) continue;
    char buffer[64];
    unsigned int n = member->size() < sizeof buffer ? member->size() : sizeof buffer;
    member->read(buffer, n);
    member->seek(1, 2);
    delete member;
  }
  delete listing;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qxfuzz::start_library();
  quarn::zipfs_device_t device(new memory_file_t(data, size), quarn::string_alias_t("fuzz.zip"),
                               quarn::string::EMPTY, 0);
  walk(device, quarn::string_alias_t("/"), 0);
  return 0;
}
