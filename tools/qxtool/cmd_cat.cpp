// qxtool cat: virtual files, byte for byte, on standard output.
#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char CAT_HELP[] =
    "usage: qxtool cat --mount ROOT[:PREFIX[:PRIORITY]]... VPATH...\n"
    "(--mount as in qxtool ls --help)\n"
    "\n"
    "Writes each virtual file, as the highest-priority device has it, to standard\n"
    "output.\n";

int run_cat(const char* name, args_t& args) {
  mounts_t mounts;
  if (int status = mount_path_space(name, args, &mounts); status != EXIT_OK) return status;
  if (args.empty()) return usage(name, "no file named");
  int status = EXIT_OK;
  for (const std::string& path : args) {
    quarn::file_t* file =
        quarn::fs_open(quarn::string_alias_t(path.c_str()), quarn::FS_TYPE_VIRTUAL);
    std::string bytes;
    if (file == nullptr || !read_file(file, &bytes)) {
      status = fail(name, "cannot read '%s'", path.c_str());
    } else if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
      status = fail(name, "cannot write to standard output");
    }
    delete file;
  }
  return std::fflush(stdout) == 0 ? status : fail(name, "cannot write to standard output");
}

}  // namespace qxtool
