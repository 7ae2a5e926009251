// qxtool deps: a converted resource's dependency file read the way the game
// reads it, each source's state, and the library's out-of-date verdict. The
// game folder's devices are mounted read-only at their usual priorities, so
// the answer is the one the converting device would reach, and nothing is
// converted or created.
#include <climits>
#include <cstdlib>
#include <ctime>

#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char DEPS_HELP[] =
    "usage: qxtool deps [--game DIR] FILE.dep\n"
    "\n"
    "FILE.dep is a dependency file of a game folder, GAME/.dep/PATH.dep, which\n"
    "belongs to the resource /PATH. Prints the resource, each source with its\n"
    "time (or \"missing\"), and whether the resource is up to date.\n"
    "  --game DIR  the game folder (default: the folder that holds FILE.dep's .dep)\n"
    "Exit status: 0 up to date, 1 out of date or not known, 64 wrong usage.\n";

namespace {

std::string real_path(const std::string& path) {
  char buffer[PATH_MAX];
  return ::realpath(path.c_str(), buffer) != nullptr ? buffer : "";
}

std::string time_text(long time) {
  std::time_t t = time;
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::gmtime(&t));
  return when;
}

}  // namespace

int run_deps(const char* name, args_t& args) {
  std::vector<std::string> games;
  if (!take_values(name, args, "--game", &games) || !only_operands(name, args)) return EXIT_USAGE;
  if (args.size() != 1) return usage(name, "give one dependency file");
  const std::string file = real_path(args[0]);
  if (file.empty()) return fail(name, "cannot find '%s'", args[0].c_str());
  std::string game = games.empty() ? "" : real_path(games.back());
  if (!games.empty() && game.empty())
    return fail(name, "cannot find the game folder '%s'", games.back().c_str());
  if (game.empty()) {
    const std::size_t at = file.rfind("/.dep/");
    if (at != std::string::npos) game = file.substr(0, at);
  }
  const std::string dep_root = game + "/.dep/";
  if (game.empty() || file.compare(0, dep_root.size(), dep_root) != 0 ||
      file.size() < dep_root.size() + 5 || file.compare(file.size() - 4, 4, ".dep") != 0)
    return fail(name, "'%s' is not GAME/.dep/PATH.dep of a game folder", args[0].c_str());
  const std::string resource =  // from the "/" that ends dep_root, without ".dep"
      file.substr(dep_root.size() - 1, file.size() - dep_root.size() - 3);

  const quarn::std_mount_record_t* records[] = {
      &quarn::std_mount_t::BASE_TEST_LISTING, &quarn::std_mount_t::BASE_LISTING,
      &quarn::std_mount_t::RSRC_READ_ONLY,    &quarn::std_mount_t::PATCH_ARCHIVE,
      &quarn::std_mount_t::BASE_ARCHIVE,      &quarn::std_mount_t::DEPENDENCIES_READ_ONLY};
  std::vector<quarn::ufs_device_t*> devices;
  for (const quarn::std_mount_record_t* r : records) {
    const std::string root = game + "/" + r->root;
    if (!is_directory(root) && !is_regular_file(root)) continue;
    if (auto* d = quarn::ufs_mount(r->kind, quarn::string_alias_t(root.c_str()),
                                   quarn::string_alias_t(r->prefix), true, r->priority))
      devices.push_back(d);
  }

  quarn::fs_mount_table_t* table = quarn::fs_mount_table();
  quarn::res_deps_t deps;
  const bool listed = deps.read(quarn::string_alias_t(resource.c_str()));
  std::printf("resource %s\n", resource.c_str());
  for (unsigned int i = 0; i < deps.size(); ++i) {
    quarn::fs_stat_t s;
    const bool found = table->stat(deps.get(i), &s, quarn::RES_SOURCE_RANGE);
    std::printf("  %s %s  %s\n", i == 0 ? "primary" : "source ", deps.get(i).c_str(),
                found ? time_text(s.time).c_str() : "missing");
  }
  quarn::string_dyn_t<> reason;
  const bool out_of_date =
      quarn::resource_is_out_of_date(quarn::string_alias_t(resource.c_str()), &reason);
  if (out_of_date)
    std::printf("out of date: %s\n", reason.c_str());
  else
    std::printf("up to date\n");
  if (!listed) fail(name, "cannot read the dependency list of '%s'", resource.c_str());
  for (quarn::ufs_device_t* device : devices) quarn::ufs_unmount(device);
  return out_of_date || !listed ? EXIT_FAILED : EXIT_OK;
}

}  // namespace qxtool
