#include "qxcore/core/assertions.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "qxcore/core/messages.h"

namespace quarn {

namespace {

// Linux tells whether a debugger is attached through TracerPid in
// /proc/self/status; read with plain system calls, no allocation.
bool debugger_attached() {
  int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char status[4096];
  ssize_t size = ::read(fd, status, sizeof status - 1);
  ::close(fd);
  if (size <= 0) return false;
  status[size] = '\0';
  const char* tracer = std::strstr(status, "TracerPid:");
  return tracer != nullptr && std::strtol(tracer + 10, nullptr, 10) != 0;
}

}  // namespace

void v_assert_fail(const char* expression, const char* file, unsigned int line,
                   const char* function) {
  error("%s:%u: %s: Assertion `%s' failed.", file, line, function, expression);
}

void v_abort_fail(const char* text, const char* file, unsigned int line, const char* function) {
  error("%s:%u: %s: %s", file, line, function, text);
}

void v_debug_break() {
  if (debugger_attached()) std::raise(SIGTRAP);
}

}  // namespace quarn
