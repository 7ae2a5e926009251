#include "qxcore/strings/command_line.h"

#include <cstring>

namespace quarn {

namespace {

struct command_line_t {
  const char* args[CDL_MAX_ARGS];  // into `pool`; null for an argument that was refused
  unsigned int count;              // min(argc, CDL_MAX_ARGS)
  char pool[CDL_POOL_SIZE];
  unsigned int group_first;  // the option found by the last cdl_param
  unsigned int group_end;    // one past its last value
};

constinit command_line_t table{};

constexpr unsigned int REFUSED = 0xFFFFFFFFu;

bool is_option(const char* arg) { return arg != nullptr && arg[0] == '-'; }

}  // namespace

void cdl_init(int argc, const char* const* argv) {
  unsigned int count = 0;
  if (argv != nullptr && argc > 0)
    count = static_cast<unsigned int>(argc) < CDL_MAX_ARGS ? static_cast<unsigned int>(argc)
                                                           : CDL_MAX_ARGS;
  // argv may point into the current pool (a host passing back what cdl_argv
  // gave), so the new pool is filled aside and copied over at the end.
  char pool[CDL_POOL_SIZE];
  unsigned int offsets[CDL_MAX_ARGS];
  unsigned int used = 0;
  for (unsigned int i = 0; i < count; ++i) {
    offsets[i] = REFUSED;
    if (argv[i] == nullptr) continue;
    std::size_t room = CDL_POOL_SIZE - used;
    std::size_t length = ::strnlen(argv[i], room);  // reads no further than could be kept
    if (length == room) continue;                   // no room for the terminator: refused whole
    std::memcpy(pool + used, argv[i], length + 1);
    offsets[i] = used;
    used += static_cast<unsigned int>(length + 1);
  }

  std::memcpy(table.pool, pool, used);
  for (unsigned int i = 0; i < CDL_MAX_ARGS; ++i)
    table.args[i] = i < count && offsets[i] != REFUSED ? table.pool + offsets[i] : nullptr;
  table.count = count;
  table.group_first = 0;
  // The whole command line, also past the stored arguments (cdl_argv gives
  // null there).
  table.group_end = count == 0 ? 0 : static_cast<unsigned int>(argc);
}

unsigned int cdl_param(const char* name, unsigned int start) {
  if (name == nullptr) return CDL_NOT_FOUND;
  for (unsigned int i = start; i < table.count; ++i) {
    if (table.args[i] == nullptr || std::strcmp(table.args[i], name) != 0) continue;
    unsigned int end = i + 1;
    while (end < table.count && !is_option(table.args[end])) ++end;
    table.group_first = i;
    table.group_end = end;
    return i;
  }
  return CDL_NOT_FOUND;
}

unsigned int cdl_argc() { return table.group_end - table.group_first; }

const char* cdl_argv(unsigned int index) {
  if (index >= table.count - table.group_first) return nullptr;
  return table.args[table.group_first + index];
}

}  // namespace quarn
