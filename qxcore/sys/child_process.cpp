// The library's one use of process creation: pipe2, posix_spawnp, poll,
// read and waitpid. The child is started without fork, so nothing of the
// host runs twice, and it is always reaped before run() returns.
#include "qxcore/sys/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"
#include "qxcore/sys/spawn_wait.h"

namespace quarn {

// One pipe of a run. Both ends are close-on-exec: the child receives its
// write end only through the dup2 onto its descriptor 1 or 2, and no other
// program started meanwhile inherits either end.
struct run_process_pipe_t {
  int read_end = -1;
  bool read_valid = false;  // cleared at end of data or on an error
  bool read_closed = true;
  int write_end = -1;
  bool write_valid = false;
  bool write_closed = true;

  ~run_process_pipe_t() {
    close_read();
    close_write();
  }
  void close_read() {
    if (!read_closed) ::close(read_end);
    read_closed = true;
    read_valid = false;
  }
  void close_write() {
    if (!write_closed) ::close(write_end);
    write_closed = true;
    write_valid = false;
  }
};

struct run_process_reader_t {
  explicit run_process_reader_t(run_process_pipe_t* source) : pipe(source) {}

  run_process_pipe_t* pipe;
  string_dyn_t<> text;  // grows by doubling; `length` bytes are valid
  std::size_t length = 0;
  bool cut = false;  // memory ran out: the rest of the output is dropped
};

namespace {

constexpr std::size_t READ_CHUNK = 16384;
constexpr std::size_t MAX_TEXT = 0xFFFFFFFEu;  // a string's capacity is 32-bit

// Keeps a descriptor clear of 0, 1 and 2, which the child's dup2s overwrite;
// a host that closed its standard streams would otherwise get pipe ends there.
bool move_above_standard(int* fd) {
  if (*fd > 2) return true;
  int moved = ::fcntl(*fd, F_DUPFD_CLOEXEC, 3);
  ::close(*fd);
  *fd = moved;
  return moved >= 0;
}

run_process_pipe_t* make_pipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return nullptr;
  bool read_ok = move_above_standard(&fds[0]);
  bool write_ok = move_above_standard(&fds[1]);
  run_process_pipe_t* p = read_ok && write_ok ? host_new<run_process_pipe_t>() : nullptr;
  if (p == nullptr) {
    if (fds[0] >= 0) ::close(fds[0]);
    if (fds[1] >= 0) ::close(fds[1]);
    return nullptr;
  }
  p->read_end = fds[0];
  p->write_end = fds[1];
  p->read_valid = p->write_valid = true;
  p->read_closed = p->write_closed = false;
  return p;
}

// The program's arguments, split from one command line, in one buffer from
// the vector hook: the argv table first, then the words it points at.
class argument_block_t {
 public:
  argument_block_t() = default;
  ~argument_block_t() { host_free_vector(block_); }
  argument_block_t(const argument_block_t&) = delete;
  argument_block_t& operator=(const argument_block_t&) = delete;

  // Blanks and tabs separate words; a double quote starts or ends a stretch
  // in which they do not, and is itself dropped, so "a b" is one word and ""
  // an empty one. Nothing else is special. False when there is no word or no
  // memory.
  bool split(const string& line) {
    std::size_t length = line.length();
    // n words take at least 2n - 1 bytes, so (length + 1) / 2 slots and the
    // closing null pointer always suffice.
    std::size_t slots = length / 2 + 2;
    block_ = static_cast<char**>(host_alloc_vector(slots * sizeof(char*) + length + 1));
    if (block_ == nullptr) return false;
    char* out = reinterpret_cast<char*>(block_ + slots);
    std::size_t count = 0;
    bool in_word = false, quoted = false;
    for (const char* c = line.c_str(); *c != '\0'; ++c) {
      if (*c == '"') {
        quoted = !quoted;
      } else if (!quoted && (*c == ' ' || *c == '\t')) {
        if (in_word) *out++ = '\0';
        in_word = false;
        continue;
      } else {
        *out = *c;
      }
      if (!in_word) block_[count++] = out;
      in_word = true;
      if (*c != '"') ++out;
    }
    if (in_word) *out = '\0';
    block_[count] = nullptr;
    return count > 0;
  }

