// The two directories come from the environment the host was started with;
// these are the library's only reads of it.
#include "qxcore/fs/user_dirs.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>

#include "qxcore/fs/fs.h"

namespace quarn {

namespace {

const char* environment(const char* name) {
  const char* value = ::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

// A path that does not fit is refused rather than cut: a cut path names
// another directory.
bool deliver(mstring_t* out, const char* path, const char* tail) {
  if (out == nullptr || std::strlen(path) + std::strlen(tail) >= USR_MAX_PATH) return false;
  return out->copy(string_alias_t(path)) && out->append(string_alias_t(tail));
}

}  // namespace

bool usr_get_homedir(mstring_t* out) {
  char path[USR_MAX_PATH];
  const char* data = environment("XDG_DATA_HOME");
  const char* home = environment("HOME");
  if (data != nullptr && std::strlen(data) < sizeof path) {
    std::strcpy(path, data);
  } else if (data == nullptr && home != nullptr &&
             std::strlen(home) + sizeof "/.local/share" <= sizeof path) {
    std::strcpy(path, home);
    std::strcat(path, "/.local/share");
  } else {
    return false;
  }
  fs_mkdir(string_alias_t(path), FS_TYPE_NATIVE);  // makes every missing level
  struct stat status;
  return ::stat(path, &status) == 0 && S_ISDIR(status.st_mode) && deliver(out, path, "");
}

bool usr_get_tempdir(mstring_t* out) {
  const char* temp = environment("TMPDIR");
  char resolved[PATH_MAX];
  if (::realpath(temp != nullptr ? temp : "/tmp", resolved) == nullptr) return false;
  // realpath gives "/" alone for the root and no trailing "/" otherwise.
  return deliver(out, resolved, std::strcmp(resolved, "/") == 0 ? "" : "/");
}

}  // namespace quarn
