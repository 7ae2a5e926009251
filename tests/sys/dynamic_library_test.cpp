// Plug-in libraries against real modules built beside this test (see
// CMakeLists.txt) and one linked into this executable. Each hook reports to
// the recorder below; whether a module is loaded is asked of the dynamic
// linker itself (RTLD_NOLOAD), and its failure texts come from dlerror.
#include "qxcore/sys/dynamic_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qxcore/strings/string.h"
#include "tests/support/capture_sink.h"
#include "tests/sys/plugin_events.h"

namespace {

namespace fs = std::filesystem;
using quarn::dl_lib_t;
using quarn::string_alias_t;
using texts_t = std::vector<std::string>;

struct event_t {
  std::string plugin, hook;
  void* main;
  void* lib;
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

// A file name holds at most 63 bytes, less than a build directory's path may
// take, so the tests reach the plug-ins through a short link made once.
class plugin_dir_t {
 public:
  plugin_dir_t() {
    char scratch[] = "/tmp/qxdl_XXXXXX";
    if (mkdtemp(scratch) == nullptr) return;
    root_ = scratch;
    fs::create_directory_symlink(QXTEST_PLUGIN_DIR, root_ / "p");
  }
  ~plugin_dir_t() { fs::remove_all(root_); }
  fs::path root_;
};

std::string plugin_path(const char* name) {
  static plugin_dir_t dir;
  return (dir.root_ / "p" / name).string();
}

// The module's handle when the dynamic linker has it loaded, else null.
void* loaded_handle(const std::string& file) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);  // only asked; give the reference back
  return handle;
}

texts_t hooks_called() {
  texts_t hooks;
  for (const event_t& e : events) hooks.push_back(e.hook);
  return hooks;
}

class DynamicLibraryTest : public testing::Test {
 protected:
  void SetUp() override { events.clear(); }
  qxtest::capture_sink_t sink_;
};

