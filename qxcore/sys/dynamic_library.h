// Plug-in libraries: dl_lib_t loads a module, finds its one entry point and
// drives the plug-in through the dl_ops_t object that entry point returns
// (bind symbols, register, optionally execute, unregister). An entry point
// linked into the host program is used without loading any file.
//
// A plug-in "sound.so" exports, with C linkage and default visibility:
//
//   extern "C" quarn::dl_ops_t* sound_get_dl_ops() { static sound_ops_t ops; return &ops; }
//
// and the host drives it:
//
//   quarn::dl_lib_t sound(quarn::string_alias_t("plugins/sound"));  // "plugins/sound.so"
//   if (sound.register_and_execute(START_AUDIO, &settings)) ... sound.unregister();
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/strings/string_fixed.h"

namespace quarn {

// A module handle as dlopen gives it; the host program has one too.
using HINSTANCE = void*;

// What a plug-in implements. Each default body answers true, so a plug-in
// overrides only the steps it needs. `main` is the host program's handle,
// `lib` the plug-in's (the host program's as well for a linked-in plug-in).
// The object belongs to the plug-in; the library never deletes it.
class QX_API dl_ops_t {
 public:
  virtual ~dl_ops_t();
  virtual bool dl_symbols(HINSTANCE main, HINSTANCE lib);     // bind what it needs from the host
  virtual bool dl_register(HINSTANCE main, HINSTANCE lib);    // hook itself into the host
  virtual bool dl_unregister(HINSTANCE main, HINSTANCE lib);  // false: it cannot be unloaded
  virtual bool dl_execute(HINSTANCE main, HINSTANCE lib, unsigned int code, void* data);
};

// The plug-in's file name, at most 63 bytes, plus its handle and operations.
// Unloaded (no handle) -> registered -> unloaded again by unregister().
class QX_API dl_lib_t : public string_fixed_t<64> {
 public:
  static constexpr const char* SUFFIX = ".so";  // added to the name given to the constructor
  static constexpr const char* ENTRY_FORMAT = "%s_get_dl_ops";  // with the file's base name

  dl_lib_t();                             // empty name, no handle, no ops
  explicit dl_lib_t(const string& name);  // file name: name + SUFFIX, cut at 63 bytes
  dl_lib_t(const dl_lib_t& other);        // copies name, handle and ops
  dl_lib_t& operator=(const dl_lib_t& other);
  ~dl_lib_t() override;  // leaves a registered module loaded

  // Finds the entry point (in the host program first, else in the loaded
  // file), then dl_symbols and dl_register. A failed step leaves it unloaded.
  // Asking again while registered loads the module again (one more reference
  // of the dynamic linker) and runs both hooks again.
  bool register_only();
  // register_only, then dl_execute; a refused execute unregisters again.
  bool register_and_execute(unsigned int code, void* data);
  // dl_unregister, then unloads. A refusal is reported and keeps it loaded.
  bool unregister();

  // A symbol of the loaded module; null when it is missing or nothing is loaded.
  void* lookup_data(const string& symbol) const;
  void (*lookup_code(const string& symbol) const)();

  HINSTANCE handle() const { return handle_; }  // null while unloaded
  dl_ops_t* ops() const { return ops_; }        // null while unloaded
  bool is_registered() const { return ops_ != nullptr; }

  // The host program's handle (dlopen(NULL)), asked once and then kept.
  static HINSTANCE get_main_handle();

 private:
  bool load();
  void release();
  void* lookup(const string& symbol) const;

  HINSTANCE handle_ = nullptr;
  dl_ops_t* ops_ = nullptr;
  bool name_cut_ = false;  // the constructor's name did not fit: never load the stump
};

}  // namespace quarn
