// The converting device in a real game folder: the real tools/resconvert
// converting on first use, not again while up to date, and again after a
// source or an included file changes; and test converters that fail, write
// nothing, cannot start or are missing. Conversions are counted through the
// notification callback.
#include "qxcore/resources/cvfs_device.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "qxcore/fs/fs.h"
#include "qxcore/fs/std_mount.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/capture_sink.h"
#include "tests/support/game_folder.h"

namespace {

using qxtest::s;

class recorder_t : public quarn::ufs_cvfs_callback_t {
 public:
  void on_convert(const quarn::string& path, bool starting) override {
    calls.emplace_back(path.c_str(), starting);
  }
  std::vector<std::pair<std::string, bool>> calls;
};

// A game folder mounted in the converting mode, with the recorder installed.
struct converting_folder_t : qxtest::game_folder_t {
  converting_folder_t() {
    std::filesystem::create_directories(*this / "tools");
    previous = quarn::ufs_cvfs_device_t::set_notification(&recorder);
  }
  ~converting_folder_t() {
    mounts.unmount_directories();
    quarn::ufs_cvfs_device_t::set_notification(previous);
  }
  void converter_script(const std::string& body) const {
    write("tools/resconvert", "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(*this / "tools/resconvert", std::filesystem::perms::owner_all);
  }
  // Opens through the whole path space; the bytes, or "<missing>". The open
  // must have caused `conversions` conversions, each notifying its start and end.
  std::string open(const std::string& path, std::size_t conversions) {
    recorder.calls.clear();
    std::string bytes = qxtest::read_all(path);
    EXPECT_EQ(recorder.calls.size(), 2 * conversions) << path;
    for (std::size_t i = 0; i < recorder.calls.size(); ++i)
      EXPECT_EQ(recorder.calls[i], std::make_pair(path, i % 2 == 0)) << i;
    return bytes;
  }

  recorder_t recorder;
  quarn::ufs_cvfs_callback_t* previous;
  quarn::std_mount_t mounts;
};

// A 3 x 2 uncompressed 24-bit TGA, bottom row first, and what the converter
// must make of it: the same rows as 32-bit B, G, R, A with A = 255.
std::pair<std::string, std::string> tga_and_conversion() {
  std::string header("\0\0\2\0\0\0\0\0\0\0\0\0\3\0\2\0\x18\0", 18);
  std::string pixels, converted;
  for (int i = 0; i < 6; ++i) {
    std::string bgr = {static_cast<char>(10 * i), static_cast<char>(100 + i),
                       static_cast<char>(200 + i)};
    pixels += bgr;
    converted += bgr + '\xff';
  }
  return {header + pixels, converted};
}

TEST(ConvertingDevice, TheRealConverterRunsOnlyWhenASourceChanged) {
  converting_folder_t game;
  std::filesystem::create_symlink(QXTEST_RESCONVERT, game / "tools/resconvert");
  const long old = game.time_of(".") - 1000;
  auto [tga, converted_pixels] = tga_and_conversion();
  game.write_at("base/tex/a.tga", tga, old);
  game.write_at("base/doc/a.txt", "first\r\ninclude /doc/b.inc\r\n\r\nlast", old);
  game.write_at("base/doc/b.inc", "middle 1\nmiddle 2\n", old);
  const std::string odd = "/doc/it's a $HOME; \"file\".txt";
  game.write_at("base" + odd, "odd name\n", old);
  game.mounts.mount_directories(quarn::STD_MOUNT_CONVERTING);
  qxtest::capture_sink_t sink;

  std::string image = game.open("/tex/a.tga", 1);
  ASSERT_EQ(image.size(), 18u + 24u);
  EXPECT_EQ(image.substr(18), converted_pixels);
  EXPECT_EQ(game.open("/tex/a.tga", 0), image);
  EXPECT_TRUE(quarn::ufs_file_exists(s("/tex/a.tga")));
  EXPECT_TRUE(game.recorder.calls.empty());
  game.set_time("base/tex/a.tga", game.time_of("rsrc/tex/a.tga") + 1);  // saved again
  EXPECT_EQ(game.open("/tex/a.tga", 1), image);
  game.open("/tex/a.tga", 0);  // stamped no older than its source

  const std::string text = "first\r\nmiddle 1\r\nmiddle 2\r\nlast\r\n";
  EXPECT_EQ(game.open("/doc/a.txt", 1), text);
  EXPECT_EQ(game.read(".dep/doc/a.txt.dep"), "/doc/a.txt\r\n/doc/b.inc\r\n");
  game.set_time("base/doc/b.inc", game.time_of("rsrc/doc/a.txt") + 1);
  EXPECT_EQ(game.open("/doc/a.txt", 1), text);
  EXPECT_EQ(game.open(odd, 1), "odd name\r\n");
  EXPECT_EQ(sink.errors(), std::vector<std::string>{});

  // A source gone: the converter fails, and what it left before is served.
  std::filesystem::remove("base/doc/b.inc");
  EXPECT_EQ(game.open("/doc/a.txt", 1), text);
  EXPECT_EQ(sink.errors(),
            std::vector<std::string>{"Failed to convert the file '/doc/a.txt' (error 1)."});
}

TEST(ConvertingDevice, FailingSilentAndMissingConverters) {
  struct case_t {
    const char* script;  // null: no tools/resconvert at all
    std::string error;
  };
  const case_t cases[] = {
      {"exit 3", "Failed to convert the file '/def/a b.dat' (error 3)."},
      {"printf '%s|' \"$#\" \"$@\" >> args.log", ""},
      {"kill -9 $$", "Failed to convert the file '/def/a b.dat' (error -1)."},
      {nullptr, "Failed to convert the file '/def/a b.dat' (error -1)."},
  };
  for (const case_t& c : cases) {
    converting_folder_t game;
    if (c.script != nullptr) game.converter_script(c.script);
    game.mounts.mount_directories(quarn::STD_MOUNT_CONVERTING);
    qxtest::capture_sink_t sink;
    // Nothing was converted, so each access tries again.
    EXPECT_EQ(game.open("/def/a b.dat", 1), "<missing>") << c.error;
    EXPECT_EQ(game.open("/def/a b.dat", 1), "<missing>") << c.error;
    EXPECT_EQ(sink.errors(),
              c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>(2, c.error));
    if (c.error.empty()) {
      EXPECT_EQ(game.read("args.log"), "1|/def/a b.dat|1|/def/a b.dat|");
    }
  }
}

TEST(ConvertingDevice, UpToDateResourcesAreServedWithoutRunningAnything) {
  converting_folder_t game;
  game.converter_script("exit 3");
  game.write("rsrc/def/a.dat", "converted");
  game.write(".dep/def/a.dat.dep", "");
  game.mounts.mount_directories(quarn::STD_MOUNT_CONVERTING);
  qxtest::capture_sink_t sink;
  EXPECT_EQ(game.open("/def/a.dat", 0), "converted");
  // The device itself never serves, lists or changes anything.
  quarn::ufs_device_t* device = game.mounts.device(quarn::std_mount_t::SLOT_CONVERTING);
  EXPECT_TRUE(!device->open(s("/def/a.dat")) && !device->stat(s("/def/a.dat"), nullptr) &&
              !device->create(s("/n")) && !device->append(s("/n")) &&
              !device->remove(s("/def/a.dat")) && !device->mkdir(s("/x")) &&
              !device->rmdir(s("/def")) && !device->read_dir(s("/def"), true));
  EXPECT_EQ(sink.errors(), std::vector<std::string>{});

  recorder_t other;
  EXPECT_EQ(quarn::ufs_cvfs_device_t::set_notification(&other), &game.recorder);
  EXPECT_EQ(quarn::ufs_cvfs_device_t::set_notification(nullptr), &other);
  EXPECT_EQ(quarn::ufs_cvfs_device_t::set_notification(&game.recorder), nullptr);
}

}  // namespace
