// Host files through the native device: reads, writes, seeks and status;
// whole text files; copying with its reports; the scrambling wrapper; the
// standard I/O helpers on real files; the memory cursor, and the log-file
// sink (header, one time-stamped line per message, no verbose traces, long
// texts cut to fit the line buffer).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "qxcore/core/messages.h"
#include "qxcore/fs/cfile.h"
#include "qxcore/fs/file_logger.h"
#include "qxcore/fs/fs.h"
#include "qxcore/fs/fs_copy.h"
#include "qxcore/fs/memory_stream.h"
#include "qxcore/fs/stdio_helpers.h"
#include "qxcore/fs/text_files.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"
#include "tests/support/temp_dir.h"

namespace {

using quarn::FS_TYPE_NATIVE;
using qxtest::file_ptr;
using qxtest::s;

file_ptr native_open(const std::string& path) {
  return file_ptr(quarn::fs_open(s(path), FS_TYPE_NATIVE));
}
file_ptr native_create(const std::string& path) {
  return file_ptr(quarn::fs_create(s(path), FS_TYPE_NATIVE));
}

// Reading, seeking and status are checked for every device kind with the
// mount table; here, what only a writable host file does.
TEST(NativeFiles, WritesInterleavedWithReads) {
  qxtest::temp_dir_t dir;
  file_ptr f = native_create(dir / "a/b/c.bin");  // parent directories are made
  ASSERT_NE(f, nullptr);
  EXPECT_STREQ(f->path().c_str(), (dir / "a/b/c.bin").c_str());
  EXPECT_TRUE(f->write("0123456789", 10));
  f->printf("%s-%d", "tail", 7);  // no terminator is written
  f->flush();
  EXPECT_EQ(f->position(), 16u);
  EXPECT_EQ(f->size(), 16u);
  // Reading, then writing at once on the same stream.
  char rest[8];
  ASSERT_TRUE(f->seek(2, 0));
  ASSERT_TRUE(f->read(rest, 2));
  ASSERT_TRUE(f->write("##", 2));
  ASSERT_TRUE(f->read(rest, 2));
  EXPECT_EQ(std::string(rest, 2), "67");
  f->flush();
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "a/b/c.bin"), "0123##6789tail-7");

  // Asynchronous transfers are finished when they are handed back.
  ASSERT_TRUE(f->seek(2, 0));
  std::unique_ptr<quarn::fs_request_t> w(f->write_async("abcd", 4));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(std::tuple(w->is_done(), w->transferred(), w->start()), std::tuple(true, 4u, 2u));
  f->seek(0, 0);
  std::unique_ptr<quarn::fs_request_t> r(f->read_async(rest, 8));
  EXPECT_EQ(std::string(rest, 8), "01abcd67");
  EXPECT_EQ(f->position(), 8u);
}

TEST(NativeFiles, DeviceOperationsOnHostPaths) {
  qxtest::temp_dir_t dir;
  std::string nested = dir / "x/y/z";
  EXPECT_TRUE(quarn::fs_mkdir(s(nested), FS_TYPE_NATIVE));
  quarn::fs_stat_t status;
  ASSERT_TRUE(quarn::fs_stat(s(nested), &status, FS_TYPE_NATIVE));
  EXPECT_EQ(status.is_directory, 1u);
  EXPECT_TRUE(quarn::fs_stat(s(nested), nullptr, FS_TYPE_NATIVE));
  EXPECT_TRUE(quarn::fs_rmdir(s(nested), FS_TYPE_NATIVE));
  EXPECT_FALSE(quarn::fs_rmdir(s(nested), FS_TYPE_NATIVE));
  EXPECT_FALSE(quarn::fs_stat(s(nested), &status, FS_TYPE_NATIVE));
  dir.write("gone.txt", "x");
  EXPECT_TRUE(quarn::fs_remove(s(dir / "gone.txt"), FS_TYPE_NATIVE));
  EXPECT_FALSE(quarn::fs_remove(s(dir / "gone.txt"), FS_TYPE_NATIVE));
  EXPECT_EQ(native_open(dir / "gone.txt"), nullptr);

  // A host object that is neither file nor directory exists, but has no status
  // of ours; open, it is a file.
  status.size = 7;
  EXPECT_TRUE(quarn::fs_stat(s("/dev/null"), nullptr, FS_TYPE_NATIVE));
  EXPECT_FALSE(quarn::fs_stat(s("/dev/null"), &status, FS_TYPE_NATIVE));
  EXPECT_EQ(status.size, 7u);
  file_ptr device = native_open("/dev/null");
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(device->stat(&status) && status.is_directory == 0 && status.size == 0);
  EXPECT_EQ(device->get_error(), quarn::FS_ERROR_NONE);

  // Listings skip ".", ".." and ".svn"; full names are the path, "/" and the name.
  dir.write("list/x", "x");
  dir.write("list/.svn/entries", "");
  std::filesystem::create_directory(dir / "list/sub");
  const std::pair<std::string, bool> listings[] = {
      {dir / "list", false}, {dir / "list", true}, {dir / "list/", true}, {"", true}};
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir / "list");  // what the empty path lists
  for (const auto& [path, full] : listings) {
    std::string prefix = full ? path + "/" : "";
    EXPECT_EQ(qxtest::listing(path, full, FS_TYPE_NATIVE),
              (qxtest::listing_t{{prefix + "x", 0}, {prefix + "sub", 1}}))
        << path;
  }
  std::filesystem::current_path(before);

  // Appending keeps what is there and starts the file's position at 0.
  dir.write("log.txt", "first ");
  file_ptr a(quarn::fs_append(s(dir / "log.txt"), FS_TYPE_NATIVE));
  EXPECT_EQ(a->position(), 0u);
  a->printf("second");
  a.reset();
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "log.txt"), "first second");
}

