// qxtool cpu: the processor as the library identifies it, which decides the
// code paths of its dispatched routines.
#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char CPU_HELP[] =
    "usage: qxtool cpu\n"
    "\n"
    "Prints the processor's vendor, name, time-stamp counter rate and the features\n"
    "the library detects (the ones that choose its SSE, SSE2 and AVX code paths).\n";

int run_cpu(const char* name, args_t& args) {
  if (!only_operands(name, args)) return EXIT_USAGE;
  if (!args.empty()) return usage(name, "takes no arguments");
  const unsigned int features = quarn::identify_cpu();
  std::printf("vendor   %s\n", quarn::get_cpu_vendor());
  std::printf("name     %s\n", quarn::get_cpu_name());
  std::printf("rate     %u MHz\n", quarn::get_cpu_speed());
  std::printf("features %s\n", quarn::get_cpuflag_caps(features));
  std::printf("mask     0x%08x\n", features);
  return EXIT_OK;
}

}  // namespace qxtool
