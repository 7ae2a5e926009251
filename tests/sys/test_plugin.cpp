// A test plug-in, built once per module by CMakeLists.txt: PLUGIN_NAME names
// the module (and so its entry point), NO_ENTRY leaves the entry point out,
// and LINKED_INTO_HOST builds it into the test executable. Each hook answers
// what the test's recorder answers.
#include <dlfcn.h>

#include "qxcore/sys/dynamic_library.h"
#include "tests/sys/plugin_events.h"

#define QXTEST_JOIN2(a, b) a##b
#define QXTEST_JOIN(a, b) QXTEST_JOIN2(a, b)
#define QXTEST_TEXT2(a) #a
#define QXTEST_TEXT(a) QXTEST_TEXT2(a)
#define EXPORTED extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char* PLUGIN = QXTEST_TEXT(PLUGIN_NAME);
qxtest_plugin_event_fn record = nullptr;

class test_ops_t : public quarn::dl_ops_t {
 public:
  bool dl_symbols(quarn::HINSTANCE main, quarn::HINSTANCE lib) override {
    record = reinterpret_cast<qxtest_plugin_event_fn>(dlsym(main, qxtest::PLUGIN_RECORDER));
    return record != nullptr && record(PLUGIN, "symbols", main, lib, 0, nullptr);
  }
  bool dl_register(quarn::HINSTANCE main, quarn::HINSTANCE lib) override {
    return record(PLUGIN, "register", main, lib, 0, nullptr);
  }
  bool dl_unregister(quarn::HINSTANCE main, quarn::HINSTANCE lib) override {
    return record(PLUGIN, "unregister", main, lib, 0, nullptr);
  }
  bool dl_execute(quarn::HINSTANCE main, quarn::HINSTANCE lib, unsigned int code,
                  void* data) override {
    return record(PLUGIN, "execute", main, lib, code, data);
  }
};

test_ops_t ops;

}  // namespace

#ifndef NO_ENTRY
EXPORTED quarn::dl_ops_t* QXTEST_JOIN(PLUGIN_NAME, _get_dl_ops)() { return &ops; }
#endif

#ifndef LINKED_INTO_HOST
// For lookup_data and lookup_code; the host-linked copy leaves them out so
// that the executable does not interpose them on the modules.
extern "C" {
__attribute__((visibility("default"))) int plugin_value = 1234;
__attribute__((visibility("default"))) const char* plugin_name() { return PLUGIN; }
}
#endif