  char* const* argv() const { return block_; }

 private:
  char** block_ = nullptr;
};

// Starts argv[0] (looked up in PATH unless it holds a "/") with its output on
// the two write ends (or on the host's own streams where a descriptor is
// negative) and /dev/null as input. Signals start at their defaults
// and unblocked, whatever the host ignores or blocks, and the child keeps no
// descriptor of the host beyond its three standard ones.
bool spawn(char* const* argv, int out_fd, int err_fd, pid_t* pid) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (::posix_spawn_file_actions_init(&actions) != 0) return false;
  if (::posix_spawnattr_init(&attributes) != 0) {
    ::posix_spawn_file_actions_destroy(&actions);
    return false;
  }
  sigset_t no_signals, all_signals;
  sigemptyset(&no_signals);
  sigfillset(&all_signals);
  bool ready =
      ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
      (out_fd < 0 || ::posix_spawn_file_actions_adddup2(&actions, out_fd, 1) == 0) &&
      (err_fd < 0 || ::posix_spawn_file_actions_adddup2(&actions, err_fd, 2) == 0) &&
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 34)
      ::posix_spawn_file_actions_addclosefrom_np(&actions, 3) == 0 &&
#endif
      ::posix_spawnattr_setsigmask(&attributes, &no_signals) == 0 &&
      ::posix_spawnattr_setsigdefault(&attributes, &all_signals) == 0 &&
      ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
  bool started = ready && ::posix_spawnp(pid, argv[0], &actions, &attributes,
                                         const_cast<char* const*>(argv), environ) == 0;
  ::posix_spawnattr_destroy(&attributes);
  ::posix_spawn_file_actions_destroy(&actions);
  return started;
}

// Appends what the child wrote. A string cannot hold a NUL byte, so those are
// left out; everything else arrives in order. Growth doubles, so capturing
// megabytes copies each byte only a few times.
void append_output(run_process_reader_t* reader, const char* bytes, std::size_t n,
                   const string& command) {
  if (reader->cut) return;
  std::size_t need = reader->length + n + 1;
  if (need > reader->text.capacity()) {
    std::size_t doubled = static_cast<std::size_t>(reader->text.capacity()) * 2;
    std::size_t want = doubled > need ? doubled : need;
    if (want > MAX_TEXT + 1) want = need;
    if (want <= MAX_TEXT + 1) reader->text.reserve(static_cast<unsigned int>(want));
    if (need > reader->text.capacity() && need <= MAX_TEXT + 1)
      reader->text.reserve(static_cast<unsigned int>(need));
    if (need > reader->text.capacity()) {
      reader->cut = true;
      warning("[sys] Out of memory for the output of '%s'; the rest of it is dropped",
              command.c_str());
      return;
    }
  }
  char* out = reader->text.data() + reader->length;
  const char* end = bytes + n;
  while (bytes < end) {
    const char* nul = static_cast<const char*>(std::memchr(bytes, '\0', end - bytes));
    std::size_t run = (nul != nullptr ? nul : end) - bytes;
    std::memcpy(out, bytes, run);
    out += run;
    bytes += run + (nul != nullptr ? 1 : 0);
  }
  *out = '\0';
  reader->length = out - reader->text.data();
}

// One read from a pipe that poll found ready. End of data or an error closes
// the read end, which also tells a child still writing there to stop.
void drain_once(run_process_reader_t* reader, char* buffer, const string& command) {
  run_process_pipe_t* pipe = reader->pipe;
  ssize_t got = ::read(pipe->read_end, buffer, READ_CHUNK);
  if (got > 0) {
    append_output(reader, buffer, static_cast<std::size_t>(got), command);
  } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
    pipe->close_read();
  }
}

