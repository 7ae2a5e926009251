// The substance table loaded from real files through the virtual file
// system: pairs in every number form, bad indices, hostile files, the
// request count and the host's data pointers.
#include "qxcore/resources/substances.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "qxcore/fs/fs.h"
#include "tests/support/capture_sink.h"
#include "tests/support/game_folder.h"

namespace {

using quarn::string_alias_t;

string_alias_t s(const std::string& text) { return string_alias_t(text.c_str()); }

std::map<unsigned int, std::string> table() {
  std::map<unsigned int, std::string> out;
  for (unsigned int i = 0; i < 256; ++i)
    if (!quarn::substance_idx2name(i).empty()) out[i] = quarn::substance_idx2name(i).c_str();
  return out;
}

// A game folder whose "data" directory is mounted at the root.
struct substance_folder_t : qxtest::game_folder_t {
  substance_folder_t() { std::filesystem::create_directories(*this / "data"); }
  ~substance_folder_t() { quarn::ufs_unmount(device); }
  quarn::ufs_device_t* device =
      quarn::ufs_mount(quarn::FS_DEVICE_DIRECTORY, s("data"), s(""), true, 10);
};

TEST(Substances, PairsInEveryNumberFormAndBadIndices) {
  substance_folder_t game;
  game.write(
      "data/def/s.txt",
      "0: stone\r\n1: wood\r\n0x10: ice\n010:oct\t011 : tab\n300: lava\n-1: x\n4294967296:huge\n"
      "2:glass 3:sand 1: oak\nabc: letters\n  :::7");
  quarn::set_substance_file(s("/def/s.txt"));
  qxtest::capture_sink_t sink;
  quarn::substance_db_request();
  // "abc" reads as 0; a later pair replaces an earlier one; the lone "7" is
  // dropped; 4294967296 saturates as a 32-bit long would, not wrapping to 0.
  const std::map<unsigned int, std::string> expected = {
      {0, "letters"}, {1, "oak"}, {2, "glass"}, {3, "sand"}, {8, "oct"}, {9, "tab"}, {16, "ice"}};
  EXPECT_EQ(table(), expected);
  EXPECT_EQ(quarn::get_used_substance_count(), 7u);
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{"invalid index for substance lava in file /def/s.txt",
                                      "invalid index for substance x in file /def/s.txt",
                                      "invalid index for substance huge in file /def/s.txt"}));
  for (const auto& [index, name] : expected)
    EXPECT_EQ(quarn::substance_name2idx(s(name)), index) << name;
  for (const char* name : {"stone", "unknown", "Oak"})
    EXPECT_EQ(quarn::substance_name2idx(s(name)), quarn::SUBSTANCE_NOT_FOUND) << name;
  EXPECT_EQ(quarn::substance_name2idx(s("")), 4u);  // the first unused slot
  EXPECT_STREQ(quarn::substance_idx2name(256).c_str(), "");
  quarn::substance_db_release();
  EXPECT_EQ(quarn::get_used_substance_count(), 0u);
}

TEST(Substances, RequestsCountAndEachLoadClearsTheData) {
  substance_folder_t game;
  qxtest::capture_sink_t sink;
  const std::string long_name = "/" + std::string(300, 'n');
  for (const std::string& unreadable : {std::string(""), long_name}) {
    quarn::set_substance_file(s(unreadable));
    quarn::substance_db_request();
    quarn::substance_db_release();
  }
  quarn::set_substance_file(s("/s.txt"));
  quarn::substance_db_request();
  game.write("data/s.txt", "0: stone\r\n1: wood\r\n");
  quarn::substance_db_request();  // counted as loaded although the file was missing: no retry
  EXPECT_EQ(quarn::get_used_substance_count(), 0u);
  quarn::substance_db_release();
  quarn::substance_db_release();
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{"[fs] fs_open called with invalid path \"\"",
                                      "can't read substance file ",
                                      "can't read substance file " + long_name.substr(0, 255),
                                      "can't read substance file /s.txt"}));
  int data = 0;
  quarn::substance_db_request();
  quarn::substance_set_data(0, &data);
  quarn::substance_set_data(256, &data);
  EXPECT_EQ(quarn::substance_get_data(256), nullptr);
  quarn::substance_db_request();
  quarn::substance_db_release();
  EXPECT_EQ(quarn::substance_get_data(0), &data);  // one request left: still loaded
  quarn::substance_db_release();
  quarn::substance_db_release();  // one too many: ignored
  EXPECT_EQ(quarn::get_used_substance_count(), 0u);
  quarn::substance_db_request();
  EXPECT_STREQ(quarn::substance_idx2name(1).c_str(), "wood");
  EXPECT_EQ(quarn::substance_get_data(0), nullptr);
  quarn::substance_db_release();

  // Hostile files: any bytes load without harm; the known ones as expected.
  std::mt19937 random(14);
  std::string junk(100000, '\0');
  for (char& c : junk) c = static_cast<char>(random() % 7 == 0 ? ':' : random());
  const std::pair<std::string, int> cases[] = {{junk, -1},
                                               {std::string(70000, ' ') + "5", 0},
                                               {":\n\t ", 0},
                                               {"5:" + std::string(70000, 'n'), 1}};
  for (const auto& [bytes, count] : cases) {
    game.write("data/s.txt", bytes);
    quarn::substance_db_request();
    EXPECT_TRUE(count < 0 || quarn::get_used_substance_count() == static_cast<unsigned int>(count));
    EXPECT_TRUE(count != 1 || quarn::substance_idx2name(5).length() == 70000u);
    quarn::substance_db_release();
  }
}

}  // namespace
