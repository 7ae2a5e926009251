// The library's one use of the host's directory calls for wildcards:
// opendir/readdir/closedir, the last pattern component matched by fnmatch.
#include "qxcore/strings/wildcard.h"

#include <dirent.h>
#include <fnmatch.h>

#include <cstring>

#include "qxcore/core/host_memory.h"
#include "qxcore/strings/string_dyn.h"

namespace quarn {

struct v_wildcard_t {
  bool has_more = false;              // a name is waiting in `name`
  DIR* handle = nullptr;              // null when nothing could match
  char name[sizeof(dirent::d_name)];  // the waiting entry
  string_dyn_t<> match;               // the last pattern component, in fnmatch syntax
};

namespace {

// fnmatch also knows bracket expressions and backslash escapes; a wildcard
// knows only "*" and "?", so every other special character is escaped to
// match itself.
bool to_fnmatch_pattern(const char* component, mstring_t* out) {
  std::size_t length = std::strlen(component);
  std::size_t size = 2 * length + 1;
  if (size > 0xFFFFFFFFu) return false;
  out->reserve(static_cast<unsigned int>(size));
  if (out->capacity() < size) return false;
  char* p = out->data();
  for (const char* c = component; *c != '\0'; ++c) {
    if (*c == '[' || *c == ']' || *c == '\\') *p++ = '\\';
    *p++ = *c;
  }
  *p = '\0';
  return true;
}

// Moves to the next matching entry. Flags 0: "*" also matches names that
// start with ".", as the listing code expects "." and ".." to come back.
bool advance(v_wildcard_t* w) {
  while (dirent* entry = readdir(w->handle)) {
    if (fnmatch(w->match.c_str(), entry->d_name, 0) != 0) continue;
    std::size_t length = ::strnlen(entry->d_name, sizeof(w->name) - 1);
    std::memcpy(w->name, entry->d_name, length);
    w->name[length] = '\0';
    return true;
  }
  return false;
}

// Opens the pattern's directory and prepares its last component; null when
// either cannot be done.
DIR* open_pattern(const char* pattern, mstring_t* match) {
  const char* slash = std::strrchr(pattern, '/');
  const char* component = slash != nullptr ? slash + 1 : pattern;
  if (!to_fnmatch_pattern(component, match)) return nullptr;
  if (slash == nullptr) return opendir(".");
  if (slash == pattern) return opendir("/");
  string_dyn_t<> dir;
  unsigned int dir_length = static_cast<unsigned int>(slash - pattern);
  if (!dir.copy(string_alias_t(pattern), 0, 0, dir_length)) return nullptr;
  return opendir(dir.c_str());
}

}  // namespace

void v_wildcard_start(const char* pattern, v_wildcard_t** w) {
  if (w == nullptr) return;
  v_wildcard_t* record = host_new<v_wildcard_t>();
  *w = record;
  if (record == nullptr || pattern == nullptr) return;
  record->handle = open_pattern(pattern, &record->match);
  if (record->handle == nullptr) return;
  record->has_more = advance(record);
  if (!record->has_more) {
    // Like a search that matched nothing: no handle to keep open.
    closedir(record->handle);
    record->handle = nullptr;
  }
}

bool v_wildcard_file(char* buf, unsigned int size, v_wildcard_t** w) {
  if (w == nullptr || *w == nullptr || !(*w)->has_more) return false;
  v_wildcard_t* record = *w;
  if (buf != nullptr && size > 0) {
    std::size_t length = ::strnlen(record->name, size - 1);
    std::memcpy(buf, record->name, length);
    buf[length] = '\0';
  }
  record->has_more = advance(record);
  return true;
}

void v_wildcard_end(v_wildcard_t** w) {
  if (w == nullptr || *w == nullptr) return;
  if ((*w)->handle != nullptr) closedir((*w)->handle);
  host_delete(*w);
  *w = nullptr;
}

}  // namespace quarn
