// The demo's plug-in: a module the demo host loads at run time through
// dl_lib_t. It answers one command, writing a greeting into the library
// string the host hands over, and says when each step of its life runs.
#include <dlfcn.h>

#include <cstdio>

#include "qxcore/qxcore.h"

namespace {

constexpr unsigned int GREET = 1;

class sample_ops_t : public quarn::dl_ops_t {
 public:
  bool dl_symbols(quarn::HINSTANCE main, quarn::HINSTANCE lib) override {
    // The host's global scope includes the libraries it was linked with.
    bool found = dlsym(main, "qxcore_init") != nullptr;
    std::printf("  [sample_plugin] dl_symbols: qxcore_init %s in the host\n",
                found ? "found" : "missing");
    return found;
  }
  bool dl_register(quarn::HINSTANCE, quarn::HINSTANCE) override {
    std::printf("  [sample_plugin] dl_register\n");
    return true;
  }
  bool dl_unregister(quarn::HINSTANCE, quarn::HINSTANCE) override {
    std::printf("  [sample_plugin] dl_unregister\n");
    return true;
  }
  bool dl_execute(quarn::HINSTANCE, quarn::HINSTANCE, unsigned int code, void* data) override {
    std::printf("  [sample_plugin] dl_execute(%u)\n", code);
    if (code != GREET || data == nullptr) return false;
    return static_cast<quarn::mstring_t*>(data)->printf("hello from a plug-in, command %u", code);
  }
};

sample_ops_t ops;

}  // namespace

extern "C" __attribute__((visibility("default"))) quarn::dl_ops_t* sample_plugin_get_dl_ops() {
  return &ops;
}