TEST(FrontEnd, VirtualPathsMustBeAbsoluteAndTypesValid) {
  qxtest::capture_sink_t sink;
  EXPECT_EQ(quarn::fs_open(s("def/a.txt"), quarn::FS_TYPE_VIRTUAL), nullptr);
  EXPECT_EQ(quarn::fs_open(s("/def/a.txt"), quarn::FS_TYPE_VIRTUAL), nullptr);  // nothing mounted
  EXPECT_EQ(quarn::fs_open(s("/x"), static_cast<quarn::fs_type_t>(7)), nullptr);
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{"[fs] fs_open called with invalid path \"def/a.txt\"",
                                      "[fs] invalid fs_type_t 7"}));
}

TEST(TextFiles, LinesSplitAtRunsOfLineEndings) {
  qxtest::temp_dir_t dir;
  using lines_t = std::vector<std::string>;
  const std::tuple<std::string, lines_t> cases[] = {
      {"", {}},
      {"\n\r\n\r", {}},
      {"\r\nonly\r\n", {"only"}},
      {"no ending", {"no ending"}},
      {"a\r\n\r\nb\n  \nc", {"a", "b", "  ", "c"}},
      {std::string("cut\0hidden\nnext", 15), {"cut"}}};
  for (const auto& [bytes, expected] : cases) {
    file_ptr f = native_open(dir.write("t.txt", bytes));
    std::unique_ptr<quarn::text_lines_t> lines(quarn::fs_read_text_file(*f));
    ASSERT_NE(lines, nullptr);
    lines_t got;
    for (unsigned int i = 0; i < lines->size(); ++i) got.push_back((*lines)[i].c_str());
    EXPECT_EQ(got, expected) << bytes;
  }

  quarn::text_lines_t lines;
  lines.push_back(quarn::string_dyn_t<>("a"));
  lines.push_back(quarn::string_dyn_t<>("b"));
  {
    file_ptr f = native_create(dir / "out.txt");
    quarn::fs_write_text_file(*f, lines);
  }
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "out.txt"), "a\nb\n");
}

TEST(Copying, FilesAndTheirReports) {
  qxtest::temp_dir_t dir;
  std::string big(200000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  file_ptr source = native_open(dir.write("big.bin", big));
  file_ptr copy = native_create(dir / "copy.bin");
  EXPECT_TRUE(quarn::ufs_copy(copy.get(), source.get()));  // several 64 KiB blocks
  copy.reset();
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "copy.bin"), big);

  file_ptr empty = native_open(dir.write("empty.bin", ""));
  file_ptr target = native_create(dir / "target.bin");
  EXPECT_TRUE(quarn::ufs_copy(target.get(), empty.get()));
  EXPECT_EQ(target->position(), 0u);

  qxtest::capture_sink_t sink;
  source->seek(100, 0);  // the copy reads size() bytes from the current position
  file_ptr short_target = native_create(dir / "short.bin");
  EXPECT_FALSE(quarn::ufs_copy(short_target.get(), source.get()));
  EXPECT_FALSE(quarn::ufs_copy(s("/copy"), s("/missing")));
  EXPECT_EQ(sink.errors(),
            (std::vector<std::string>{"[ufs_copy] error reading source file " + dir / "big.bin",
                                      "Cannot open /missing."}));
}

TEST(ScramblingWrapper, XorsWithTheKeyBothWays) {
  qxtest::temp_dir_t dir;
  std::string plain = "the bytes a wrapper writes";
  {
    quarn::cfile_t writer(native_create(dir / "s.bin").release());
    EXPECT_TRUE(writer.write(plain.data(), static_cast<unsigned int>(plain.size())));
    EXPECT_EQ(writer.position(), plain.size());  // mirrors the inner file
  }
  std::string scrambled = plain;
  for (char& c : scrambled) c ^= static_cast<char>(0xA7);
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "s.bin"), scrambled);

  quarn::cfile_t reader(native_open(dir / "s.bin").release());
  EXPECT_STREQ(reader.path().c_str(), (dir / "s.bin").c_str());
  std::string back(plain.size(), ' ');
  EXPECT_TRUE(reader.read(back.data(), static_cast<unsigned int>(back.size())));
  EXPECT_EQ(back, plain);
  EXPECT_TRUE(reader.eof());
  EXPECT_FALSE(reader.read(back.data(), 1));
  EXPECT_EQ(reader.get_error(), quarn::FS_ERROR_READ_WRITE);
}

