// qxtool units: units files loaded the way a game loads them (check) and
// written back in the saver's canonical form (format). A units file names
// the host's unit types, so the host lends them through a plug-in: each
// --types MODULE is loaded as a qxcore plug-in whose dl_execute receives
// QXTOOL_REGISTER_UNIT_TYPES with the unit_bank_t* to register into.
#include <memory>

#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char UNITS_HELP[] =
    "usage: qxtool units check|format [--types MODULE]... FILE...\n"
    "\n"
    "  check   load each units file and report what the loader reports\n"
    "  format  load each file and write it back in the canonical form\n"
    "          (the file is replaced only when it loads and saves whole)\n"
    "  --types MODULE  a plug-in (MODULE.so) that registers the host's unit types:\n"
    "          its dl_ops_t::dl_execute gets the code 0x756E6974 ('unit') and the\n"
    "          quarn::unit_bank_t* to register them in; MODULE is at most 63\n"
    "          characters, as for every plug-in the library loads\n"
    "Exit status: 0 every file loaded (and was written), 1 otherwise, 64 wrong usage.\n";

namespace {

constexpr unsigned int QXTOOL_REGISTER_UNIT_TYPES = 0x756E6974;  // 'unit'

// Loads `path`; the loader holds the file's unit trees until it goes.
bool load(const char* name, const std::string& path, quarn::unit_load_t* loader) {
  if (loader->load()) return true;
  fail(name, "'%s' does not load", path.c_str());
  return false;
}

quarn::file_t* open_units_file(const char* name, const std::string& path) {
  quarn::file_t* file = quarn::fs_open(quarn::string_alias_t(path.c_str()), quarn::FS_TYPE_NATIVE);
  if (file == nullptr) fail(name, "cannot open '%s'", path.c_str());
  return file;
}

bool check_file(const char* name, const std::string& path, quarn::unit_system_t& system) {
  std::unique_ptr<quarn::file_t> file(open_units_file(name, path));
  if (file == nullptr) return false;
  quarn::unit_load_t loader(*file, system);
  return load(name, path, &loader);
}

// The trees go to the saver in the order the file first named them.
bool format_file(const char* name, const std::string& path, quarn::unit_system_t& system) {
  std::unique_ptr<quarn::file_t> file(open_units_file(name, path));
  if (file == nullptr) return false;
  quarn::unit_load_t loader(*file, system);
  if (!load(name, path, &loader)) return false;
  output_file_t out(path);
  if (!out.open(name)) return false;
  {
    quarn::unit_save_t saver(*out.file(), quarn::UTM_OWNED);
    for (unsigned int i = 0; i < loader.get_tree_count(); ++i) saver.add(loader.get_tree(i));
    if (!saver.save(quarn::UPF_TEXT)) out.set_failed();
  }
  return out.commit(name);
}

}  // namespace

int run_units(const char* name, args_t& args) {
  if (args.empty() || (args[0] != "check" && args[0] != "format"))
    return usage(name, "say check or format");
  const bool format = args[0] == "format";
  args.erase(args.begin());
  std::vector<std::string> modules;
  if (!take_values(name, args, "--types", &modules) || !only_operands(name, args))
    return EXIT_USAGE;
  if (args.empty()) return usage(name, "no units file named");

  quarn::unit_bank_t bank;
  std::vector<quarn::dl_lib_t> plugins;
  plugins.reserve(modules.size());
  for (const std::string& module : modules) {
    plugins.emplace_back(quarn::string_alias_t(module.c_str()));
    if (!plugins.back().register_and_execute(QXTOOL_REGISTER_UNIT_TYPES, &bank))
      return fail(name, "the plug-in '%s' did not register its unit types", module.c_str());
  }
  int status = EXIT_OK;
  {
    quarn::unit_system_t system(bank);
    for (const std::string& path : args) {
      if (!(format ? format_file(name, path, system) : check_file(name, path, system)))
        status = EXIT_FAILED;
      quarn::unit_system_t::clean_garbage();
    }
  }
  for (quarn::dl_lib_t& plugin : plugins) plugin.unregister();
  return status;
}

}  // namespace qxtool
