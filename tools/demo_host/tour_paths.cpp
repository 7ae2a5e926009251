// Paths and the command line: splitting and composing file names, listing
// the demo's own directory through the wildcard functions, and reading the
// command line that main handed over with cdl_init.
#include <cstdio>
#include <initializer_list>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

namespace {

void show_split(const char* path) {
  quarn::string_dyn_t<> dir, name, ext;
  quarn::v_fnsplit(quarn::string_alias_t(path), &dir, &name, &ext);
  std::printf("v_fnsplit(\"%s\"): dir \"%s\", name \"%s\", ext \"%s\"\n", path, dir.c_str(),
              name.c_str(), ext.c_str());
}

}  // namespace

void tour_paths() {
  section("paths and command line");
  for (const char* path : {"base/textures/oak.tga", "a/b.c/d.txt", ".profile", "maps\\e1m1.map"})
    show_split(path);

  quarn::string_dyn_t<> composed;
  quarn::v_fncompose(&composed, quarn::string_alias_t("models"), quarn::string_alias_t("car"),
                     quarn::string_alias_t("dat"));
  std::printf("v_fncompose(\"models\", \"car\", \"dat\") = \"%s\"\n", composed.c_str());
  quarn::v_absolutize_filename(&composed, quarn::string_alias_t("wheel.tga"), composed);
  std::printf("v_absolutize_filename(\"wheel.tga\", that) = \"%s\"\n", composed.c_str());
  quarn::v_change_extension(&composed, quarn::string_alias_t(".png"));
  quarn::v_unix2dos_path(&composed);
  std::printf("with .png and backslashes: \"%s\"\n", composed.c_str());

  // The program's own directory, from argv[0] as the command line recorded it.
  quarn::string_dyn_t<> program_dir, pattern;
  const char* program = quarn::cdl_argv(0);
  quarn::v_fnsplit(quarn::string_alias_t(program), &program_dir, nullptr);
  if (program_dir.empty()) program_dir.copy(quarn::string_alias_t("."));
  quarn::v_fncompose(&pattern, program_dir, quarn::string_alias_t("*"));
  std::printf("entries matching \"%s\":", pattern.c_str());
  quarn::v_wildcard_t* w = nullptr;
  quarn::v_wildcard_start(pattern.c_str(), &w);
  char entry[256];
  while (quarn::v_wildcard_file(entry, sizeof entry, &w)) std::printf(" %s", entry);
  quarn::v_wildcard_end(&w);
  std::printf("\n");

  std::printf("command line: %u argument(s):", quarn::cdl_argc());
  for (unsigned int k = 0; k < quarn::cdl_argc(); ++k)
    std::printf(" [%s]", quarn::cdl_argv(k) != nullptr ? quarn::cdl_argv(k) : "(refused)");
  std::printf("\n");
  unsigned int homeless = quarn::cdl_param("-homeless", 1);
  if (homeless == quarn::CDL_NOT_FOUND)
    std::printf("cdl_param(\"-homeless\", 1): not given (try: qxcore_demo -homeless now)\n");
  else
    std::printf("cdl_param(\"-homeless\", 1) = %u, with %u value(s) after it\n", homeless,
                quarn::cdl_argc() - 1);
}

}  // namespace demo
