// The command-line table: option groups, the 128-argument and 2048-byte
// limits (counted out by hand below), null and refused arguments, re-init.
#include "qxcore/strings/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using quarn::cdl_argc;
using quarn::cdl_argv;
using quarn::CDL_NOT_FOUND;
using quarn::cdl_param;

void init(const std::vector<const char*>& args) {
  quarn::cdl_init(static_cast<int>(args.size()), args.data());
}

// The current group as texts; "(null)" for a refused argument.
std::vector<std::string> group() {
  std::vector<std::string> texts;
  for (unsigned int k = 0; k < cdl_argc(); ++k)
    texts.push_back(cdl_argv(k) != nullptr ? cdl_argv(k) : "(null)");
  return texts;
}

TEST(CommandLine, OptionGroups) {
  init({"prog", "-a", "1", "2", "-b"});
  EXPECT_EQ(cdl_argc(), 5u);  // before any lookup the group is the whole line
  EXPECT_STREQ(cdl_argv(0), "prog");
  EXPECT_EQ(cdl_param("-a", 1), 1u);
  EXPECT_EQ(cdl_argc(), 3u);
  EXPECT_STREQ(cdl_argv(2), "2");
  EXPECT_STREQ(cdl_argv(3), "-b");  // past the group but still a stored argument
  EXPECT_EQ(cdl_argv(4), nullptr);
  EXPECT_EQ(cdl_param("-c", 1), CDL_NOT_FOUND);
  EXPECT_EQ(cdl_argc(), 3u);  // a miss leaves the group alone

  init({"prog", "-size", "640", "480", "-fast", "-size", "1", "-x"});
  struct {
    const char* name;
    unsigned int start;
    unsigned int index;
    std::vector<std::string> group;  // empty when not found
  } cases[] = {
      {"-size", 1, 1, {"-size", "640", "480"}},
      {"-size", 2, 5, {"-size", "1"}},
      {"-fast", 0, 4, {"-fast"}},
      {"-x", 1, 7, {"-x"}},
      {"640", 0, 2, {"640", "480"}},
      {"prog", 0, 0, {"prog"}},
      {"prog", 1, CDL_NOT_FOUND, {}},
      {"-SIZE", 1, CDL_NOT_FOUND, {}},
      {"-siz", 1, CDL_NOT_FOUND, {}},
      {"-size", 8, CDL_NOT_FOUND, {}},
      {"-size", 0xFFFFFFFFu, CDL_NOT_FOUND, {}},
      {nullptr, 0, CDL_NOT_FOUND, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cdl_param(c.name, c.start), c.index) << (c.name ? c.name : "(null)");
    if (c.index != CDL_NOT_FOUND) {
      EXPECT_EQ(group(), c.group) << c.name;
    }
  }
}

TEST(CommandLine, KeepsTheFirst128Arguments) {
  std::vector<std::string> texts;
  for (int i = 0; i < 200; ++i) texts.push_back("a" + std::to_string(i));
  std::vector<const char*> args;
  for (const auto& t : texts) args.push_back(t.c_str());
  init(args);  // 10*3 + 90*4 + 28*5 = 530 bytes for the kept ones: the pool is not the limit
  EXPECT_EQ(cdl_argc(), 128u);
  EXPECT_STREQ(cdl_argv(127), "a127");
  EXPECT_EQ(cdl_argv(128), nullptr);
  EXPECT_EQ(cdl_param("a127", 0), 127u);
  EXPECT_EQ(cdl_param("a128", 0), CDL_NOT_FOUND);
}

TEST(CommandLine, ArgumentsThatDoNotFitAreRefusedWhole) {
  // "p" takes 2 bytes, eight 254-character texts 8 * 255 = 2040: 6 bytes stay.
  std::string big(254, 'x');
  init({"p", big.c_str(), big.c_str(), big.c_str(), big.c_str(), big.c_str(), big.c_str(),
        big.c_str(), big.c_str(),
        "abcdef",  // 7 bytes: refused
        "abcde",   // 6 bytes: fills the pool exactly
        "x",       // refused, the pool is full
        ""});      // even the empty text needs its terminator
  EXPECT_EQ(cdl_argc(), 13u);
  EXPECT_EQ(cdl_argv(8), big);
  EXPECT_EQ(cdl_argv(9), nullptr);
  EXPECT_STREQ(cdl_argv(10), "abcde");
  EXPECT_EQ(cdl_argv(11), nullptr);
  EXPECT_EQ(cdl_argv(12), nullptr);
  EXPECT_EQ(cdl_param("abcdef", 0), CDL_NOT_FOUND);

  // A text longer than the whole pool keeps its place; what follows still counts.
  std::string huge(3000, 'h');
  init({"prog", "-path", huge.c_str(), "-after", "v"});
  EXPECT_EQ(cdl_param("-path", 1), 1u);
  EXPECT_EQ(group(), (std::vector<std::string>{"-path", "(null)"}));
  EXPECT_EQ(cdl_param("-after", 1), 3u);
  EXPECT_EQ(group(), (std::vector<std::string>{"-after", "v"}));
}

TEST(CommandLine, ReinitReplacesEverything) {
  init({"prog", "-x", "1", "2"});
  EXPECT_EQ(cdl_param("-x", 1), 1u);
  init({"other", "-y"});
  EXPECT_EQ(cdl_argc(), 2u);  // the group starts over
  EXPECT_EQ(group(), (std::vector<std::string>{"other", "-y"}));
  EXPECT_EQ(cdl_argv(2), nullptr);
  EXPECT_EQ(cdl_param("-x", 0), CDL_NOT_FOUND);

  // Handing back the table's own texts, in another order.
  init({"one", "two", "three"});
  init({cdl_argv(2), cdl_argv(1), cdl_argv(0)});
  EXPECT_EQ(group(), (std::vector<std::string>{"three", "two", "one"}));

  init({"p", nullptr, "-z"});
  EXPECT_EQ(cdl_argv(1), nullptr);
  EXPECT_EQ(cdl_param("-z", 0), 2u);

  for (int argc : {0, -5}) {
    quarn::cdl_init(argc, nullptr);
    EXPECT_EQ(cdl_argc(), 0u);
    EXPECT_EQ(cdl_argv(0), nullptr);
    EXPECT_EQ(cdl_param("p", 0), CDL_NOT_FOUND);
  }
  const char* some[] = {"p"};
  quarn::cdl_init(-1, some);
  EXPECT_EQ(cdl_argc(), 0u);
  quarn::cdl_init(3, nullptr);
  EXPECT_EQ(cdl_argv(0), nullptr);
}

}  // namespace
