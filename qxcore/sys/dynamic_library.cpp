// The library's one use of the dynamic linker: dlopen, dlsym, dlclose.
#include "qxcore/sys/dynamic_library.h"

#include <dlfcn.h>

#include "qxcore/core/messages.h"
#include "qxcore/strings/paths.h"

namespace quarn {

namespace {

using entry_t = dl_ops_t* (*)();

// Base names are cut to the 63 bytes a file name can hold, so the entry point
// name always fits: 63 + strlen("_get_dl_ops") + 1.
using base_name_t = string_fixed_t<64>;
using entry_name_t = string_fixed_t<80>;

const char* last_dl_error() {
  const char* text = dlerror();
  return text != nullptr ? text : "no reason given";
}

}  // namespace

dl_ops_t::~dl_ops_t() = default;
bool dl_ops_t::dl_symbols(HINSTANCE, HINSTANCE) { return true; }
bool dl_ops_t::dl_register(HINSTANCE, HINSTANCE) { return true; }
bool dl_ops_t::dl_unregister(HINSTANCE, HINSTANCE) { return true; }
bool dl_ops_t::dl_execute(HINSTANCE, HINSTANCE, unsigned int, void*) { return true; }

dl_lib_t::dl_lib_t() = default;

dl_lib_t::dl_lib_t(const string& name) { name_cut_ = !printf("%s%s", name.c_str(), SUFFIX); }

dl_lib_t::dl_lib_t(const dl_lib_t& other)
    : string_fixed_t<64>(other),
      handle_(other.handle_),
      ops_(other.ops_),
      name_cut_(other.name_cut_) {}

dl_lib_t& dl_lib_t::operator=(const dl_lib_t& other) {
  string_fixed_t<64>::operator=(other);
  handle_ = other.handle_;
  ops_ = other.ops_;
  name_cut_ = other.name_cut_;
  return *this;
}

dl_lib_t::~dl_lib_t() = default;

HINSTANCE dl_lib_t::get_main_handle() {
  // The main program's handle needs no dlclose: it stays valid for the whole process.
  static HINSTANCE main_handle = nullptr;
  if (main_handle == nullptr) main_handle = dlopen(nullptr, RTLD_NOW);
  return main_handle;
}

// Loading a registered plug-in again takes one more reference of its module
// and runs its hooks again; one unregister gives one reference back.
bool dl_lib_t::load() {
  if (name_cut_) {
    error("[sys] Can not load the library '%s' - the file name is longer than 63 characters",
          c_str());
    return false;
  }
  if (empty()) {
    // dlopen("") would answer with the host program itself.
    error("[sys] Can not load a library without a file name");
    return false;
  }

  base_name_t base;
  entry_name_t entry;
  v_fnsplit(*this, nullptr, &base, nullptr);
  entry.printf(ENTRY_FORMAT, base.c_str());

  // The host program's global scope: the program and the libraries it was
  // linked with, never a module loaded earlier with RTLD_LOCAL.
  HINSTANCE main = get_main_handle();
  void* found = main != nullptr ? dlsym(main, entry.c_str()) : nullptr;
  if (found != nullptr) {
    handle_ = main;
  } else {
    // RTLD_NOW: a plug-in missing one of its own symbols fails here, not in
    // the middle of a call. RTLD_LOCAL: its symbols stay its own.
    handle_ = dlopen(c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
      error("[sys] Can't load library '%s': errorcode %s", c_str(), last_dl_error());
      error("[sys] Can not load the library '%s'", c_str());
      return false;
    }
    found = dlsym(handle_, entry.c_str());
    if (found == nullptr) {
      error("[sys] '%s' is not a Quarnix dynamic library - misses entrypoint '%s'", c_str(),
            entry.c_str());
      release();
      return false;
    }
  }
  ops_ = reinterpret_cast<entry_t>(found)();
  if (ops_ == nullptr) {
    error("[sys] '%s' is not a Quarnix dynamic library - entrypoint '%s' gave no operations",
          c_str(), entry.c_str());
    release();
    return false;
  }
  return true;
}

void dl_lib_t::release() {
  if (handle_ != nullptr && handle_ != get_main_handle()) dlclose(handle_);
  handle_ = nullptr;
  ops_ = nullptr;
}

bool dl_lib_t::register_only() {
  if (!load()) return false;
  HINSTANCE main = get_main_handle();
  if (!ops_->dl_symbols(main, handle_) || !ops_->dl_register(main, handle_)) {
    release();
    return false;
  }
  return true;
}

bool dl_lib_t::register_and_execute(unsigned int code, void* data) {
  if (!register_only()) return false;
  if (!ops_->dl_execute(get_main_handle(), handle_, code, data)) {
    unregister();
    return false;
  }
  return true;
}

bool dl_lib_t::unregister() {
  if (!is_registered()) {
    error("[sys] Can not unload the library '%s' - it is not loaded", c_str());
    return false;
  }
  if (!ops_->dl_unregister(get_main_handle(), handle_)) {
    error("[sys] Can not unload the library '%s' - it does not support unloading.", c_str());
    return false;
  }
  release();
  return true;
}

void* dl_lib_t::lookup(const string& symbol) const {
  // dlsym with a null handle would search the whole process, not this module.
  if (handle_ == nullptr) {
    error("[sys] Can not look up '%s' - the library '%s' is not loaded", symbol.c_str(), c_str());
    return nullptr;
  }
  return dlsym(handle_, symbol.c_str());
}

void* dl_lib_t::lookup_data(const string& symbol) const { return lookup(symbol); }

void (*dl_lib_t::lookup_code(const string& symbol) const)() {
  return reinterpret_cast<void (*)()>(lookup(symbol));
}

}  // namespace quarn
