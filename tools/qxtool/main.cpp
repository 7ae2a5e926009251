// qxtool: the library's command-line tool. It looks into virtual path spaces
// (directories and archives), packs archives, converts images, reads
// dependency files, and answers checksums and the processor's identity, all
// through the library's public interface.
//
// Each command is one cmd_<name>.cpp; adding one means one line in COMMANDS.
#include <cstdlib>
#include <cstring>

#include "tools/qxtool/commands.h"
#include "tools/qxtool/tool.h"

namespace {

using namespace qxtool;

const command_t COMMANDS[] = {
    {"ls", "list a directory of the virtual path space", LS_HELP, run_ls},
    {"cat", "write virtual files to standard output", CAT_HELP, run_cat},
    {"stat", "show a virtual path's kind, size, time and device", STAT_HELP, run_stat},
    {"extract", "copy a virtual file or tree to a host path", EXTRACT_HELP, run_extract},
    {"pack", "write a host directory as a stored archive", PACK_HELP, run_pack},
    {"image", "describe or convert TGA and DDS (S3TC) images", IMAGE_HELP, run_image},
    {"deps", "list a dependency file's sources and test its resource", DEPS_HELP, run_deps},
    {"units", "check units files, or write them in the canonical form", UNITS_HELP, run_units},
    {"crc32", "CRC-32 of files", CRC32_HELP, run_crc32},
    {"adler32", "Adler-32 of files", ADLER32_HELP, run_adler32},
    {"cpu", "the processor and the code paths it gets", CPU_HELP, run_cpu},
};

void print_help(std::FILE* out) {
  std::fprintf(out,
               "usage: qxtool COMMAND [OPTIONS] [ARGUMENTS]\n"
               "       qxtool COMMAND --help\n\n"
               "--verbose (with any command) also shows the library's plain messages.\n\n"
               "commands:\n");
  for (const command_t& c : COMMANDS) std::fprintf(out, "  %-9s %s\n", c.name, c.summary);
  std::fprintf(out,
               "\nExit status: 0 success, 1 failure, 64 wrong usage. Errors go to standard error;\n"
               "a command that fails leaves no output file behind.\n");
}

// The library's own reports, all on standard error so that they never mix
// with a command's output.
// Plain messages (an archive was mounted...) only with --verbose.
class stderr_sink_t : public quarn::message_handler_t {
 public:
  explicit stderr_sink_t(bool verbose) : verbose_(verbose) {}

 protected:
  void process_message(const quarn::string& text, quarn::message_t::type_t type) override {
    if (!verbose_ && type != quarn::message_t::TYPE_ERROR && type != quarn::message_t::TYPE_WARNING)
      return;
    const char* tag = type == quarn::message_t::TYPE_ERROR     ? "error: "
                      : type == quarn::message_t::TYPE_WARNING ? "warning: "
                                                               : "";
    std::fprintf(stderr, "qxtool: %s%s\n", tag, text.c_str());
  }

 private:
  bool verbose_;
};

void* allocate(unsigned int size) { return std::malloc(size != 0 ? size : 1); }
void release(void* p) { std::free(p); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    print_help(stderr);
    return EXIT_USAGE;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    print_help(stdout);
    return EXIT_OK;
  }
  const command_t* command = nullptr;
  for (const command_t& c : COMMANDS)
    if (std::strcmp(argv[1], c.name) == 0) command = &c;
  if (command == nullptr) {
    std::fprintf(stderr, "qxtool: unknown command '%s'\n", argv[1]);
    print_help(stderr);
    return EXIT_USAGE;
  }
  args_t args(argv + 2, argv + argc);
  if (take_flag(args, "--help") || take_flag(args, "-h")) {
    std::fputs(command->help, stdout);
    return EXIT_OK;
  }
  const bool verbose = take_flag(args, "--verbose");
  quarn::qxcore_init(allocate, allocate, release, release, quarn::CPU_DETECT);
  int status;
  {
    stderr_sink_t sink(verbose);
    status = command->run(command->name, args);
  }
  quarn::qxcore_shutdown();
  return status;
}
