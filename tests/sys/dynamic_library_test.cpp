// Plug-ins against real modules built beside this test and one entry point
// linked into it. Hooks report to the recorder below; whether a module is
// loaded is asked of the dynamic linker (RTLD_NOLOAD), failure texts of dlerror.
#include "qxcore/sys/dynamic_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
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
}  // namespace

extern "C" void qxtest_plugin_event(const char* plugin, const char* hook, void* main, void* lib,
                                    unsigned int code, void* data) {
  events.push_back({plugin, hook, main, lib, code, data});
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
std::string plugin(const std::string& name) { return scratch("p/" + name); }
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
  void SetUp() override { events.clear(); }
  qxtest::capture_sink_t sink_;
};

TEST_F(DynamicLibraryTest, LifeOfAPlugin) {
  std::string file = plugin("plugin_ok.so");
  dl_lib_t lib = lib_named(plugin("plugin_ok"));
  EXPECT_EQ(lib.c_str(), file);
  int data = 0;
  ASSERT_TRUE(lib.register_and_execute(7, &data));
  void* main = dlopen(nullptr, RTLD_NOW);  // the same handle on every call
  ASSERT_NE(loaded(file), nullptr);
  EXPECT_EQ(lib.handle(), loaded(file));
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
  EXPECT_EQ(lib.lookup_data(quarn::string_alias_t("no_such_symbol")), nullptr);

  dl_lib_t copy;
  copy = lib;
  EXPECT_TRUE(copy.c_str() == file && copy.handle() == lib.handle() && copy.ops() == lib.ops());
  EXPECT_TRUE(lib.unregister());
  EXPECT_EQ(hooks(), "symbols register execute unregister");
  EXPECT_TRUE(lib.handle() == nullptr && lib.ops() == nullptr);
  EXPECT_EQ(loaded(file), nullptr);

  // Destroying a registered object leaves the module loaded; so does
  // registering twice and unregistering once (each load takes a reference).
  for (int loads : {1, 2}) {
    dl_lib_t again = lib_named(plugin("plugin_ok"));
    for (int i = 0; i < loads; ++i) ASSERT_TRUE(again.register_only());
    EXPECT_TRUE(loads == 1 || again.unregister());
    void* left = loaded(file);
    ASSERT_NE(left, nullptr) << loads;
    dlclose(left);
    EXPECT_EQ(loaded(file), nullptr) << loads;
  }
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(DynamicLibraryTest, RefusingHooks) {
  const std::string refusal = "[sys] Can not unload the library '" +
                              plugin("plugin_unregister_refuse.so") +
                              "' - it does not support unloading.";
  struct {
    const char* plugin;
    bool execute;     // register_and_execute with the refused code, else register_only
    bool registered;  // what that answers; if true, unregister() is called too
    std::string hooks;
    bool loaded_after;  // and refused to unload, with the message
  } cases[] = {
      {"plugin_symbols_fail", false, false, "symbols", false},
      {"plugin_register_fail", false, false, "symbols register", false},
      {"plugin_ok", true, false, "symbols register execute unregister", false},
      {"plugin_unregister_refuse", false, true, "symbols register unregister", true},
      {"plugin_unregister_refuse", true, false, "symbols register execute unregister", true},
  };
  for (const auto& c : cases) {
    events.clear();
    sink_.messages.clear();
    dl_lib_t lib = lib_named(plugin(c.plugin));
    bool registered = c.execute ? lib.register_and_execute(qxtest::PLUGIN_REFUSED_CODE, nullptr)
                                : lib.register_only();
    EXPECT_EQ(registered, c.registered) << c.plugin;
    EXPECT_FALSE(registered && lib.unregister()) << c.plugin;
    EXPECT_EQ(hooks(), c.hooks) << c.plugin;
    EXPECT_EQ(loaded(plugin(c.plugin) + ".so") != nullptr, c.loaded_after) << c.plugin;
    EXPECT_EQ(lib.handle() != nullptr, c.loaded_after) << c.plugin;
    EXPECT_EQ(sink_.errors(), c.loaded_after ? texts_t{refusal} : texts_t{}) << c.plugin;
  }
}

TEST_F(DynamicLibraryTest, EntryPointInTheHostNeedsNoFile) {
  dl_lib_t lib = lib_named("no/such/dir/hostlinked");  // loading a file would fail
  for (int round = 0; round < 2; ++round) {
    events.clear();
    // Registering a registered plug-in runs its hooks again.
    ASSERT_TRUE(lib.register_only());
    ASSERT_TRUE(lib.register_and_execute(1, nullptr));
    EXPECT_EQ(lib.handle(), dlopen(nullptr, RTLD_NOW));
    ASSERT_EQ(hooks(), "symbols register symbols register execute");
    EXPECT_TRUE(events[0].plugin == "hostlinked" && events[0].lib == lib.handle());
    EXPECT_TRUE(lib.unregister());
    EXPECT_EQ(lib.handle(), nullptr);
  }
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(DynamicLibraryTest, FilesThatAreNoPlugins) {
  std::ofstream(scratch("text.so")) << "not a shared object\n";
  fs::create_directories(scratch("plugins"));
  fs::create_directories(scratch("v1.2"));
  struct {
    std::string name;
    bool link;          // a link to the module without entry point
    std::string entry;  // looked for; when empty, dlopen fails
  } cases[] = {
      {"plugins/sound", true, "sound_get_dl_ops"},
      {"v1.2/sound.v2", true, "sound.v2_get_dl_ops"},
      {"p/plugin_no_entry", false, "plugin_no_entry_get_dl_ops"},
      {"missing", false, ""},
      {"text", false, ""},
  };
  for (const auto& c : cases) {
    sink_.messages.clear();
    std::string file = scratch(c.name + ".so");
    if (c.link) fs::create_symlink(plugin("plugin_no_entry.so"), file);
    texts_t expected = {"[sys] '" + file +
                        "' is not a Quarnix dynamic library - misses entrypoint '" + c.entry + "'"};
    if (c.entry.empty()) {
      ASSERT_EQ(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr);
      expected = {"[sys] Can't load library '" + file + "': errorcode " + dlerror(),
                  "[sys] Can not load the library '" + file + "'"};
    }
    dl_lib_t lib = lib_named(scratch(c.name));
    EXPECT_FALSE(lib.register_only()) << c.name;
    EXPECT_EQ(sink_.errors(), expected);
    EXPECT_EQ(lib.handle(), nullptr);
    EXPECT_EQ(loaded(file), nullptr) << "released after the failure";
  }
  EXPECT_TRUE(events.empty());
}

TEST_F(DynamicLibraryTest, MisuseIsReportedAndRefused) {
  std::string sixty(60, 'n'), file = plugin("plugin_ok.so");
  EXPECT_EQ(lib_named(sixty).c_str(), sixty + ".so");  // 63 bytes fit
  dl_lib_t cut = lib_named(sixty + "x"), unnamed, ok = lib_named(plugin("plugin_ok"));
  EXPECT_EQ(cut.c_str(), sixty + "x.s");

  EXPECT_FALSE(cut.register_only());
  EXPECT_FALSE(unnamed.register_only());
  EXPECT_FALSE(ok.unregister());
  EXPECT_EQ(ok.lookup_data(quarn::string_alias_t("plugin_value")), nullptr);
  ASSERT_TRUE(ok.register_only());
  EXPECT_TRUE(ok.unregister());
  EXPECT_EQ(
      sink_.errors(),
      (texts_t{"[sys] Can not load the library '" + sixty +
                   "x.s' - the file name is longer than 63 characters",
               "[sys] Can not load a library without a file name",
               "[sys] Can not unload the library '" + file + "' - it is not loaded",
               "[sys] Can not look up 'plugin_value' - the library '" + file + "' is not loaded"}));
  EXPECT_EQ(hooks(), "symbols register unregister");
}

}  // namespace
