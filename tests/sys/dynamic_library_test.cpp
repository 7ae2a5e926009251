// Plug-ins against real modules built beside this test and one entry point
// linked into it. Hooks report to the recorder below, which answers for them;
// whether a module is loaded is asked of the dynamic linker (RTLD_NOLOAD),
// failure texts of dlerror.
#include "qxcore/sys/dynamic_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/capture_sink.h"
#include "tests/sys/plugin_events.h"

namespace {
namespace fs = std::filesystem;
using quarn::dl_lib_t;
using texts_t = std::vector<std::string>;

struct event_t {
  std::string plugin, hook;
  void *main, *lib;
  unsigned int code;
  void* data;
};
std::vector<event_t> events;
std::string refused_hook;  // the hook that answers false
}  // namespace

extern "C" bool qxtest_plugin_event(const char* plugin, const char* hook, void* main, void* lib,
                                    unsigned int code, void* data) {
  events.push_back({plugin, hook, main, lib, code, data});
  return refused_hook != hook;
}

namespace {

// File names hold 63 bytes, less than a build path may take: a short link
// to the plug-in directory, in a scratch directory made once.
struct scratch_t {
  scratch_t() : root(mkdtemp(pattern)) {
    fs::create_directory_symlink(QXTEST_PLUGIN_DIR, root / "p");
  }
  ~scratch_t() { fs::remove_all(root); }
  char pattern[20] = "/tmp/qxdl_XXXXXX";  // before root: root is made from it
  fs::path root;
};
std::string scratch(const std::string& name) {
  static scratch_t dir;
  return (dir.root / name).string();
}
dl_lib_t lib_named(const std::string& name) {
  return dl_lib_t(quarn::string_alias_t(name.c_str()));
}

void* loaded(const std::string& file) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);  // give back the reference the question took
  return handle;
}

// The hooks called so far, in order, separated by blanks.
std::string hooks() {
  std::string out;
  for (const event_t& e : events) out += (out.empty() ? "" : " ") + e.hook;
  return out;
}

class DynamicLibraryTest : public testing::Test {
 protected:
  void SetUp() override {
    events.clear();
    refused_hook.clear();
  }
  qxtest::capture_sink_t sink_;
  const std::string file_ = scratch("p/plugin_ok.so");
};

TEST_F(DynamicLibraryTest, LifeOfAPlugin) {
  dl_lib_t lib = lib_named(scratch("p/plugin_ok"));
  EXPECT_EQ(lib.c_str(), file_);
  int data = 0;
  ASSERT_TRUE(lib.register_and_execute(7, &data));
  void* main = dlopen(nullptr, RTLD_NOW);  // the same handle on every call
  EXPECT_TRUE(lib.handle() != nullptr && lib.handle() == loaded(file_));
  ASSERT_EQ(hooks(), "symbols register execute");
  for (const event_t& e : events)
    EXPECT_TRUE(e.plugin == "plugin_ok" && e.main == main && e.lib == lib.handle());
  EXPECT_TRUE(events[2].code == 7 && events[2].data == &data);

  auto* value = static_cast<int*>(lib.lookup_data(quarn::string_alias_t("plugin_value")));
  auto name =
      reinterpret_cast<const char* (*)()>(lib.lookup_code(quarn::string_alias_t("plugin_name")));
  ASSERT_TRUE(value != nullptr && name != nullptr);
  EXPECT_EQ(*value, 1234);
  EXPECT_STREQ(name(), "plugin_ok");

  dl_lib_t copy;
  copy = lib;
  EXPECT_TRUE(copy.c_str() == file_ && copy.handle() == lib.handle() && copy.ops() == lib.ops());
  EXPECT_TRUE(lib.unregister());
  EXPECT_EQ(hooks(), "symbols register execute unregister");
  EXPECT_TRUE(lib.handle() == nullptr && lib.ops() == nullptr);
  EXPECT_EQ(loaded(file_), nullptr);
  EXPECT_TRUE(sink_.messages.empty());
}

