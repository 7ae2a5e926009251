// Wildcard enumeration over a real directory made for the test, checked
// against fnmatch over a std::filesystem listing; buffer limits, and the
// record's life on the scalar hooks.
#include "qxcore/strings/wildcard.h"

#include <fnmatch.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/counting_hooks.h"
#include "tests/support/temp_dir.h"

namespace {

using names_t = std::vector<std::string>;

// A fresh directory with files, a subdirectory and names with dots and brackets.
class WildcardTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.txt", "b.c.txt", "readme", ".hidden", "x1.tga", "x22.tga",
                             "a[1].txt", "a1.txt", "back\\slash", "sub/inner.txt"})
      dir_.write(name, name);
  }
  std::string in_root(const std::string& pattern) const { return dir_ / pattern; }
  qxtest::temp_dir_t dir_;
};

names_t sorted(names_t names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Every name the enumeration returns, sorted.
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
  return sorted(names);
}

// Patterns relative to the test directory. Directories come back too, "."
// and ".." among them, case matters, and "" ("<dir>/") has no last component
// to match. Where fnmatch's rules are the enumeration's (brackets are plain
// characters to it), it gives the expected names from an independent listing.
TEST_F(WildcardTest, MatchesTheLastComponent) {
  const std::tuple<const char*, names_t> cases[] = {
      {"", {}}, {"sub/*", {".", "..", "inner.txt"}}, {"missing/*", {}}, {"a[1].txt", {"a[1].txt"}}};
  for (const auto& [pattern, expected] : cases)
    EXPECT_EQ(enumerate(in_root(pattern)), sorted(expected)) << pattern;

  // std::filesystem leaves out "." and ".."; the host's enumeration has them.
  names_t all = {".", ".."};
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    all.push_back(entry.path().filename().string());
  for (const char* pattern :
       {"*", "*.txt", "?.*", "x??.tga", ".*", "*.none", "back\\slash", "README", "sub"}) {
    names_t expected;
    for (const auto& name : all)
      if (fnmatch(pattern, name.c_str(), FNM_NOESCAPE) == 0) expected.push_back(name);
    EXPECT_EQ(enumerate(in_root(pattern)), sorted(expected)) << pattern;
  }
}

TEST_F(WildcardTest, PatternWithoutDirectoryUsesTheCurrentOne) {
  auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  names_t names = enumerate("*.tga");
  std::filesystem::current_path(previous);
  EXPECT_EQ(names, (names_t{"x1.tga", "x22.tga"}));
}

// The name cut to the buffer and always terminated; nothing is written past
// the buffer, so a zero size writes nothing at all.
TEST_F(WildcardTest, NamesAreCutToTheBufferAndAlwaysTerminated) {
  const std::tuple<unsigned int, const char*> cases[] = {
      {0, ""}, {1, ""}, {4, "rea"}, {7, "readme"}};
  for (const auto& [size, expected] : cases) {
    quarn::v_wildcard_t* w = nullptr;
    quarn::v_wildcard_start(in_root("readme").c_str(), &w);
    char buf[17];
    std::memset(buf, '#', sizeof buf);
    EXPECT_TRUE(quarn::v_wildcard_file(buf, size, &w)) << size;
    EXPECT_EQ(size ? buf : "", std::string(expected)) << size;
    EXPECT_EQ(buf[size], '#') << size;
    EXPECT_FALSE(quarn::v_wildcard_file(buf, sizeof buf, &w));  // only one match
    quarn::v_wildcard_end(&w);
  }
}

TEST_F(WildcardTest, RecordFromTheScalarHookEvenForBadPatterns) {
  char buf[8] = "keep";
  quarn::v_wildcard_t* w = nullptr;
  auto before = qxtest::allocation_stats().scalar_allocations;
  quarn::v_wildcard_start(in_root("missing/*").c_str(), &w);
  EXPECT_TRUE(qxtest::is_scalar_block(w));
  EXPECT_EQ(qxtest::allocation_stats().scalar_allocations, before + 1);
  quarn::v_wildcard_end(&w);  // the leak check sees the record go
  EXPECT_EQ(w, nullptr);
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
