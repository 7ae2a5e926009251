#include "fuzz/scratch_mount.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "fuzz/fuzz_hooks.h"
#include "qxcore/fs/fs.h"

namespace qxfuzz {

namespace {
// A plain array: the removal at exit must not outlive a string's destructor.
char made[] = "/tmp/qxcore_fuzz_XXXXXX";
}  // namespace

const std::string& scratch_directory() {
  static const std::string directory = [] {
    start_library();
    if (::mkdtemp(made) == nullptr) std::abort();
    quarn::string_alias_t root(made);
    quarn::ufs_mount(quarn::FS_DEVICE_DIRECTORY, root, quarn::string::EMPTY, true, 0);
    quarn::ufs_mount(quarn::FS_DEVICE_LISTING, root, quarn::string::EMPTY, true, 450);
    std::atexit([] { std::filesystem::remove_all(made); });
    return std::string(made);
  }();
  return directory;
}

void put_scratch_file(const char* name, const std::uint8_t* bytes, std::size_t size) {
  std::FILE* f = std::fopen((scratch_directory() + "/" + name).c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(bytes, 1, size, f);
  std::fclose(f);
}

}  // namespace qxfuzz
