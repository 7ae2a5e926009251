// Dependency files written byte for byte and read back, hostile dependency
// files, and the out-of-date rules over a real game folder with real
// modification times.
#include "qxcore/resources/res_deps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qxcore/fs/fs.h"
#include "qxcore/fs/std_mount.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/capture_sink.h"
#include "tests/support/game_folder.h"

namespace {

using qxtest::s;

std::vector<std::string> paths_of(const quarn::res_deps_t& deps) {
  std::vector<std::string> out;
  for (unsigned int i = 0; i < deps.size(); ++i) out.push_back(deps.get(i).c_str());
  return out;
}

TEST(ResDeps, WritesCrLfLinesAndReadsTheFirstWordBack) {
  qxtest::game_folder_t game;
  qxtest::capture_sink_t sink;
  quarn::std_mount_t mounts;
  mounts.mount(quarn::std_mount_t::DEPENDENCIES_WRITABLE);
  quarn::res_deps_t deps;
  deps.add_primary_source(s("/src/a.tga"));
  deps.add(s("/src/b.txt"));
  deps.add(s("/src/a b.tga"));
  ASSERT_TRUE(deps.write(s("/def/a.dat")));
  EXPECT_EQ(game.read(".dep/def/a.dat.dep"), "/src/a.tga\r\n/src/b.txt\r\n/src/a b.tga\r\n");

  quarn::res_deps_t back;
  EXPECT_TRUE(back.read(s("/def/a.dat")));
  EXPECT_EQ(paths_of(back), (std::vector<std::string>{"/src/a.tga", "/src/b.txt", "/src/a"}));
  EXPECT_TRUE(back.read(s("/def/a.dat")));  // appends: the list is not cleared
  EXPECT_EQ(back.size(), 6u);

  EXPECT_TRUE(quarn::res_deps_t::remove_file(s("/def/a.dat")));
  EXPECT_FALSE(quarn::res_deps_t::remove_file(s("/def/a.dat")));
  EXPECT_FALSE(back.read(s("/def/a.dat")));
  EXPECT_EQ(sink.errors(), std::vector<std::string>{});

  // Out of order: reported, appended all the same.
  quarn::res_deps_t wrong;
  wrong.add(s("x"));
  wrong.add_primary_source(s("y"));
  EXPECT_EQ(paths_of(wrong), (std::vector<std::string>{"x", "y"}));
  mounts.unmount_directories();
  // No writable dependency device: a read-only one refuses the file.
  mounts.mount(quarn::std_mount_t::DEPENDENCIES_READ_ONLY);
  EXPECT_FALSE(wrong.write(s("/def/a.dat")));
  mounts.unmount_directories();
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{
                "Attempt to set dependency without setting the primary source first.",
                "Attempt to set multiple primary sources.",
                "Error creating dependency file '/def/a.dat.dep'.",
            }));
}

TEST(ResDeps, HostileFilesReadAsFarAsTheyAreWellFormed) {
  const std::string long_path = "/" + std::string(200000, 'p');
  struct case_t {
    std::string bytes;
    bool ok;
    std::vector<std::string> paths;
  };
  const case_t cases[] = {
      {"", true, {}},
      {"\r\n\n\r", true, {}},
      {"/a\r\n/b", true, {"/a", "/b"}},  // truncated: no final line end
      {"   /a   extra words\n\n/b\r", true, {"/a", "/b"}},
      {long_path + "\r\n/b\r\n", true, {long_path, "/b"}},
      {"/a\r\n   \r\n/b\r\n", false, {"/a"}},                       // a line of blanks has no path
      {"/a\r\n\t\r\n", true, {"/a", "\t"}},                         // only blanks separate words
      {std::string("/a\r\n\0\x01\xff/b\r\n/c", 13), true, {"/a"}},  // a NUL ends the text
      {"\x80\xfe\x01 junk\n", true, {"\x80\xfe\x01"}},
  };
  qxtest::game_folder_t game;
  quarn::std_mount_t mounts;
  mounts.mount(quarn::std_mount_t::DEPENDENCIES_READ_ONLY);
  for (const case_t& c : cases) {
    game.write(".dep/r.dep", c.bytes);
    qxtest::capture_sink_t sink;
    quarn::res_deps_t deps;
    EXPECT_EQ(deps.read(s("/r")), c.ok) << c.bytes.substr(0, 40);
    EXPECT_EQ(paths_of(deps), c.paths) << c.bytes.substr(0, 40);
    EXPECT_EQ(sink.errors(),
              c.ok ? std::vector<std::string>{}
                   : std::vector<std::string>{"Error processing dependency file '/r.dep'."});
  }
  mounts.unmount_directories();
}

TEST(ResDeps, OutOfDateFollowsEveryRule) {
  qxtest::game_folder_t game;
  quarn::std_mount_t mounts;
  mounts.mount_directories(quarn::STD_MOUNT_WRITABLE_RESOURCES);  // base 450, rsrc 150, .dep 0
  const long t = 1700000000;
  game.write_at("base/src/a.tga", "source a", t);
  game.write_at("base/def/a.dat", "a source, not a converted resource", t);
  struct step_t {
    const char* what;
    void (*change)(const qxtest::game_folder_t&, long);
    bool out_of_date;
    const char* reason;
  };
  const step_t steps[] = {
      {"missing among 0 ... 199", [](auto&, long) {}, true, "The resource is not converted."},
      {"no list", [](auto& g, long t) { g.write_at("rsrc/def/a.dat", "converted", t); }, true,
       "Failed to read dependency list."},
      {"empty list", [](auto& g, long) { g.write(".dep/def/a.dat.dep", ""); }, false, ""},
      {"missing source",
       [](auto& g, long) { g.write(".dep/def/a.dat.dep", "/src/a.tga\r\n/src/b.txt\r\n"); }, true,
       "Dependency '/src/b.txt' does not exist."},
      {"same time", [](auto& g, long t) { g.write_at("base/src/b.txt", "b", t); }, false, ""},
      {"one second older", [](auto& g, long t) { g.set_time("base/src/b.txt", t - 1); }, false, ""},
      {"one second newer", [](auto& g, long t) { g.set_time("base/src/a.tga", t + 1); }, true,
       "Dependency '/src/a.tga' is newer."},
      {"the resource catches up", [](auto& g, long t) { g.set_time("rsrc/def/a.dat", t + 1); },
       false, ""},
      {"sources are looked for in 401 ... 499 only",
       [](auto& g, long) {
         g.write("rsrc/only/r.txt", "converted, not a source");
         g.write(".dep/def/a.dat.dep", "/only/r.txt\r\n");
       },
       true, "Dependency '/only/r.txt' does not exist."},
  };
  for (const step_t& step : steps) {
    step.change(game, t);
    quarn::string_dyn_t<> reason("stale text");
    EXPECT_EQ(quarn::resource_is_out_of_date(s("/def/a.dat"), &reason), step.out_of_date)
        << step.what;
    EXPECT_STREQ(reason.c_str(), step.reason) << step.what;
    EXPECT_EQ(quarn::resource_is_out_of_date(s("/def/a.dat"), nullptr), step.out_of_date)
        << step.what;
  }
  mounts.unmount_directories();
}

}  // namespace