TEST(MemoryStream, CursorRules) {
  alignas(8) char block[16] = "abcdefghijklmno";
  quarn::mbio_t io;
  EXPECT_EQ(io.open(block, 8), 0);
  EXPECT_EQ(io.read(4), block);
  EXPECT_EQ(io.write(4), block + 4);
  EXPECT_EQ(io.read(4), nullptr);  // at the end: nothing, cursor stays
  EXPECT_EQ(io.tell(), block + 8);

  char out[4] = {};
  io.seek(2, 0);
  EXPECT_EQ(io.read(out, 3), block + 2);
  EXPECT_EQ(std::string(out, 3), "cde");
  io.seek(2, 1);
  EXPECT_EQ(io.tell(), block + 7);
  io.seek(2, 2);  // an unknown origin does nothing
  EXPECT_EQ(io.tell(), block + 7);
  EXPECT_EQ(io.write("XY", 2), block + 7);  // no end test for copies in
  EXPECT_EQ(std::string(block, 10), "abcdefgXYj");
  EXPECT_EQ(io.read(out, 1), nullptr);

  const std::tuple<unsigned int, unsigned int, unsigned int> aligns[] = {
      {5, 4, 8}, {8, 4, 8}, {1, 8, 8}, {9, 2, 10}, {3, 1, 3}};
  for (const auto& [at, alignment, expected] : aligns) {
    io.set(block + at);
    io.align(alignment);
    EXPECT_EQ(io.tell(), block + expected) << at << " to " << alignment;
  }
}

TEST(StdioHelpers, FilesAndDirectoryChains) {
  qxtest::temp_dir_t dir;
  std::string file = dir / "x/y/z.txt";
  EXPECT_TRUE(quarn::v_filedir(file.c_str()));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "x/y"));
  EXPECT_FALSE(std::filesystem::exists(file));

  dir.write("x/y/z.txt", "zzz");
  std::string source = dir.write("src.bin", std::string(10000, 's'));
  EXPECT_TRUE(quarn::v_file_copy((dir / "copy.bin").c_str(), source.c_str()));
  EXPECT_TRUE(quarn::v_file_append((dir / "copy.bin").c_str(), (dir / "x/y/z.txt").c_str()));
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "copy.bin"), std::string(10000, 's') + "zzz");
  EXPECT_FALSE(quarn::v_file_copy((dir / "c2").c_str(), (dir / "missing").c_str()));
  EXPECT_FALSE(quarn::v_file_copy(static_cast<std::FILE*>(nullptr), nullptr));

  unsigned int size = 0;
  // A vector block; the leak check sees v_freefile give it back.
  void* whole = quarn::v_readfile(source.c_str(), &size);
  ASSERT_NE(whole, nullptr);
  EXPECT_FALSE(qxtest::is_scalar_block(whole));
  EXPECT_EQ(std::string(static_cast<char*>(whole), size), std::string(10000, 's'));
  quarn::v_freefile(whole);
  EXPECT_EQ(quarn::v_readfile((dir / "missing").c_str(), &size), nullptr);

  std::FILE* stream = quarn::v_fopen(source.c_str(), "rb");
  EXPECT_EQ(quarn::v_filesize(stream), 10000u);
  char buffer[8];
  EXPECT_EQ(quarn::v_fread(buffer, 2, 4, stream), 4u);
  EXPECT_EQ(quarn::v_fclose(stream), 0);

  // The file goes, then every parent that is left empty; a parent still
  // holding something stays.
  dir.write("x/keep.txt", "k");
  EXPECT_TRUE(quarn::v_removedir((dir / "x/y/z.txt").c_str()));
  EXPECT_FALSE(std::filesystem::exists(dir / "x/y"));
  EXPECT_TRUE(std::filesystem::exists(dir / "x/keep.txt"));

  EXPECT_TRUE(quarn::v_mkdir((dir / "m").c_str()));
  EXPECT_TRUE(quarn::v_mkdir((dir / "m").c_str()));  // already there: still true
  EXPECT_TRUE(quarn::v_rmdir((dir / "m").c_str()));
  EXPECT_FALSE(quarn::v_rmdir((dir / "m").c_str()));
  EXPECT_FALSE(quarn::v_remove((dir / "m").c_str()));
}

TEST(StdioHelpers, PathsOf256CharactersAreRefused) {
  qxtest::capture_sink_t sink;
  std::string too_long(256, 'a');
  qxtest::temp_dir_t dir;
  std::string fits = dir.path() + "/" + std::string(255 - dir.path().size() - 1, 'f');
  EXPECT_TRUE(quarn::v_filedir(fits.c_str()));
  EXPECT_FALSE(quarn::v_filedir(too_long.c_str()));
  EXPECT_FALSE(quarn::v_removedir(too_long.c_str()));
  ASSERT_EQ(sink.errors().size(), 2u);
  EXPECT_EQ(sink.errors()[0],
            "[fs] v_filedir: path longer than 255 characters: " + std::string(64, 'a') + "...");
}

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
