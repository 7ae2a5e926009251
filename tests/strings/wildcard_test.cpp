// Wildcard enumeration over a real directory made for the test: hand-worked
// expected sets, a cross-check against a listing by std::filesystem, buffer
// limits, and the record's life on the scalar hooks.
#include "qxcore/strings/wildcard.h"

#include <fnmatch.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/counting_hooks.h"

namespace {

namespace fs = std::filesystem;
using names_t = std::vector<std::string>;

// A fresh directory with files, a subdirectory and names with dots and brackets.
class WildcardTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qxcore_wildcard_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    for (const char* name : {"a.txt", "b.c.txt", "readme", ".hidden", "x1.tga", "x22.tga",
                             "a[1].txt", "a1.txt", "back\\slash"})
      std::ofstream(root_ / name) << name;
    fs::create_directory(root_ / "sub");
    std::ofstream(root_ / "sub" / "inner.txt") << "inner";
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string in_root(const char* pattern) const { return (root_ / pattern).string(); }

  fs::path root_;
};

// Every name the enumeration returns, sorted; fails the test on a name that
// does not fit a 256-byte buffer.
names_t enumerate(const std::string& pattern) {
  quarn::v_wildcard_t* w = nullptr;
  quarn::v_wildcard_start(pattern.c_str(), &w);
  EXPECT_NE(w, nullptr);
  names_t names;
  char buf[256];
  while (quarn::v_wildcard_file(buf, sizeof buf, &w) && names.size() < 1000) names.push_back(buf);
  EXPECT_FALSE(quarn::v_wildcard_file(buf, sizeof buf, &w));  // stays finished
  quarn::v_wildcard_end(&w);
  EXPECT_EQ(w, nullptr);
  std::sort(names.begin(), names.end());
  return names;
}

names_t sorted(names_t names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(WildcardTest, MatchesTheLastComponent) {
  struct {
    const char* pattern;  // relative to the test directory
    names_t expected;
  } cases[] = {
      {"*.txt", {"a.txt", "b.c.txt", "a[1].txt", "a1.txt"}},
      {"x?.tga", {"x1.tga"}},
      {"x??.tga", {"x22.tga"}},
      {"*.c.*", {"b.c.txt"}},
      {"readme", {"readme"}},
      {"sub", {"sub"}},            // directories come back too
      {"a[1].txt", {"a[1].txt"}},  // brackets are plain characters
      {"back\\slash", {"back\\slash"}},
      {".*", {".", "..", ".hidden"}},
      {"*",
       {".", "..", ".hidden", "a.txt", "b.c.txt", "readme", "x1.tga", "x22.tga", "a[1].txt",
        "a1.txt", "back\\slash", "sub"}},
      {"sub/*", {".", "..", "inner.txt"}},
      {"*.none", {}},
      {"README", {}},  // case-sensitive
      {"missing/*", {}},
      {"", {}},  // "<dir>/": no last component to match
  };
  for (const auto& c : cases)
    EXPECT_EQ(enumerate(in_root(c.pattern)), sorted(c.expected)) << c.pattern;
}

TEST_F(WildcardTest, AgreesWithAnIndependentListing) {
  // std::filesystem leaves out "." and ".."; the host's enumeration has them.
  names_t all = {".", ".."};
  for (const auto& entry : fs::directory_iterator(root_))
    all.push_back(entry.path().filename().string());
  for (const char* pattern : {"*", "*.txt", "?.*", "*1*", "x*", "*t", "?"}) {
    names_t expected;
    for (const auto& name : all)
      if (fnmatch(pattern, name.c_str(), FNM_NOESCAPE) == 0) expected.push_back(name);
    EXPECT_EQ(enumerate(in_root(pattern)), sorted(expected)) << pattern;
  }
}

TEST_F(WildcardTest, PatternWithoutDirectoryUsesTheCurrentOne) {
  fs::path previous = fs::current_path();
  fs::current_path(root_);
  names_t names = enumerate("*.tga");
  fs::current_path(previous);
  EXPECT_EQ(names, (names_t{"x1.tga", "x22.tga"}));
}

TEST_F(WildcardTest, NamesAreCutToTheBufferAndAlwaysTerminated) {
  struct {
    unsigned int size;
    const char* expected;  // null: the buffer stays untouched
  } cases[] = {{0, nullptr}, {1, ""}, {4, "rea"}, {6, "readm"}, {7, "readme"}, {16, "readme"}};
  for (const auto& c : cases) {
    quarn::v_wildcard_t* w = nullptr;
    quarn::v_wildcard_start(in_root("readme").c_str(), &w);
    char buf[16];
    std::memset(buf, '#', sizeof buf);
    EXPECT_TRUE(quarn::v_wildcard_file(buf, c.size, &w)) << c.size;
    if (c.expected == nullptr) {
      EXPECT_EQ(buf[0], '#');
    } else {
      EXPECT_STREQ(buf, c.expected);
      if (c.size < sizeof buf) {
        EXPECT_EQ(buf[c.size], '#');  // nothing past the terminator
      }
    }
    EXPECT_FALSE(quarn::v_wildcard_file(buf, sizeof buf, &w));  // only one match
    quarn::v_wildcard_end(&w);
  }
}

TEST_F(WildcardTest, RecordFromTheScalarHookEvenForBadPatterns) {
  char buf[8] = "keep";
  quarn::v_wildcard_t* w = nullptr;
  for (const std::string& pattern : {in_root("*.txt"), in_root("*.none"), in_root("missing/*")}) {
    qxtest::allocation_stats_t before = qxtest::allocation_stats();
    quarn::v_wildcard_start(pattern.c_str(), &w);
    ASSERT_TRUE(qxtest::is_live(w)) << pattern;
    EXPECT_TRUE(qxtest::is_scalar_block(w));
    EXPECT_EQ(qxtest::allocation_stats().scalar_allocations, before.scalar_allocations + 1);
    quarn::v_wildcard_end(&w);
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(qxtest::allocation_stats().scalar_releases, before.scalar_releases + 1);
  }
  quarn::v_wildcard_start(nullptr, &w);  // a record with nothing waiting
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(quarn::v_wildcard_file(buf, sizeof buf, &w));
  quarn::v_wildcard_end(&w);
  EXPECT_STREQ(buf, "keep");

  quarn::v_wildcard_start(in_root("*").c_str(), nullptr);  // nowhere to put a record
  EXPECT_FALSE(quarn::v_wildcard_file(buf, sizeof buf, nullptr));
  EXPECT_FALSE(quarn::v_wildcard_file(buf, sizeof buf, &w));  // w is null after end
  quarn::v_wildcard_end(&w);
  quarn::v_wildcard_end(nullptr);

  {
    qxtest::allocation_failure_scope_t none(0);
    quarn::v_wildcard_start(in_root("*").c_str(), &w);
    EXPECT_EQ(w, nullptr);
  }
  {
    qxtest::allocation_failure_scope_t record_only(1);  // the pattern's buffer is refused
    quarn::v_wildcard_start(in_root("*").c_str(), &w);
  }
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(quarn::v_wildcard_file(buf, sizeof buf, &w));
  quarn::v_wildcard_end(&w);
}

}  // namespace
