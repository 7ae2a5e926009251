// The standard mounts over a real game folder: each mode's records and
// slots, the winner of every pair of overlapping records (directories,
// zip -0 archives, modules, home, temp), module order and limits, and the
// home and temporary directories from a controlled environment.
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
#include "qxcore/strings/command_line.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"
#include "tests/support/game_folder.h"

namespace {

using quarn::std_mount_t;
using qxtest::read_all;
using qxtest::s;
using row_t = std::tuple<std::string, int, bool, char>;  // root, priority, read-only, kind

std::vector<row_t> mounted() {
  std::vector<row_t> rows;
  auto* list = const_cast<quarn::list_t<quarn::ufs_device_t*>*>(quarn::fs_mount_table()->mounts());
  if (list == nullptr) return rows;
  for (auto* d : *list) {
    char kind = dynamic_cast<quarn::ufs_list_device_t*>(d)  ? 'L'
                : dynamic_cast<quarn::ufs_dir_device_t*>(d) ? 'D'
                : dynamic_cast<quarn::zipfs_device_t*>(d)   ? 'A'
                                                            : 'C';
    rows.emplace_back(d->device_name().c_str(), d->priority(), d->read_only(), kind);
  }
  return rows;
}

std::string canonical(const std::string& path) { return std::filesystem::canonical(path).string(); }

TEST(StdMount, EachModeMountsItsRecordsInOrder) {
  const std::vector<row_t> converting = {{"base_test", 451, true, 'L'}, {"base", 450, true, 'L'},
                                         {"user", 350, true, 'D'},      {"", 200, true, 'C'},
                                         {"rsrc", 150, true, 'D'},      {"base.qpk", 50, true, 'A'},
                                         {".dep", 0, true, 'D'}};
  const std::vector<row_t> writable = {{"base_test", 451, true, 'D'},
                                       {"base", 450, true, 'D'},
                                       {"rsrc", 150, false, 'D'},
                                       {".dep", 0, false, 'D'}};
  const std::vector<row_t> expected[8] = {{{"base.qpk", 50, true, 'A'}},
                                          {{"patch.qpk", 60, true, 'A'}},
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
      const char* roots[] = {"base", "user",  ".dep",  "rsrc",     "base.qpk",
                             "",     nullptr, nullptr, "base_test"};
      for (unsigned int slot = 0; slot < 9; ++slot)
        EXPECT_STREQ(roots[slot] ? mounts.device(slot)->device_name().c_str() : nullptr,
                     roots[slot]);
      // Only the records that ask for it make their directory.
      for (const char* dir : {"user", "rsrc", ".dep"})
        EXPECT_TRUE(std::filesystem::is_directory(dir)) << dir;
      EXPECT_FALSE(std::filesystem::exists("base"));
    }
    mounts.unmount_directories();
    EXPECT_EQ(quarn::fs_mount_table()->mounts(), nullptr);
  }
}

