// qxtool ls: a directory of the virtual path space, merged over every device
// that has it, sorted by name.
#include <algorithm>
#include <ctime>

#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char LS_HELP[] =
    "usage: qxtool ls [-l] --mount ROOT[:PREFIX[:PRIORITY]]... [VPATH...]\n"
    "\n"
    "Lists virtual directories (default \"/\"), directories with a trailing '/'.\n"
    "  -l         also the size in bytes and the modification time (UTC)\n"
    "  --mount    a host directory under PREFIX (default \"\"), or an archive file\n"
    "             (no prefix), at PRIORITY; without one, each mount overlays the\n"
    "             earlier ones\n";

int mount_path_space(const char* name, args_t& args, mounts_t* mounts) {
  std::vector<std::string> specs;
  if (!take_values(name, args, "--mount", &specs) || !only_operands(name, args)) return EXIT_USAGE;
  if (specs.empty()) return usage(name, "nothing mounted: give at least one --mount");
  return mounts->mount(name, specs);
}

int run_ls(const char* name, args_t& args) {
  const bool long_form = take_flag(args, "-l");
  mounts_t mounts;
  if (int status = mount_path_space(name, args, &mounts); status != EXIT_OK) return status;
  if (args.empty()) args.push_back("/");
  int status = EXIT_OK;
  for (const std::string& dir : args) {
    quarn::fs_stat_t info;
    if (!quarn::fs_stat(quarn::string_alias_t(dir.c_str()), &info, quarn::FS_TYPE_VIRTUAL) ||
        info.is_directory == 0) {
      status = fail(name, "'%s': no such virtual directory", dir.c_str());
      continue;
    }
    if (args.size() > 1) std::printf("%s:\n", dir.c_str());
    quarn::list_t<quarn::fs_direntry_t>* listing =
        quarn::fs_read_dir(quarn::string_alias_t(dir.c_str()), false, quarn::FS_TYPE_VIRTUAL);
    std::vector<std::pair<std::string, bool>> entries;
    for (const quarn::fs_direntry_t& e : *listing) {
      std::string entry = e.name.c_str();
      if (entry != "." && entry != "..") entries.emplace_back(entry, e.is_directory != 0);
    }
    delete listing;
    std::sort(entries.begin(), entries.end());
    for (const auto& [entry, is_dir] : entries) {
      if (long_form) {
        std::string path = dir + (dir.back() == '/' ? "" : "/") + entry;
        quarn::fs_stat_t s{};
        quarn::fs_stat(quarn::string_alias_t(path.c_str()), &s, quarn::FS_TYPE_VIRTUAL);
        std::time_t t = s.time;
        char when[32];
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", std::gmtime(&t));
        std::printf("%10u  %s  ", s.size, when);
      }
      std::printf("%s%s\n", entry.c_str(), is_dir ? "/" : "");
    }
  }
  return status;
}

}  // namespace qxtool
