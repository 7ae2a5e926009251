#include "qxcore/strings/raw_paths.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace quarn {

namespace {

// One piece of a path and the caller's buffer it goes to.
struct raw_part_t {
  char* out;  // null: the caller does not want this piece
  std::size_t pos;
  std::size_t count;
};

bool inside(const char* p, const char* text, std::size_t length) {
  auto a = reinterpret_cast<std::uintptr_t>(p);
  auto t = reinterpret_cast<std::uintptr_t>(text);
  return a >= t && a - t <= length;
}

// A buffer that lies inside the path (splitting a path in place) is written
// last, so the other pieces are still cut from the original text.
template <std::size_t N>
void write_parts(const char* path, std::size_t length, const raw_part_t (&parts)[N]) {
  for (bool in_path : {false, true})
    for (const raw_part_t& p : parts)
      if (p.out != nullptr && inside(p.out, path, length) == in_path) {
        std::memmove(p.out, path + p.pos, p.count);
        p.out[p.count] = '\0';
      }
}

void translate(char* path, char from, char to) {
  if (path == nullptr) return;
  for (char* p = path; *p != '\0'; ++p)
    if (*p == from) *p = to;
}

}  // namespace

void v_fnsplit(const char* path, char* dir, char* name) {
  if (path == nullptr) path = "";
  std::size_t length = std::strlen(path);
  const char* slash = std::strrchr(path, '/');
  std::size_t sep = slash != nullptr ? static_cast<std::size_t>(slash - path) : 0;
  std::size_t start = slash != nullptr ? sep + 1 : 0;
  const raw_part_t parts[] = {
      {dir, 0, sep},
      {name, start, length - start},
  };
  write_parts(path, length, parts);
}

void v_fnsplit(const char* path, char* dir, char* name, char* ext) {
  if (path == nullptr) path = "";
  std::size_t length = std::strlen(path);
  const char* slash = std::strrchr(path, '/');
  const char* dot = std::strrchr(path, '.');
  if (dot != nullptr && slash != nullptr && dot < slash) dot = nullptr;
  std::size_t sep = slash != nullptr ? static_cast<std::size_t>(slash - path) : 0;
  std::size_t start = slash != nullptr ? sep + 1 : 0;
  std::size_t name_end = dot != nullptr ? static_cast<std::size_t>(dot - path) : length;
  std::size_t ext_start = dot != nullptr ? name_end + 1 : length;
  const raw_part_t parts[] = {
      {dir, 0, sep},
      {name, start, name_end - start},
      {ext, ext_start, length - ext_start},
  };
  write_parts(path, length, parts);
}

void v_remove_slash(char* path) {
  if (path == nullptr || path[0] == '\0') return;
  std::size_t last = std::strlen(path) - 1;
  if (path[last] == '/' || path[last] == '\\') path[last] = '\0';
}

char* v_dos2unix(char* dst, const char* src) {
  if (dst == nullptr || src == nullptr || src[0] == '\0') return dst;
  std::memmove(dst, src, std::strlen(src) + 1);
  translate(dst, '\\', '/');
  return dst;
}

void v_dos2unix_path(char* path) { translate(path, '\\', '/'); }

void v_unix2dos_path(char* path) { translate(path, '/', '\\'); }

}  // namespace quarn