// Every kind of record at once, each with its own priority (the mount table's
// tests show that priorities decide), home and temp under their prefixes.
TEST(StdMount, AllRecordsTogether) {
  qxtest::game_folder_t game;
  qxtest::scoped_env_t xdg("XDG_DATA_HOME", game / "xdg"), tmp("TMPDIR", game / "tmp");
  game.write("tmp/t.txt", "temp");
  game.write("stage/x", "x");
  for (const char* archive : {"mods/a.qpk", "mods/B.qpk", "patch.qpk", "base.qpk"})
    game.zip(archive, "stage");

  qxtest::capture_sink_t sink;
  std_mount_t mounts;
  for (const auto* record :
       {&std_mount_t::BASE_TEST_DIRECTORY, &std_mount_t::BASE_DIRECTORY, &std_mount_t::USER,
        &std_mount_t::RSRC_WRITABLE, &std_mount_t::DEPENDENCIES_WRITABLE})
    EXPECT_TRUE(mounts.mount(*record));
  mounts.mount_directories(quarn::STD_MOUNT_BASE_ARCHIVE);
  // The patch takes the archive slot; the base archive stays mounted, forgotten.
  quarn::ufs_device_t* base_archive = mounts.device(std_mount_t::SLOT_ARCHIVE);
  mounts.mount_directories(quarn::STD_MOUNT_PATCH_ARCHIVE);
  EXPECT_EQ(mounts.mount_modules(s("mods")), 2u);
  mounts.mount_home(s("g"));
  mounts.mount_temp();
  EXPECT_EQ(sink.errors(), std::vector<std::string>{});
  const std::string temp = canonical(game / "tmp") + "/";
  EXPECT_EQ(sink.texts(quarn::message_t::TYPE_MESSAGE).back(),
            "Home directory: '" + (game / "xdg/g") + "'");
  EXPECT_EQ(sink.texts(quarn::message_t::TYPE_VERBOSE),
            std::vector<std::string>{"Temp directory: '" + temp + "'"});
  auto rows = mounted();
  std::sort(rows.begin(), rows.end());
  std::vector<row_t> expected = {{game / "xdg/g", 650, false, 'D'},
                                 {"base_test", 451, true, 'D'},
                                 {"base", 450, true, 'D'},
                                 {"user", 350, true, 'D'},
                                 {"rsrc", 150, false, 'D'},
                                 {"mods/B.qpk", 61, true, 'A'},
                                 {"mods/a.qpk", 60, true, 'A'},
                                 {"patch.qpk", 60, true, 'A'},
                                 {"base.qpk", 50, true, 'A'},
                                 {temp, 1, false, 'D'},
                                 {".dep", 0, false, 'D'}};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(read_all("/temp/t.txt"), "temp");
  delete quarn::fs_create(s("/home/saves/one.txt"), quarn::FS_TYPE_VIRTUAL);
  EXPECT_TRUE(std::filesystem::exists(game / "xdg/g/saves/one.txt"));

  mounts.unmount_temp();
  EXPECT_EQ(mounts.device(std_mount_t::SLOT_TEMP), nullptr);
  EXPECT_EQ(read_all("/temp/t.txt"), "<missing>");
  mounts.unmount_directories();
  EXPECT_EQ(mounted(), (std::vector<row_t>{{"base.qpk", 50, true, 'A'}}));
  quarn::ufs_unmount(base_archive);
}

TEST(StdMount, ModulesMountInCaseInsensitiveOrderUpToEleven) {
  qxtest::game_folder_t game;
  game.write("stage/x", "x");
  game.zip("one.qpk", "stage");
  std::filesystem::create_directories(game / "mods/d.qpk");
  std::filesystem::create_directories(game / "many");
  for (const char* name : {"mods/a.qpk", "mods/B.qpk", "mods/c.QPK"})
    std::filesystem::copy("one.qpk", name);
  for (int k = 10; k < 22; ++k)
    std::filesystem::copy("one.qpk", "many/m" + std::to_string(k) + ".qpk");

  qxtest::capture_sink_t sink;
  std_mount_t mounts;
  EXPECT_EQ(mounts.mount_modules(s("no_such_dir")), 0u);
  EXPECT_EQ(mounts.mount_modules(s("mods")), 2u);
  // Nine slots are left: m10 ... m18 take them, m19 is refused and ends the call.
  EXPECT_EQ(mounts.mount_modules(s("many")), 9u);
  EXPECT_EQ(mounts.mount_modules(s("mods")), 0u);
  EXPECT_EQ(sink.errors(), std::vector<std::string>(2, "Too many modules to mount!"));
  const std::tuple<unsigned int, const char*, int> expected[] = {{9, "mods/a.qpk", 60},
                                                                 {10, "mods/B.qpk", 61},
                                                                 {11, "many/m10.qpk", 62},
                                                                 {19, "many/m18.qpk", 70}};
  for (auto [slot, root, priority] : expected) {
    EXPECT_STREQ(mounts.device(slot)->device_name().c_str(), root);
    EXPECT_EQ(mounts.device(slot)->priority(), priority);
  }
  EXPECT_EQ(mounts.module_count(), 11u);
  mounts.unmount_directories();
}

