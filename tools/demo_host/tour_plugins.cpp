// Platform services: a plug-in module loaded beside the demo (its life
// through dl_lib_t) and child processes whose output is captured.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

namespace {

// The sample plug-in lies beside the demo executable. A plug-in's file name
// holds at most 63 bytes, so the shorter of the absolute and the relative
// path is used.
std::string sample_plugin_name() {
  namespace fs = std::filesystem;
  std::error_code failed;
  fs::path dir = fs::read_symlink("/proc/self/exe", failed).parent_path();
  std::string absolute = (dir / "sample_plugin").string();
  std::string relative = fs::relative(dir / "sample_plugin", failed).string();
  if (failed || relative.empty()) return absolute;
  if (relative.find('/') == std::string::npos) relative = "./" + relative;
  return relative.size() < absolute.size() ? relative : absolute;
}

// One captured text on one line, without its final line feed.
void show_text(const char* stream, const quarn::string& text) {
  int length = static_cast<int>(text.length());
  if (length > 0 && text.c_str()[length - 1] == '\n') --length;
  std::printf("  %s: \"%.*s\"\n", stream, length, text.c_str());
}

void show_run(const char* command, const char* parameter) {
  quarn::run_process_t process;
  process.set_command(quarn::string_alias_t(command));
  if (parameter != nullptr) process.add_parameter(quarn::string_alias_t(parameter));
  std::printf("run: %s%s%s\n", command, parameter != nullptr ? " + parameter " : "",
              parameter != nullptr ? parameter : "");
  if (!process.run()) {
    std::printf("  could not be started\n");
    return;
  }
  std::printf("  exit code %d\n", process.get_result());
  show_text("stdout", process.get_stdout());
  show_text("stderr", process.get_stderr());
}

}  // namespace

void tour_plugins() {
  section("plug-ins and child processes");
  std::string name = sample_plugin_name();
  quarn::dl_lib_t plugin{quarn::string_alias_t(name.c_str())};
  std::printf("dl_lib_t(\"%s\"): file \"%s\"\n", name.c_str(), plugin.c_str());
  quarn::string_dyn_t<> greeting;
  if (plugin.register_and_execute(1, &greeting)) {
    std::printf("registered and executed: \"%s\"\n", greeting.c_str());
    std::printf("unregister: %s\n", plugin.unregister() ? "unloaded" : "refused");
  }
  quarn::dl_lib_t missing{quarn::string_alias_t("no/such/plugin")};
  std::printf("a plug-in that is not there (the error goes to the console sink):\n");
  missing.register_only();

  show_run("uname -sr", nullptr);
  show_run("/bin/sh -c \"echo to stdout; echo to stderr >&2; exit 3\"", nullptr);
  // No shell: "$(date)" arrives as two plain words; quotes group words.
  show_run("printf <%s>", "\"two words\" $(date) ;ls");
  show_run("/no/such/program", nullptr);
}

}  // namespace demo
