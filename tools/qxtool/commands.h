// The commands of qxtool: each cmd_<name>.cpp defines its help text and its
// entry, and main.cpp lists them.
#pragma once

#include "tools/qxtool/tool.h"

namespace qxtool {

#define QXTOOL_COMMAND(upper, lower) \
  extern const char upper##_HELP[];  \
  int run_##lower(const char* name, args_t& args);

QXTOOL_COMMAND(LS, ls)
QXTOOL_COMMAND(CAT, cat)
QXTOOL_COMMAND(STAT, stat)
QXTOOL_COMMAND(EXTRACT, extract)
QXTOOL_COMMAND(PACK, pack)
QXTOOL_COMMAND(IMAGE, image)
QXTOOL_COMMAND(DEPS, deps)
QXTOOL_COMMAND(UNITS, units)
QXTOOL_COMMAND(CRC32, crc32)
QXTOOL_COMMAND(ADLER32, adler32)
QXTOOL_COMMAND(CPU, cpu)

#undef QXTOOL_COMMAND

// Mounts the --mount options of a path-space command and leaves its operands
// in args; answers the exit status of a failure (reported), or EXIT_OK.
int mount_path_space(const char* name, args_t& args, mounts_t* mounts);

}  // namespace qxtool
