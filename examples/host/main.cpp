// A minimal host: starts the library with its own allocation hooks, mounts a
// directory, writes and reads a file through the virtual path space, and
// shuts down. Exits 0 when every step worked.
#include <cstdio>
#include <cstdlib>

#include "qxcore/qxcore.h"

namespace {

void* host_new(unsigned int size) { return std::malloc(size != 0 ? size : 1); }
void host_delete(void* p) { std::free(p); }

}  // namespace

int main(int argc, char** argv) {
  const char* dir = argc > 1 ? argv[1] : ".";
  quarn::qxcore_init(host_new, host_new, host_delete, host_delete, quarn::CPU_DETECT);
  bool ok = false;
  {
    quarn::message_stdio_t console;  // the library's reports, for as long as it lives
    quarn::ufs_device_t* device =
        quarn::ufs_mount(quarn::FS_DEVICE_DIRECTORY, quarn::string_alias_t(dir),
                         quarn::string_alias_t("/host"), false, 100);
    const char text[] = "123456789";
    if (quarn::file_t* out =
            quarn::fs_create(quarn::string_alias_t("/host/hello.txt"), quarn::FS_TYPE_VIRTUAL)) {
      out->write(text, 9);
      delete out;
    }
    char back[9] = {};
    if (quarn::file_t* in =
            quarn::fs_open(quarn::string_alias_t("/host/hello.txt"), quarn::FS_TYPE_VIRTUAL)) {
      ok = in->read(back, 9) && quarn::crc32(back, 9) == 0xCBF43926u;  // the check value of CRC-32
      delete in;
    }
    quarn::fs_remove(quarn::string_alias_t("/host/hello.txt"), quarn::FS_TYPE_VIRTUAL);
    quarn::ufs_unmount(device);
    quarn::message("qxcore host: %s on %s", ok ? "ok" : "FAILED", quarn::get_cpu_name());
  }
  quarn::qxcore_shutdown();
  return ok ? 0 : 1;
}
