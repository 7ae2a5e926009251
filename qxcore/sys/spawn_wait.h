// Inside the library only: starts a program with an argument vector, as the
// host's own child, and waits for it to end. The child shares the host's
// standard output and error, reads nothing from its input, and sees its
// arguments exactly as given: no shell, no splitting at blanks.
#pragma once

namespace quarn {

// argv[0] is looked up in PATH unless it holds a "/"; argv ends with a null
// pointer. Answers the exit code, or -1 when the program cannot be started or
// ends without one (killed by a signal).
int v_spawn_wait(const char* const* argv);

}  // namespace quarn
