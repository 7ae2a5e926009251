// qxtool extract: a virtual file, or a virtual directory with everything
// below it, copied out to the host. A tree is built under a temporary name
// and renamed into place only when every file was copied.
#include <unistd.h>

#include <filesystem>

#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char EXTRACT_HELP[] =
    "usage: qxtool extract --mount ROOT[:PREFIX[:PRIORITY]]... VPATH DEST\n"
    "(--mount as in qxtool ls --help)\n"
    "\n"
    "Copies a virtual file to DEST (into it, when DEST is a directory), or a\n"
    "virtual directory and everything below it to DEST, which must not exist yet.\n"
    "Nothing is left behind on failure. Shows a progress bar when standard error\n"
    "is a terminal.\n";

namespace {

// Every path below `dir` (files and directories), parents before children.
void collect(const std::string& dir, std::vector<std::pair<std::string, bool>>* out) {
  quarn::list_t<quarn::fs_direntry_t>* listing =
      quarn::fs_read_dir(quarn::string_alias_t(dir.c_str()), false, quarn::FS_TYPE_VIRTUAL);
  std::vector<std::pair<std::string, bool>> here;
  for (const quarn::fs_direntry_t& e : *listing) {
    std::string entry = e.name.c_str();
    if (entry != "." && entry != "..")
      here.emplace_back(dir + (dir.back() == '/' ? "" : "/") + entry, e.is_directory != 0);
  }
  delete listing;
  for (const auto& item : here) {
    out->push_back(item);
    if (item.second) collect(item.first, out);
  }
}

bool copy_out(const char* name, const std::string& vpath, const std::string& host) {
  quarn::file_t* in = quarn::fs_open(quarn::string_alias_t(vpath.c_str()), quarn::FS_TYPE_VIRTUAL);
  std::string bytes;
  const bool read = in != nullptr && read_file(in, &bytes);
  delete in;
  if (!read) {
    fail(name, "cannot read '%s'", vpath.c_str());
    return false;
  }
  output_file_t out(host);
  if (!out.open(name)) return false;
  out.write(bytes.data(), bytes.size());
  return out.commit(name);
}

}  // namespace

int run_extract(const char* name, args_t& args) {
  mounts_t mounts;
  if (int status = mount_path_space(name, args, &mounts); status != EXIT_OK) return status;
  if (args.size() != 2) return usage(name, "give one virtual path and one destination");
  const std::string& vpath = args[0];
  std::string dest = args[1];
  quarn::fs_stat_t s;
  if (!quarn::fs_stat(quarn::string_alias_t(vpath.c_str()), &s, quarn::FS_TYPE_VIRTUAL))
    return fail(name, "'%s': no such virtual path", vpath.c_str());
  if (s.is_directory == 0) {
    if (is_directory(dest)) dest.append("/").append(base_name(vpath));
    return copy_out(name, vpath, dest) ? EXIT_OK : EXIT_FAILED;
  }

  std::error_code ec;
  if (std::filesystem::exists(dest, ec))
    return fail(name, "'%s' exists already; a tree is extracted to a new directory", dest.c_str());
  std::vector<std::pair<std::string, bool>> tree;
  collect(vpath, &tree);
  const std::string staging = dest + ".qxtool-" + std::to_string(::getpid());
  bool ok = std::filesystem::create_directory(staging, ec);
  if (!ok) fail(name, "cannot create '%s'", dest.c_str());
  const std::size_t skip = vpath.size() + (vpath.back() == '/' ? 0 : 1);
  {
    progress_t progress(tree.size());
    for (std::size_t i = 0; ok && i < tree.size(); ++i) {
      const auto& [path, is_dir] = tree[i];
      const std::string host = staging + "/" + path.substr(skip);
      if (is_dir) {
        ok = std::filesystem::create_directory(host, ec);
        if (!ok) fail(name, "cannot create '%s'", host.c_str());
      } else {
        ok = copy_out(name, path, host);
      }
      progress.step(path);
    }
  }
  if (ok) {
    std::filesystem::rename(staging, dest, ec);
    if (ec) ok = fail(name, "cannot rename into '%s'", dest.c_str()) == EXIT_OK;
  }
  if (!ok) std::filesystem::remove_all(staging, ec);
  return ok ? EXIT_OK : EXIT_FAILED;
}

}  // namespace qxtool
