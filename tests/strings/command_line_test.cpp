// The command-line table: option groups, the 128-argument and 2048-byte
// limits (counted out by hand below), null and refused arguments, re-init.
#include "qxcore/strings/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using quarn::cdl_argc;
using quarn::cdl_argv;
using quarn::CDL_NOT_FOUND;
using quarn::cdl_param;
using texts_t = std::vector<std::string>;

void init(const std::vector<const char*>& args) {
  quarn::cdl_init(static_cast<int>(args.size()), args.data());
}

// The current group as texts; "(null)" for a refused argument.
texts_t group() {
  texts_t texts;
  for (unsigned int k = 0; k < cdl_argc(); ++k)
    texts.push_back(cdl_argv(k) != nullptr ? cdl_argv(k) : "(null)");
  return texts;
}

TEST(CommandLine, OptionGroups) {
  init({"prog", "-a", "1", "2", "-b"});
  EXPECT_EQ(group(), (texts_t{"prog", "-a", "1", "2", "-b"}));  // before any lookup: the whole line
  EXPECT_EQ(cdl_param("-a", 1), 1u);
  EXPECT_EQ(group(), (texts_t{"-a", "1", "2"}));
  EXPECT_STREQ(cdl_argv(3), "-b");  // past the group but still a stored argument
  EXPECT_EQ(cdl_argv(4), nullptr);
  EXPECT_EQ(cdl_param("-c", 1), CDL_NOT_FOUND);
  EXPECT_EQ(cdl_argc(), 3u);  // a miss leaves the group alone

  init({"prog", "-size", "640", "480", "-fast", "-size", "1", "-x"});
  // name, start, index found, its group
  const std::tuple<const char*, unsigned int, unsigned int, texts_t> cases[] = {
      {"-x", 1, 7, {"-x"}},           {"-size", 2, 5, {"-size", "1"}},
      {"prog", 0, 0, {"prog"}},       {"-SIZE", 1, CDL_NOT_FOUND, {}},
      {"-fast", 0, 4, {"-fast"}},     {"-size", 8, CDL_NOT_FOUND, {}},
      {"640", 0, 2, {"640", "480"}},  {nullptr, 0, CDL_NOT_FOUND, {}},
      {"prog", 1, CDL_NOT_FOUND, {}}, {"-size", 1, 1, {"-size", "640", "480"}},
      {"-siz", 1, CDL_NOT_FOUND, {}}, {"-size", 0xFFFFFFFFu, CDL_NOT_FOUND, {}}};
  for (const auto& [name, start, index, expected_group] : cases) {
    EXPECT_EQ(cdl_param(name, start), index) << (name ? name : "(null)");
    if (index != CDL_NOT_FOUND) {
      EXPECT_EQ(group(), expected_group) << name;
    }
  }
}

TEST(CommandLine, KeepsTheFirst128Arguments) {
  texts_t texts;
  std::vector<const char*> args;
  for (int i = 0; i < 200; ++i) texts.push_back("a" + std::to_string(i));
  for (const auto& t : texts) args.push_back(t.c_str());
  init(args);  // 10*3 + 90*4 + 28*5 = 530 bytes for the kept ones: the pool is not the limit
  EXPECT_EQ(cdl_argc(), 200u);  // the whole command line, until a cdl_param finds something
  EXPECT_STREQ(cdl_argv(127), "a127");
  EXPECT_EQ(cdl_argv(128), nullptr);
  EXPECT_EQ(cdl_param("a127", 0), 127u);
  EXPECT_EQ(cdl_param("a128", 0), CDL_NOT_FOUND);
}

TEST(CommandLine, ArgumentsThatDoNotFitAreRefusedWhole) {
  // "p" takes 2 bytes, eight 254-character texts 8 * 255 = 2040: 6 bytes stay.
  std::string big(254, 'x');
  std::vector<const char*> args{"p"};
  args.insert(args.end(), 8, big.c_str());
  args.insert(args.end(), {"abcdef",  // 7 bytes: refused
                           "abcde",   // 6 bytes: fills the pool exactly
                           "x",       // refused, the pool is full
                           ""});      // even the empty text needs its terminator
  init(args);
  texts_t expected{"p"};
  expected.insert(expected.end(), 8, big);
  expected.insert(expected.end(), {"(null)", "abcde", "(null)", "(null)"});
  EXPECT_EQ(group(), expected);
  EXPECT_EQ(cdl_param("abcdef", 0), CDL_NOT_FOUND);

  // A text longer than the whole pool keeps its place; what follows still counts.
  std::string huge(3000, 'h');
  init({"prog", "-path", huge.c_str(), "-after", "v"});
  EXPECT_EQ(cdl_param("-path", 1), 1u);
  EXPECT_EQ(group(), (texts_t{"-path", "(null)"}));
  EXPECT_EQ(cdl_param("-after", 1), 3u);
  EXPECT_EQ(group(), (texts_t{"-after", "v"}));
}

TEST(CommandLine, ReinitReplacesEverything) {
  init({"prog", "-x", "1", "2"});
  EXPECT_EQ(cdl_param("-x", 1), 1u);
  init({"other", "-y"});
  EXPECT_EQ(group(), (texts_t{"other", "-y"}));  // the group starts over
  EXPECT_EQ(cdl_argv(2), nullptr);
  EXPECT_EQ(cdl_param("-x", 0), CDL_NOT_FOUND);

  // Handing back the table's own texts, in another order.
  init({"one", "two", "three"});
  init({cdl_argv(2), cdl_argv(1), cdl_argv(0)});
  EXPECT_EQ(group(), (texts_t{"three", "two", "one"}));

  init({"p", nullptr, "-z"});
  EXPECT_EQ(cdl_argv(1), nullptr);
  EXPECT_EQ(cdl_param("-z", 0), 2u);

  const char* some[] = {"p"};
  for (auto [argc, argv] : {std::pair{0, some}, {-5, nullptr}, {-1, some}, {3, nullptr}}) {
    quarn::cdl_init(argc, argv);
    EXPECT_EQ(cdl_argc(), 0u) << argc;
    EXPECT_EQ(cdl_argv(0), nullptr) << argc;
    EXPECT_EQ(cdl_param("p", 0), CDL_NOT_FOUND) << argc;
  }
}

}  // namespace
