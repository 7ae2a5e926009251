// qxtool pack: a host directory as a ZIP archive of stored members, the kind
// the library's archive device mounts.
#include <algorithm>
#include <filesystem>

#include "tools/archive_writer/stored_zip.h"
#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char PACK_HELP[] =
    "usage: qxtool pack DIR ARCHIVE\n"
    "\n"
    "Writes every file and directory below DIR into ARCHIVE, stored (not\n"
    "compressed), names relative to DIR, in name order. ARCHIVE appears only when\n"
    "it was written whole. Shows a progress bar when standard error is a terminal.\n";

int run_pack(const char* name, args_t& args) {
  if (!only_operands(name, args)) return EXIT_USAGE;
  if (args.size() != 2) return usage(name, "give a directory and an archive");
  const std::string& dir = args[0];
  if (!is_directory(dir)) return fail(name, "'%s' is not a directory", dir.c_str());

  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<std::pair<std::string, bool>> entries;  // relative name, is a directory
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const bool is_dir = it->is_directory(ec);
    entries.emplace_back(fs::relative(it->path(), dir, ec).generic_string(), is_dir);
  }
  if (ec) return fail(name, "cannot list '%s': %s", dir.c_str(), ec.message().c_str());
  std::sort(entries.begin(), entries.end());

  std::vector<qxtools::zip_member_t> members;
  std::size_t total = 0;
  {
    progress_t progress(entries.size());
    for (const auto& [relative, is_dir] : entries) {
      qxtools::zip_member_t m;
      m.name = relative + (is_dir ? "/" : "");
      m.directory_attribute = is_dir;
      if (!is_dir && !read_host_file(name, dir + "/" + relative, &m.data)) return EXIT_FAILED;
      total += m.data.size() + 2 * m.name.size() + 100;
      if (total > 0xFFFFFFFFu)
        return fail(name, "'%s' is too large for an archive (4 GiB)", dir.c_str());
      members.push_back(std::move(m));
      progress.step(relative);
    }
  }
  const std::string bytes = qxtools::build_zip(members);
  output_file_t out(args[1]);
  if (!out.open(name)) return EXIT_FAILED;
  out.write(bytes.data(), bytes.size());
  return out.commit(name) ? EXIT_OK : EXIT_FAILED;
}

}  // namespace qxtool
