// The standard mounts over a real game folder: which records each mode
// mounts and in which slots, which device wins for every pair of overlapping
// records (loose directories, Info-ZIP archives, modules, home and temp),
// unmounting, module order and limits, and the home and temporary
// directories taken from a controlled environment.
#include "qxcore/fs/std_mount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "qxcore/fs/directory_devices.h"
#include "qxcore/fs/user_dirs.h"
#include "qxcore/fs/zipfs_device.h"
#include "qxcore/resources/cvfs_device.h"
#include "qxcore/strings/command_line.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"
#include "tests/support/game_folder.h"

namespace {

using quarn::std_mount_t;
using qxtest::read_all;
using qxtest::s;
using mount_row_t =
    std::tuple<std::string, int, bool, std::string>;  // root, priority, read-only, kind

std::string kind_of(quarn::ufs_device_t* d) {
  if (dynamic_cast<quarn::ufs_list_device_t*>(d)) return "listing";
  if (dynamic_cast<quarn::ufs_dir_device_t*>(d)) return "directory";
  if (dynamic_cast<quarn::zipfs_device_t*>(d)) return "archive";
  if (dynamic_cast<quarn::ufs_cvfs_device_t*>(d)) return "converting";
  return "?";
}

std::vector<mount_row_t> mounted() {
  std::vector<mount_row_t> rows;
  auto* list = const_cast<quarn::list_t<quarn::ufs_device_t*>*>(quarn::fs_mount_table()->mounts());
  if (list != nullptr)
    for (auto* d : *list)
      rows.emplace_back(d->device_name().c_str(), d->priority(), d->read_only(), kind_of(d));
  return rows;
}

std::string canonical(const std::string& path) { return std::filesystem::canonical(path).string(); }

TEST(StdMount, EachModeMountsItsRecordsInOrderAndUnmountsThemAll) {
  const std::vector<mount_row_t> converting = {
      {"base_test", 451, true, "listing"}, {"base", 450, true, "listing"},
      {"user", 350, true, "directory"},    {"", 200, true, "converting"},
      {"rsrc", 150, true, "directory"},    {"base.qpk", 50, true, "archive"},
      {".dep", 0, true, "directory"}};
  const std::vector<mount_row_t> writable = {{"base_test", 451, true, "directory"},
                                             {"base", 450, true, "directory"},
                                             {"rsrc", 150, false, "directory"},
                                             {".dep", 0, false, "directory"}};
  const std::vector<mount_row_t> expected[8] = {{{"base.qpk", 50, true, "archive"}},
                                                {{"patch.qpk", 60, true, "archive"}},
                                                {},
                                                {},
                                                converting,
                                                converting,
                                                writable,
                                                {}};
  for (unsigned int mode = 0; mode < 8; ++mode) {
    qxtest::game_folder_t game;
    qxtest::capture_sink_t sink;  // the missing archives report themselves
    std_mount_t mounts;
    mounts.mount_directories(static_cast<quarn::std_mount_mode_t>(mode));
    EXPECT_EQ(mounted(), expected[mode]) << "mode " << mode;
    if (mode == 4) {
      const std::pair<unsigned int, const char*> slots[] = {
          {0, "base"},     {1, "user"}, {2, ".dep"},     {3, "rsrc"},
          {4, "base.qpk"}, {5, ""},     {8, "base_test"}};
      for (auto [slot, root] : slots)
        EXPECT_STREQ(mounts.device(slot)->device_name().c_str(), root) << slot;
      // Only the records that ask for it make their directory.
      for (const char* dir : {"user", "rsrc", ".dep"})
        EXPECT_TRUE(std::filesystem::is_directory(dir)) << dir;
      EXPECT_FALSE(std::filesystem::exists("base"));
      EXPECT_EQ(sink.errors(),
                std::vector<std::string>{"[zipfs] Unable to find the zipfs file 'base.qpk'."});
    }
    mounts.unmount_directories();
    EXPECT_EQ(quarn::fs_mount_table()->mounts(), nullptr) << "mode " << mode;
  }
}

// Every readable record holds a file for each record it overlaps; the
// higher priority must answer, and unmounting one uncovers the other.
TEST(StdMount, TheHigherRecordWinsEveryOverlap) {
  qxtest::game_folder_t game;
  qxtest::scoped_env_t xdg("XDG_DATA_HOME", game / "xdg");
  qxtest::scoped_env_t tmp("TMPDIR", game / "tmp");
  std::filesystem::create_directories(game / "tmp");
  struct layer_t {
    std::string name, dir, prefix;  // dir: where its files go (an archive's staging directory)
    int priority;
  };
  const std::vector<layer_t> layers = {{"home", "xdg/game", "/home", 650},
                                       {"base_test", "base_test", "", 451},
                                       {"base", "base", "", 450},
                                       {"user", "user", "", 350},
                                       {"rsrc", "rsrc", "", 150},
                                       {"module_b", "stage_b", "", 61},
                                       {"module_a", "stage_a", "", 60},
                                       {"patch", "stage_patch", "", 60},
                                       {"archive", "stage_base", "", 50},
                                       {"temp", "tmp", "/temp", 1},
                                       {"dep", ".dep", "", 0}};
  struct pair_t {
    std::string path;
    const layer_t *high, *low;
  };
  std::vector<pair_t> pairs;
  for (const layer_t& a : layers)
    for (const layer_t& b : layers) {
      // Equal priorities have no order; home and temp never share a path.
      if (a.priority <= b.priority || (!a.prefix.empty() && !b.prefix.empty())) continue;
      std::string path =
          (a.prefix.empty() ? b.prefix : a.prefix) + "/pair_" + a.name + "_" + b.name;
      pairs.push_back({path, &a, &b});
      for (const layer_t* l : {&a, &b})
        game.write(l->dir + "/" + path.substr(l->prefix.size()), l->name);
    }
  game.zip("mods/a.qpk", "stage_a");
  game.zip("mods/B.qpk", "stage_b");
  game.zip("patch.qpk", "stage_patch");
  game.zip("base.qpk", "stage_base");

  qxtest::capture_sink_t sink;
  std_mount_t mounts;
  for (const auto* record :
       {&std_mount_t::BASE_TEST_DIRECTORY, &std_mount_t::BASE_DIRECTORY, &std_mount_t::USER,
        &std_mount_t::RSRC_WRITABLE, &std_mount_t::DEPENDENCIES_WRITABLE})
    EXPECT_TRUE(mounts.mount(*record));
  mounts.mount_directories(quarn::STD_MOUNT_BASE_ARCHIVE);
  // The patch takes the archive slot from the base archive, which stays mounted.
  quarn::ufs_device_t* base_archive = mounts.device(std_mount_t::SLOT_ARCHIVE);
  mounts.mount_directories(quarn::STD_MOUNT_PATCH_ARCHIVE);
  EXPECT_EQ(mounts.mount_modules(s("mods")), 2u);
  mounts.mount_home(s("game"));
  mounts.mount_temp();
  EXPECT_EQ(sink.errors(), std::vector<std::string>{});
  for (const pair_t& p : pairs) EXPECT_EQ(read_all(p.path), p.high->name) << p.path;

  mounts.unmount_temp();
  EXPECT_EQ(mounts.device(std_mount_t::SLOT_TEMP), nullptr);
  for (const pair_t& p : pairs)
    if (p.low->name == "temp" || p.high->name == "temp") {
      EXPECT_EQ(read_all(p.path), p.high->name == "temp" ? p.low->name : p.high->name) << p.path;
    }
  mounts.unmount_directories();
  EXPECT_EQ(mounted(), (std::vector<mount_row_t>{{"base.qpk", 50, true, "archive"}}));
  quarn::ufs_unmount(base_archive);
  EXPECT_EQ(read_all("/pair_user_rsrc"), "<missing>");
}

TEST(StdMount, ModulesMountInCaseInsensitiveOrderUpToEleven) {
  qxtest::game_folder_t game;
  game.write("stage/x", "x");
  game.zip("one.qpk", "stage");
  for (const char* name :
       {"mods/a.qpk", "mods/B.qpk", "mods/c.QPK", "mods/d.qpk/inner.qpk", "many/.keep"})
    std::filesystem::create_directories(std::filesystem::path(game / name).parent_path());
  for (const char* name : {"mods/a.qpk", "mods/B.qpk", "mods/c.QPK"})
    std::filesystem::copy(game / "one.qpk", game / name);
  for (int k = 11; k >= 0; --k)
    std::filesystem::copy(game / "one.qpk", game / ("many/m" + std::to_string(k + 10) + ".qpk"));

  qxtest::capture_sink_t sink;
  std_mount_t mounts;
  EXPECT_EQ(mounts.mount_modules(s("no_such_dir")), 0u);
  EXPECT_EQ(mounts.mount_modules(s("mods")), 2u);
  const std::tuple<unsigned int, std::string, int> expected[] = {{9, "mods/a.qpk", 60},
                                                                 {10, "mods/B.qpk", 61}};
  for (auto [slot, root, priority] : expected) {
    ASSERT_NE(mounts.device(slot), nullptr);
    EXPECT_STREQ(mounts.device(slot)->device_name().c_str(), root.c_str());
    EXPECT_EQ(mounts.device(slot)->priority(), priority);
  }
  EXPECT_EQ(mounts.device(11), nullptr);
  EXPECT_EQ(sink.errors(), std::vector<std::string>{});
  // Nine slots are left: m10 ... m18 take them, m19 is refused and ends the call.
  EXPECT_EQ(mounts.mount_modules(s("many")), 9u);
  EXPECT_STREQ(mounts.device(19)->device_name().c_str(), "many/m18.qpk");
  EXPECT_EQ(mounts.device(19)->priority(), 70);
  EXPECT_EQ(mounts.mount_modules(s("mods")), 0u);
  EXPECT_EQ(sink.errors(), std::vector<std::string>(2, "Too many modules to mount!"));
  EXPECT_EQ(mounts.module_count(), 11u);
  mounts.unmount_directories();
  EXPECT_EQ(quarn::fs_mount_table()->mounts(), nullptr);
}

TEST(StdMount, HomeAndTempComeFromTheEnvironment) {
  qxtest::game_folder_t game;
  std::filesystem::create_directories(game / "real_tmp");
  std::filesystem::create_directory_symlink(game / "real_tmp", game / "tmp_link");
  const std::string real_tmp = canonical(game / "real_tmp") + "/";
  using env = std::optional<std::string>;
  struct case_t {
    env xdg, home, tmpdir;
    const char* homedir;  // expected, or null for failure
    std::string tempdir;  // expected, or "" for failure
  };
  const case_t cases[] = {
      {game / "xdg", game / "h", game / "tmp_link", "xdg", real_tmp},
      {std::string(), game / "h", std::nullopt, "h/.local/share", canonical("/tmp") + "/"},
      {std::nullopt, std::nullopt, game / "missing", nullptr, ""},
      {std::nullopt, game / "h", std::string(), "h/.local/share", canonical("/tmp") + "/"},
  };
  for (const case_t& c : cases) {
    qxtest::scoped_env_t xdg("XDG_DATA_HOME", c.xdg), home("HOME", c.home), tmp("TMPDIR", c.tmpdir);
    quarn::string_dyn_t<> homedir, tempdir;
    ASSERT_EQ(quarn::usr_get_homedir(&homedir), c.homedir != nullptr);
    if (c.homedir != nullptr) {
      EXPECT_EQ(homedir.c_str(), game / c.homedir);
      EXPECT_TRUE(std::filesystem::is_directory(homedir.c_str()));
    }
    EXPECT_EQ(quarn::usr_get_tempdir(&tempdir), !c.tempdir.empty());
    if (!c.tempdir.empty()) {
      EXPECT_EQ(tempdir.c_str(), c.tempdir);
    }
  }
  qxtest::scoped_env_t too_long("XDG_DATA_HOME", "/" + std::string(quarn::USR_MAX_PATH, 'x'));
  quarn::string_dyn_t<> out;
  EXPECT_FALSE(quarn::usr_get_homedir(&out));
}

TEST(StdMount, HomeAndTempMountsReportAndServeTheirPrefixes) {
  qxtest::game_folder_t game;
  qxtest::scoped_env_t xdg("XDG_DATA_HOME", game / "xdg");
  qxtest::scoped_env_t tmp("TMPDIR", game / "tmp");
  std::filesystem::create_directories(game / "tmp");
  qxtest::capture_sink_t sink;
  std_mount_t mounts;
  mounts.mount_home(s("my game"));
  mounts.mount_temp();
  EXPECT_EQ(sink.texts(quarn::message_t::TYPE_MESSAGE),
            std::vector<std::string>{"Home directory: '" + (game / "xdg/my game") + "'"});
  EXPECT_EQ(sink.texts(quarn::message_t::TYPE_VERBOSE),
            std::vector<std::string>{"Temp directory: '" + canonical(game / "tmp") + "/'"});
  EXPECT_EQ(mounts.device(std_mount_t::SLOT_HOME)->priority(), 650);
  EXPECT_EQ(mounts.device(std_mount_t::SLOT_TEMP)->priority(), 1);
  for (const char* path : {"/home/saves/one.txt", "/temp/scratch.txt"})
    delete quarn::fs_create(s(path), quarn::FS_TYPE_VIRTUAL);
  EXPECT_TRUE(std::filesystem::exists(game / "xdg/my game/saves/one.txt"));
  EXPECT_TRUE(std::filesystem::exists(game / "tmp/scratch.txt"));
  mounts.unmount_directories();
  EXPECT_EQ(quarn::fs_mount_table()->mounts(), nullptr);

  // "-homeless", or no home directory at all: nothing mounted, nothing said.
  sink.messages.clear();
  const char* argv[] = {"game", "-window", "-homeless"};
  quarn::cdl_init(3, argv);
  mounts.mount_home(s("my game"));
  quarn::cdl_init(1, argv);
  {
    qxtest::scoped_env_t no_xdg("XDG_DATA_HOME", std::nullopt), no_home("HOME", std::nullopt);
    mounts.mount_home(s("my game"));
  }
  EXPECT_EQ(mounts.device(std_mount_t::SLOT_HOME), nullptr);
  EXPECT_TRUE(sink.messages.empty());
}

// Running out of memory inside ufs_mount is the only way these mounts fail.
TEST(StdMount, FailedMountsReportTheirDesignedTexts) {
  qxtest::game_folder_t game;
  qxtest::scoped_env_t xdg("XDG_DATA_HOME", game / "xdg");
  game.write("stage/x", "x");
  game.zip("mods/a.qpk", "stage");
  struct case_t {
    const char* text;
    void (*mount)(std_mount_t&);
    unsigned int slot;
  };
  const case_t cases[] = {
      {"Home directory mount failed!", [](std_mount_t& m) { m.mount_home(s("g")); },
       std_mount_t::SLOT_HOME},
      {"Temp directory mount failed!", [](std_mount_t& m) { m.mount_temp(); },
       std_mount_t::SLOT_TEMP},
      {"Module (mods/a.qpk) mount failed!", [](std_mount_t& m) { m.mount_modules(s("mods")); }, 9}};
  for (const case_t& c : cases) {
    bool reported = false;
    for (std::size_t allowed = 0; allowed < 64 && !reported; ++allowed) {
      qxtest::capture_sink_t sink;
      std_mount_t mounts;
      {
        qxtest::allocation_failure_scope_t limit(allowed);
        c.mount(mounts);
      }
      auto errors = sink.errors();
      reported = std::find(errors.begin(), errors.end(), c.text) != errors.end();
      if (reported) {
        EXPECT_EQ(mounts.device(c.slot), nullptr) << c.text;
      }
      mounts.unmount_directories();
    }
    EXPECT_TRUE(reported) << c.text;
  }
}

}  // namespace