TEST(StdMount, HomeAndTempComeFromTheEnvironment) {
  qxtest::game_folder_t game;
  std::filesystem::create_directories(game / "real_tmp");
  std::filesystem::create_directory_symlink(game / "real_tmp", game / "tmp_link");
  using env = std::optional<std::string>;
  const std::string tmp = canonical("/tmp") + "/",
                    too_long = "/" + std::string(quarn::USR_MAX_PATH, 'x');
  const std::tuple<env, env, env, const char*, std::string> cases[] = {
      // XDG_DATA_HOME, HOME, TMPDIR, home directory (null: none), temp directory ("": none)
      {game / "xdg", game / "h", game / "tmp_link", "xdg", canonical(game / "real_tmp") + "/"},
      {"", game / "h", std::nullopt, "h/.local/share", tmp},
      {std::nullopt, game / "h", "", "h/.local/share", tmp},
      {std::nullopt, std::nullopt, game / "missing", nullptr, ""},
      {too_long, game / "h", too_long, nullptr, ""}};
  for (const auto& [xdg_value, home_value, tmp_value, homedir, tempdir] : cases) {
    qxtest::scoped_env_t xdg("XDG_DATA_HOME", xdg_value), home("HOME", home_value),
        tmpdir("TMPDIR", tmp_value);
    quarn::string_dyn_t<> home_out, temp_out;
    EXPECT_EQ(quarn::usr_get_homedir(&home_out), homedir != nullptr);
    EXPECT_EQ(home_out.c_str(), homedir ? game / homedir : "");
    EXPECT_TRUE(!homedir || std::filesystem::is_directory(home_out.c_str()));
    EXPECT_EQ(quarn::usr_get_tempdir(&temp_out), !tempdir.empty());
    EXPECT_EQ(temp_out.c_str(), tempdir);

    // Without a home directory, or with "-homeless", nothing is mounted or said.
    const char* argv[] = {"game", "-window", "-homeless"};
    quarn::cdl_init(homedir ? 3 : 1, argv);
    qxtest::capture_sink_t sink;
    std_mount_t mounts;
    mounts.mount_home(s("g"));
    EXPECT_EQ(mounts.device(std_mount_t::SLOT_HOME), nullptr);
    EXPECT_TRUE(sink.messages.empty());
    quarn::cdl_init(1, argv);
  }
}

// Running out of memory inside ufs_mount is the only way these mounts fail.
TEST(StdMount, FailedMountsReportTheirErrors) {
  qxtest::game_folder_t game;
  qxtest::scoped_env_t xdg("XDG_DATA_HOME", game / "xdg");
  game.write("stage/x", "x");
  game.zip("mods/a.qpk", "stage");
  const std::pair<const char*, void (*)(std_mount_t&)> cases[] = {
      {"Home directory mount failed!", [](std_mount_t& m) { m.mount_home(s("g")); }},
      {"Temp directory mount failed!", [](std_mount_t& m) { m.mount_temp(); }},
      {"Module (mods/a.qpk) mount failed!", [](std_mount_t& m) { m.mount_modules(s("mods")); }}};
  for (auto [text, mount] : cases) {
    bool reported = false;
    for (std::size_t allowed = 0; allowed < 64 && !reported; ++allowed) {
      qxtest::capture_sink_t sink;
      std_mount_t mounts;
      {
        qxtest::allocation_failure_scope_t limit(allowed);
        mount(mounts);
      }
      auto errors = sink.errors();
      reported = std::find(errors.begin(), errors.end(), text) != errors.end();
      EXPECT_TRUE(!reported || (mounted().empty() && mounts.module_count() == 0)) << text;
      mounts.unmount_directories();
    }
    EXPECT_TRUE(reported) << text;
  }
}

}  // namespace