// Reads both pipes as data arrives until each reaches its end: a child that
// fills one pipe while we wait on the other never blocks for good.
void capture(run_process_reader_t* const readers[2], const string& command) {
  char buffer[READ_CHUNK];
  for (;;) {
    pollfd waiting[2];
    run_process_reader_t* owner[2];
    nfds_t count = 0;
    for (int k = 0; k < 2; ++k) {
      if (!readers[k]->pipe->read_valid) continue;
      waiting[count] = {readers[k]->pipe->read_end, POLLIN, 0};
      owner[count++] = readers[k];
    }
    if (count == 0) return;
    if (::poll(waiting, count, -1) < 0) {
      if (errno == EINTR) continue;
      // Without poll nothing more can be read; closing the read ends keeps
      // the child from blocking on a full pipe while we wait for it.
      for (nfds_t k = 0; k < count; ++k) owner[k]->pipe->close_read();
      return;
    }
    for (nfds_t k = 0; k < count; ++k)
      if (waiting[k].revents != 0) drain_once(owner[k], buffer, command);
  }
}

// The exit code, or -1 when there is none: killed by a signal, or already
// reaped elsewhere (a host that ignores SIGCHLD).
int wait_for(pid_t pid) {
  int status = 0;
  pid_t reaped;
  do {
    reaped = ::waitpid(pid, &status, 0);
  } while (reaped < 0 && errno == EINTR);
  if (reaped != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

void release_pipe(run_process_pipe_t** pipe) {
  host_delete(*pipe);
  *pipe = nullptr;
}

}  // namespace

int v_spawn_wait(const char* const* argv) {
  pid_t pid = -1;
  if (argv == nullptr || argv[0] == nullptr || !spawn(const_cast<char* const*>(argv), -1, -1, &pid))
    return -1;
  return wait_for(pid);
}

run_process_t::run_process_t() = default;

run_process_t::~run_process_t() {
  host_delete(stdout_reader_);
  host_delete(stderr_reader_);
  release_pipe(&stdout_pipe_);
  release_pipe(&stderr_pipe_);
}

bool run_process_t::set_command(const string& command) { return command_.copy(command); }

bool run_process_t::add_parameter(const string& parameter) {
  if (!parameters_.push_back(string_dyn_t<>())) return false;
  unsigned int last = parameters_.size() - 1;
  if (!parameters_[last].copy(parameter)) {
    parameters_.resize(last);
    return false;
  }
  return true;
}

const string& run_process_t::get_stdout() const {
  return stdout_reader_ != nullptr ? stdout_reader_->text : string::EMPTY;
}

const string& run_process_t::get_stderr() const {
  return stderr_reader_ != nullptr ? stderr_reader_->text : string::EMPTY;
}

bool run_process_t::run() {
  // Parameters are added unquoted, so one with blanks becomes several words.
  string_dyn_t<> line;
  bool whole = line.copy(command_);
  for (string_dyn_t<>& parameter : parameters_)
    whole = whole && line.append(string_alias_t(" ")) && line.append(parameter);
  argument_block_t arguments;
  if (!whole || !arguments.split(line)) return false;

  release_pipe(&stdout_pipe_);
  release_pipe(&stderr_pipe_);
  stdout_pipe_ = make_pipe();
  stderr_pipe_ = make_pipe();
  // Readers are made before the child starts, so that nothing can fail while
  // it runs; those of the previous run stay until it has started.
  run_process_reader_t* out = stdout_pipe_ ? host_new<run_process_reader_t>(stdout_pipe_) : nullptr;
  run_process_reader_t* err = stderr_pipe_ ? host_new<run_process_reader_t>(stderr_pipe_) : nullptr;
  pid_t pid = -1;
  if (out == nullptr || err == nullptr ||
      !spawn(arguments.argv(), stdout_pipe_->write_end, stderr_pipe_->write_end, &pid)) {
    host_delete(out);
    host_delete(err);
    release_pipe(&stdout_pipe_);
    release_pipe(&stderr_pipe_);
    return false;
  }
  // Only the child may hold the write ends now, so its exit ends the data.
  stdout_pipe_->close_write();
  stderr_pipe_->close_write();
  host_delete(stdout_reader_);
  host_delete(stderr_reader_);
  stdout_reader_ = out;
  stderr_reader_ = err;

  run_process_reader_t* const readers[2] = {stdout_reader_, stderr_reader_};
  capture(readers, command_);
  result_ = wait_for(pid);
  return true;
}

}  // namespace quarn
