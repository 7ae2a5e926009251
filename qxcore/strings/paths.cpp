#include "qxcore/strings/paths.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/strings_mutable.h"

namespace quarn {

namespace {

constexpr unsigned int NONE = 0xFFFFFFFFu;  // find_last_of found nothing

// Constant-initialised, so a static initialiser elsewhere may already split paths.
struct constant_text_t : string_alias_t {
  constexpr explicit constant_text_t(const char* text) noexcept : string_alias_t(text, adopt_t{}) {}
};
constinit const constant_text_t separators("/\\");
constinit const constant_text_t dot_set(".");
constinit const constant_text_t slash("/");

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Start of the name part: one past the last separator, 0 without one.
unsigned int name_start(const string& path) {
  unsigned int sep = path.find_last_of(separators);
  return sep == NONE ? 0 : sep + 1;
}

// Whether writing into `out` can change the text of `src`: the same object
// (even while it has no buffer yet), or an alias into its buffer.
bool shares_buffer(const mstring_t* out, const string& src) {
  if (out == nullptr) return false;
  if (static_cast<const string*>(out) == &src) return true;
  if (out->c_str() == string::NUL_CHAR) return false;
  auto o = reinterpret_cast<std::uintptr_t>(out->c_str());
  auto s = reinterpret_cast<std::uintptr_t>(src.c_str());
  return s >= o && s - o < out->capacity();
}

// One piece of a path and where it goes.
struct part_t {
  mstring_t* out;  // null: the caller does not want this piece
  unsigned int pos;
  unsigned int count;  // mstring_t::TO_END for the rest of the path
};

// An output that shares its buffer with the path is written last, so the
// other pieces are still cut from the original text.
template <std::size_t N>
void write_parts(const string& path, const part_t (&parts)[N]) {
  for (bool shared : {false, true})
    for (const part_t& p : parts)
      if (p.out != nullptr && shares_buffer(p.out, path) == shared)
        p.out->copy(path, 0, p.pos, p.count);
}

// Builds into `out` with `build`, going through a scratch string when an
// input lies in out's own buffer, since the first write would clobber it.
template <class Build>
bool build_output(mstring_t* out, bool inputs_shared, Build build) {
  if (!inputs_shared) return build(out);
  string_dyn_t<> scratch;
  bool whole = build(&scratch);
  return out->copy(scratch) && whole;
}

bool compose(mstring_t* out, const string& dir, const string& name, const string* ext) {
  bool shared = shares_buffer(out, dir) || shares_buffer(out, name) ||
                (ext != nullptr && shares_buffer(out, *ext));
  return build_output(out, shared, [&](mstring_t* o) {
    // Stop at the first short write: what follows could only be cut as well.
    if (!o->copy(dir)) return false;
    unsigned int length = dir.length();
    if (length > 0 && !is_separator(dir.c_str()[length - 1]) && !o->append(slash)) return false;
    if (!o->append(name)) return false;
    if (ext == nullptr || ext->empty()) return true;
    if (ext->c_str()[0] != '.' && !o->append(dot_set)) return false;
    return o->append(*ext);
  });
}

}  // namespace

void v_fnsplit(const string& path, mstring_t* dir, mstring_t* name) {
  unsigned int sep = path.find_last_of(separators);
  unsigned int start = sep == NONE ? 0 : sep + 1;
  const part_t parts[] = {
      {dir, 0, sep == NONE ? 0 : sep},
      {name, start, mstring_t::TO_END},
  };
  write_parts(path, parts);
}

void v_fnsplit(const string& path, mstring_t* dir, mstring_t* name, mstring_t* ext) {
  unsigned int sep = path.find_last_of(separators);
  unsigned int start = sep == NONE ? 0 : sep + 1;
  unsigned int dot = path.find_last_of(dot_set, start);
  unsigned int name_count;
  if (dot == NONE)
    name_count = mstring_t::TO_END;
  else if (sep == NONE && dot == 0)
    name_count = mstring_t::TO_END;  // ".profile": the leading dot stays in the name
  else
    name_count = dot - start;
  const part_t parts[] = {
      {dir, 0, sep == NONE ? 0 : sep},
      {name, start, name_count},
      {ext, dot == NONE ? 0 : dot, dot == NONE ? 0 : mstring_t::TO_END},
  };
  write_parts(path, parts);
}

bool v_fncompose(mstring_t* out, const string& dir, const string& name) {
  return out != nullptr && compose(out, dir, name, nullptr);
}

bool v_fncompose(mstring_t* out, const string& dir, const string& name, const string& ext) {
  return out != nullptr && compose(out, dir, name, &ext);
}

void v_remove_slash(mstring_t* path) {
  if (path == nullptr) return;
  unsigned int sep = path->find_last_of(separators);
  if (sep != NONE) (*path)[sep] = '\0';
}

bool v_get_extension(const string& path, mstring_t* ext) {
  if (ext == nullptr) return false;
  unsigned int dot = path.find_last_of(dot_set, name_start(path));
  if (dot == NONE) return ext->copy(string::EMPTY);
  return ext->copy(path, 0, dot);
}

bool v_check_extension(const string& path, const string& ext) {
  std::size_t path_length = path.length();
  std::size_t ext_length = ext.length();
  if (ext_length > path_length) return false;
  return std::memcmp(path.c_str() + path_length - ext_length, ext.c_str(), ext_length) == 0;
}

bool v_change_extension(mstring_t* path, const string& ext) {
  if (path == nullptr) return false;
  unsigned int dot = path->find_last_of(dot_set, name_start(*path));
  return path->copy(ext, dot == NONE ? path->length() : dot);
}

bool v_change_filename(mstring_t* path, const string& name) {
  if (path == nullptr) return false;
  return path->copy(name, name_start(*path));
}

bool v_absolutize_filename(mstring_t* out, const string& name, const string& base) {
  if (out == nullptr) return false;
  if (is_separator(name.c_str()[0])) return out->copy(name);
  unsigned int base_dir = name_start(base);  // base's directory, separator included
  bool shared = shares_buffer(out, name) || shares_buffer(out, base);
  return build_output(
      out, shared, [&](mstring_t* o) { return o->copy(base, 0, 0, base_dir) && o->append(name); });
}

mstring_t* v_dos2unix(mstring_t* out, const string& src) {
  if (out == nullptr) return out;
  const char* s = src.c_str();
  std::size_t length = std::strlen(s);
  if (length == 0) return out;
  unsigned int capacity = out->capacity();
  // Never grows `out`. The first index past the buffer goes through the
  // bounds check, which reports it; the text is then cut so that it stays
  // terminated inside the buffer instead of reporting every further byte.
  for (std::size_t i = 0; i <= length; ++i) {
    if (i >= capacity) {
      static_cast<void>((*out)[capacity]);
      if (capacity > 0) (*out)[capacity - 1] = '\0';
      return out;
    }
    char c = s[i];
    (*out)[static_cast<unsigned int>(i)] = c == '\\' ? '/' : c;
  }
  return out;
}

void v_dos2unix_path(mstring_t* path) {
  if (path != nullptr) path->replace('\\', '/');
}

void v_unix2dos_path(mstring_t* path) {
  if (path != nullptr) path->replace('/', '\\');
}

}  // namespace quarn
