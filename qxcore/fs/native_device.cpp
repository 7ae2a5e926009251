#include "qxcore/fs/native_device.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "qxcore/fs/stdio_file.h"
#include "qxcore/strings/paths.h"
#include "qxcore/strings/wildcard.h"

namespace quarn {

namespace {

constinit native_device_t the_native_device;

file_t* open_stream(fs_device_t* device, const string& path, const char* mode) {
  std::FILE* stream = std::fopen(path.c_str(), mode);
  if (stream == nullptr) return nullptr;
  auto* file = new stdio_file_t(device, path, stream);
  if (file == nullptr) std::fclose(stream);
  return file;
}

bool listed(const char* name) {
  return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 && std::strcmp(name, ".svn") != 0;
}

}  // namespace

native_device_t& native_device() { return the_native_device; }

file_t* native_device_t::open(const string& path) { return open_stream(this, path, "rb"); }

file_t* native_device_t::create(const string& path) {
  mkfiledir(path);
  return open_stream(this, path, "wb+");
}

file_t* native_device_t::append(const string& path) {
  mkfiledir(path);
  return open_stream(this, path, "ab+");
}

void native_device_t::close(file_t* file) {
  if (file != nullptr) static_cast<stdio_file_t*>(file)->close_stream();
}

bool native_device_t::remove(const string& path) { return std::remove(path.c_str()) == 0; }

bool native_device_t::mkdir(const string& path) {
  // An existing directory is the common case, so single failures are ignored.
  string_dyn_t<> step(path);
  char* text = step.data();
  if (text == string::NUL_CHAR) return true;
  for (char* slash = std::strchr(text + 1, '/'); slash != nullptr; slash = std::strchr(slash + 1, '/')) {
    *slash = '\0';
    ::mkdir(text, 0777);
    *slash = '/';
  }
  ::mkdir(text, 0777);
  return true;
}

bool native_device_t::rmdir(const string& path) { return ::rmdir(path.c_str()) == 0; }

bool native_device_t::stat(const string& path, fs_stat_t* out) { return host_stat(path.c_str(), out); }

list_t<fs_direntry_t>* native_device_t::read_dir(const string& path, bool full_paths) {
  auto* listing = new list_t<fs_direntry_t>;
  if (listing == nullptr) return nullptr;
  string_dyn_t<> pattern;
  v_fncompose(&pattern, path, string_alias_t("*"));  // "*" alone for the empty path

  v_wildcard_t* search = nullptr;
  v_wildcard_start(pattern.c_str(), &search);
  char name[256];
  string_dyn_t<> full;
  while (v_wildcard_file(name, sizeof name, &search)) {
    if (!listed(name)) continue;
    full.printf("%s/%s", path.c_str(), name);  // "/" + name for the empty path too
    // The status is asked where the entry was found: for the empty path, the
    // current directory, not the host's root that "/" + name would name.
    fs_stat_t status;
    string_alias_t bare(name);
    const string& found = path.empty() ? static_cast<const string&>(bare) : full;
    // An entry whose status cannot be had is still listed, as a file.
    unsigned int is_directory = stat(found, &status) ? status.is_directory : 0;
    auto entry = listing->emplace(listing->end());
    if (entry == listing->end()) break;
    if (full_paths)
      entry->name.copy(full);
    else
      entry->name.copy(string_alias_t(name));
    entry->is_directory = is_directory;
  }
  v_wildcard_end(&search);
  return listing;
}

}  // namespace quarn
