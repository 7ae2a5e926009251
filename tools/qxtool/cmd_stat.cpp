// qxtool stat: what the path space answers for a path, and which mounted
// device answers it.
#include <ctime>

#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char STAT_HELP[] =
    "usage: qxtool stat --mount ROOT[:PREFIX[:PRIORITY]]... VPATH...\n"
    "(--mount as in qxtool ls --help)\n"
    "\n"
    "For each virtual path: file or directory, size in bytes, modification time\n"
    "(UTC), and for a file the mounted root that serves it.\n";

int run_stat(const char* name, args_t& args) {
  mounts_t mounts;
  if (int status = mount_path_space(name, args, &mounts); status != EXIT_OK) return status;
  if (args.empty()) return usage(name, "no path named");
  int status = EXIT_OK;
  for (const std::string& path : args) {
    quarn::fs_stat_t s;
    if (!quarn::fs_stat(quarn::string_alias_t(path.c_str()), &s, quarn::FS_TYPE_VIRTUAL)) {
      status = fail(name, "'%s': no such virtual path", path.c_str());
      continue;
    }
    std::time_t t = s.time;
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::gmtime(&t));
    std::printf("%s\n  kind: %s\n  size: %u\n  time: %s\n", path.c_str(),
                s.is_directory != 0 ? "directory" : "file", s.size, when);
    if (s.is_directory == 0) {
      quarn::file_t* file =
          quarn::fs_open(quarn::string_alias_t(path.c_str()), quarn::FS_TYPE_VIRTUAL);
      if (file != nullptr) std::printf("  from: %s\n", file->device_name().c_str());
      delete file;
    }
  }
  return status;
}

}  // namespace qxtool
