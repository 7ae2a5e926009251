// The log-file sink on a real file: header, one time-stamped line per
// message, no verbose traces, long texts cut to fit the line buffer.
#include "qxcore/fs/file_logger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "qxcore/core/messages.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> crlf_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

TEST(FileLogger, HeaderOneLinePerMessageAndLongTextsCut) {
  qxtest::temp_dir_t dir;
  std::string path = dir / "logs/session.log";
  {
    quarn::file_logger_t log(quarn::string_alias_t(path.c_str()));
    quarn::warning("x");
    quarn::verbose("never in the file");
    quarn::error("e %d", 3);
    quarn::message("%s", std::string(20000, 'q').c_str());
    quarn::message("m");
  }
  auto lines = crlf_lines(qxtest::temp_dir_t::read(path));
  ASSERT_EQ(lines.size(), 5u);
  // The long text is cut so that its line, with time and line ending, fits the
  // buffer; its first "q" is left for the pattern.
  EXPECT_LE(lines[3].size() + 2, quarn::file_logger_t::LINE_BUFFER);
  EXPECT_GT(lines[3].size(), 10000u);
  EXPECT_EQ(lines[3].find_first_not_of('q', 11), std::string::npos);
  lines[3].resize(12);
  const std::string stamp = R"(\d\d:\d\d:\d\d : )";
  const std::string patterns[] = {R"(\*{8} : log created on : \w+ \w+ \d\d \d{4} @ \d\d:\d\d:\d\d)",
                                  stamp + "x", stamp + "e 3", stamp + "q", stamp + "m"};
  for (int i = 0; i < 5; ++i)
    EXPECT_TRUE(std::regex_match(lines[i], std::regex(patterns[i]))) << lines[i];
}

TEST(FileLogger, WithoutAFileItDropsEverything) {
  qxtest::temp_dir_t dir;
  {
    quarn::file_logger_t nameless(quarn::string::EMPTY);
    quarn::file_logger_t unwritable(quarn::string_alias_t("/proc/qxcore/cannot/create.log"));
    quarn::error("dropped");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_FALSE(std::filesystem::exists("/proc/qxcore"));
}

}  // namespace