// A refused hook leaves nothing loaded, except a refused unregister, which
// keeps the module until it is agreed.
TEST_F(DynamicLibraryTest, RefusingHooksAndAnEntryPointInTheHost) {
  const struct {
    const char* refused;
    bool registered;  // what register_and_execute answers
    std::string hooks;
  } cases[] = {{"symbols", false, "symbols"},
               {"register", false, "symbols register"},
               {"execute", false, "symbols register execute unregister"},
               {"unregister", true, "symbols register execute unregister"}};
  for (const auto& c : cases) {
    events.clear();
    refused_hook = c.refused;
    dl_lib_t lib = lib_named(scratch("p/plugin_ok"));
    EXPECT_EQ(lib.register_and_execute(1, nullptr), c.registered) << c.refused;
    EXPECT_FALSE(c.registered && lib.unregister()) << c.refused;
    EXPECT_EQ(hooks(), c.hooks) << c.refused;
    EXPECT_EQ(lib.handle() != nullptr && loaded(file_) != nullptr, c.registered) << c.refused;
    refused_hook.clear();
    EXPECT_TRUE(!c.registered || lib.unregister()) << c.refused;
    EXPECT_EQ(loaded(file_), nullptr) << c.refused;
  }
  EXPECT_EQ(sink_.errors(), texts_t{"[sys] Can not unload the library '" + file_ +
                                    "' - it does not support unloading."});

  // An entry point in the host is used without loading a file, and
  // registering a registered plug-in runs its hooks again.
  events.clear();
  dl_lib_t host = lib_named("no/such/dir/hostlinked");
  ASSERT_TRUE(host.register_only());
  ASSERT_TRUE(host.register_and_execute(1, nullptr));
  EXPECT_EQ(host.handle(), dlopen(nullptr, RTLD_NOW));
  ASSERT_EQ(hooks(), "symbols register symbols register execute");
  EXPECT_TRUE(events[0].plugin == "hostlinked" && events[0].lib == host.handle());
  EXPECT_TRUE(host.unregister());
  EXPECT_EQ(host.handle(), nullptr);
  EXPECT_EQ(sink_.messages.size(), 1u);
}

// Every refusal releases what it loaded and names the file. The entry point
// is the base name's: folders dropped, dots kept.
TEST_F(DynamicLibraryTest, MisuseAndFilesThatAreNoPluginsAreRefused) {
  fs::create_directories(scratch("v1.2"));
  const std::string wrong = scratch("v1.2/sound.v2.so"), missing = scratch("missing.so");
  fs::create_symlink(scratch("p/plugin_no_entry.so"), wrong);
  ASSERT_EQ(dlopen(missing.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr);
  const std::string why = dlerror();
  std::string sixty(60, 'n');
  EXPECT_EQ(lib_named(sixty).c_str(), sixty + ".so");  // 63 bytes fit
  dl_lib_t cut = lib_named(sixty + "x"), unnamed, ok = lib_named(scratch("p/plugin_ok"));
  EXPECT_EQ(cut.c_str(), sixty + "x.s");

  for (dl_lib_t lib :
       {lib_named(scratch("v1.2/sound.v2")), lib_named(scratch("missing")), cut, unnamed}) {
    EXPECT_FALSE(lib.register_only()) << lib.c_str();
    EXPECT_EQ(lib.handle(), nullptr);
  }
  EXPECT_EQ(loaded(wrong), nullptr) << "released after the failure";
  EXPECT_FALSE(ok.unregister());
  EXPECT_EQ(ok.lookup_data(quarn::string_alias_t("plugin_value")), nullptr);
  ASSERT_TRUE(ok.register_only());
  EXPECT_TRUE(ok.unregister());
  EXPECT_EQ(sink_.errors(),
            (texts_t{"[sys] '" + wrong +
                         "' is not a Quarnix dynamic library - misses entrypoint "
                         "'sound.v2_get_dl_ops'",
                     "[sys] Can't load library '" + missing + "': errorcode " + why,
                     "[sys] Can not load the library '" + missing + "'",
                     "[sys] Can not load the library '" + sixty +
                         "x.s' - the file name is longer than 63 characters",
                     "[sys] Can not load a library without a file name",
                     "[sys] Can not unload the library '" + file_ + "' - it is not loaded",
                     "[sys] Can not look up 'plugin_value' - the library '" + file_ +
                         "' is not loaded"}));
  EXPECT_EQ(hooks(), "symbols register unregister");
}

}  // namespace