TEST_F(DynamicLibraryTest, FileNameGetsTheSuffixAndIsCutAt63Bytes) {
  std::string sixty(60, 'n');
  struct {
    std::string name, file;
  } cases[] = {
      {"plugins/sound", "plugins/sound.so"},
      {"", ".so"},
      {sixty, sixty + ".so"},                         // 63 bytes: fits exactly
      {sixty + "x", sixty + "x.s"},                   // 64 would not: cut to 63
      {std::string(100, 'a'), std::string(63, 'a')},  // cut in the name itself
  };
  for (const auto& c : cases) {
    dl_lib_t lib{string_alias_t(c.name.c_str())};
    EXPECT_EQ(std::string(lib.c_str()), c.file) << c.name;
    EXPECT_EQ(lib.handle(), nullptr);
    EXPECT_EQ(lib.ops(), nullptr);
  }
  EXPECT_STREQ(dl_lib_t().c_str(), "");
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(DynamicLibraryTest, FullLifeOfAPlugin) {
  std::string file = plugin_path("plugin_ok.so");
  dl_lib_t lib{string_alias_t(plugin_path("plugin_ok").c_str())};
  int data = 0;
  ASSERT_TRUE(lib.register_and_execute(7, &data));

  void* module = loaded_handle(file);
  void* main = dlopen(nullptr, RTLD_NOW);  // the same handle on every call
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(lib.handle(), module);
  EXPECT_EQ(dl_lib_t::get_main_handle(), main);
  EXPECT_NE(lib.ops(), nullptr);
  ASSERT_EQ(hooks_called(), (texts_t{"symbols", "register", "execute"}));
  for (const event_t& e : events) {
    EXPECT_EQ(e.plugin, "plugin_ok");
    EXPECT_EQ(e.main, main);
    EXPECT_EQ(e.lib, module);
  }
  EXPECT_EQ(events[2].code, 7u);
  EXPECT_EQ(events[2].data, &data);

  // The module's own symbols; nothing is reported for a missing one.
  auto* value = static_cast<int*>(lib.lookup_data(string_alias_t("plugin_value")));
  auto name = reinterpret_cast<const char* (*)()>(lib.lookup_code(string_alias_t("plugin_name")));
  ASSERT_NE(value, nullptr);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(*value, 1234);
  EXPECT_STREQ(name(), "plugin_ok");
  EXPECT_EQ(lib.lookup_data(string_alias_t("no_such_symbol")), nullptr);
  EXPECT_EQ(lib.lookup_code(string_alias_t("no_such_symbol")), nullptr);

  // operator= copies name, handle and operations.
  dl_lib_t copy;
  copy = lib;
  EXPECT_STREQ(copy.c_str(), lib.c_str());
  EXPECT_EQ(copy.handle(), lib.handle());
  EXPECT_EQ(copy.ops(), lib.ops());

  EXPECT_TRUE(lib.unregister());
  EXPECT_EQ(hooks_called().back(), "unregister");
  EXPECT_EQ(lib.handle(), nullptr);
  EXPECT_EQ(lib.ops(), nullptr);
  EXPECT_EQ(loaded_handle(file), nullptr);
  EXPECT_TRUE(sink_.messages.empty());

  // Registering again loads it again.
  EXPECT_TRUE(lib.register_only());
  EXPECT_NE(loaded_handle(file), nullptr);
  EXPECT_TRUE(lib.unregister());
  EXPECT_EQ(loaded_handle(file), nullptr);
}

TEST_F(DynamicLibraryTest, RefusingHooks) {
  struct {
    const char* plugin;
    bool execute;       // register_and_execute with the refused code, else register_only
    bool registered;    // what that call answers
    texts_t hooks;      // called in this order
    bool loaded_after;  // after the call, and after an unregister() if it registered
    texts_t errors;
  } cases[] = {
      {"plugin_symbols_fail", false, false, {"symbols"}, false, {}},
      {"plugin_register_fail", false, false, {"symbols", "register"}, false, {}},
      {"plugin_ok", true, false, {"symbols", "register", "execute", "unregister"}, false, {}},
      {"plugin_unregister_refuse",
       false,
       true,
       {"symbols", "register", "unregister"},
       true,
       {"[sys] Can not unload the library '%s' - it does not support unloading."}},
      {"plugin_unregister_refuse",
       true,
       false,
       {"symbols", "register", "execute", "unregister"},
       true,
       {"[sys] Can not unload the library '%s' - it does not support unloading."}},
  };
  for (const auto& c : cases) {
    events.clear();
    sink_.messages.clear();
    std::string file = plugin_path(c.plugin) + ".so";
    dl_lib_t lib{string_alias_t(plugin_path(c.plugin).c_str())};
    bool registered = c.execute ? lib.register_and_execute(qxtest::PLUGIN_REFUSED_CODE, nullptr)
                                : lib.register_only();
    EXPECT_EQ(registered, c.registered) << c.plugin;
    if (registered) {
      EXPECT_FALSE(lib.unregister()) << c.plugin;
    }
    EXPECT_EQ(hooks_called(), c.hooks) << c.plugin;
    EXPECT_EQ(loaded_handle(file) != nullptr, c.loaded_after) << c.plugin;
    EXPECT_EQ(lib.handle() != nullptr, c.loaded_after) << c.plugin;
    texts_t expected;
    for (const std::string& e : c.errors) {
      std::string text = e;
      text.replace(text.find("%s"), 2, file);
      expected.push_back(text);
    }
    EXPECT_EQ(sink_.errors(), expected) << c.plugin;
  }
}

TEST_F(DynamicLibraryTest, EntryPointInTheHostIsUsedWithoutLoadingAFile) {
  // No such directory: loading a file would fail.
  dl_lib_t lib{string_alias_t("no/such/dir/hostlinked")};
  ASSERT_TRUE(lib.register_and_execute(1, nullptr));
  void* main = dlopen(nullptr, RTLD_NOW);
  EXPECT_EQ(lib.handle(), main);
  ASSERT_EQ(hooks_called(), (texts_t{"symbols", "register", "execute"}));
  EXPECT_EQ(events[0].plugin, "hostlinked");
  EXPECT_EQ(events[0].lib, main);
  EXPECT_TRUE(lib.unregister());
  EXPECT_EQ(lib.handle(), nullptr);
  // The executable is still there to be registered with again.
  EXPECT_TRUE(lib.register_only());
  EXPECT_TRUE(lib.unregister());
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(DynamicLibraryTest, EntryPointIsNamedAfterTheBaseName) {
  // Links to the module without entry point, under other names: the message
  // shows which entry point was looked for.
  char scratch[] = "/tmp/qxcore_dl_XXXXXX";
  ASSERT_NE(mkdtemp(scratch), nullptr);
  fs::path root = scratch;
  struct {
    const char* name;  // under the scratch directory
    const char* entry;
  } cases[] = {
      {"plugins/sound", "sound_get_dl_ops"},
      {"v1.2/sound.v2", "sound.v2_get_dl_ops"},
      {"plain", "plain_get_dl_ops"},
  };
  for (const auto& c : cases) {
    sink_.messages.clear();
    std::string name = (root / c.name).string();
    fs::create_directories(fs::path(name).parent_path());
    fs::create_symlink(plugin_path("plugin_no_entry.so"), name + ".so");
    dl_lib_t lib{string_alias_t(name.c_str())};
    EXPECT_FALSE(lib.register_only());
    EXPECT_EQ(
        sink_.errors(),
        texts_t{"[sys] '" + name + ".so' is not a Quarnix dynamic library - misses entrypoint '" +
                c.entry + "'"});
    EXPECT_EQ(lib.handle(), nullptr);
    EXPECT_EQ(loaded_handle(name + ".so"), nullptr) << "released after the failure";
  }
  EXPECT_TRUE(events.empty());
  fs::remove_all(root);
}

TEST_F(DynamicLibraryTest, FilesThatCannotBeLoaded) {
  char scratch[] = "/tmp/qxcore_dl_XXXXXX";
  ASSERT_NE(mkdtemp(scratch), nullptr);
  std::string not_elf = std::string(scratch) + "/text";
  std::ofstream(not_elf + ".so") << "not a shared object\n";
  for (std::string name : {std::string(scratch) + "/missing", not_elf}) {
    sink_.messages.clear();
    std::string file = name + ".so";
    // What the dynamic linker says about it, asked directly.
    ASSERT_EQ(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr);
    std::string reason = dlerror();
    dl_lib_t lib{string_alias_t(name.c_str())};
    EXPECT_FALSE(lib.register_only());
    EXPECT_EQ(sink_.errors(),
              (texts_t{"[sys] Can't load library '" + file + "': errorcode " + reason,
                       "[sys] Can not load the library '" + file + "'"}));
    EXPECT_EQ(lib.handle(), nullptr);
  }
  fs::remove_all(scratch);
}

TEST_F(DynamicLibraryTest, MisuseIsReportedAndRefused) {
  std::string long_name = plugin_path(std::string(80, 'p').c_str());
  dl_lib_t cut{string_alias_t(long_name.c_str())};
  dl_lib_t unnamed;
  dl_lib_t ok{string_alias_t(plugin_path("plugin_ok").c_str())};
  std::string ok_file = plugin_path("plugin_ok.so");

  EXPECT_FALSE(cut.register_only());
  EXPECT_FALSE(unnamed.register_only());
  EXPECT_FALSE(ok.unregister());
  EXPECT_EQ(ok.lookup_data(string_alias_t("plugin_value")), nullptr);
  ASSERT_TRUE(ok.register_only());
  EXPECT_FALSE(ok.register_only());
  EXPECT_NE(ok.handle(), nullptr) << "a refused second registration keeps the first";
  EXPECT_TRUE(ok.unregister());
  EXPECT_EQ(
      sink_.errors(),
      (texts_t{"[sys] Can not load the library '" + long_name.substr(0, 63) +
                   "' - the file name is longer than 63 characters",
               "[sys] Can not load a library without a file name",
               "[sys] Can not unload the library '" + ok_file + "' - it is not loaded",
               "[sys] Can not look up 'plugin_value' - the library '" + ok_file + "' is not loaded",
               "[sys] Can not load the library '" + ok_file + "' - it is already registered"}));
  EXPECT_EQ(hooks_called(), (texts_t{"symbols", "register", "unregister"}));
}

TEST_F(DynamicLibraryTest, DestroyingARegisteredLibraryLeavesItLoaded) {
  std::string file = plugin_path("plugin_ok.so");
  void* handle;
  {
    dl_lib_t lib{string_alias_t(plugin_path("plugin_ok").c_str())};
    ASSERT_TRUE(lib.register_only());
    handle = lib.handle();
  }
  EXPECT_EQ(loaded_handle(file), handle);
  EXPECT_EQ(hooks_called(), (texts_t{"symbols", "register"}));
  dlclose(handle);  // the reference the destroyed object kept
  EXPECT_EQ(loaded_handle(file), nullptr);
}

}  // namespace
