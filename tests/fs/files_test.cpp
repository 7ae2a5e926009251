// Host files through the native device: reads, writes, seeks and status;
// whole text files; copying with its reports; the scrambling wrapper.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "qxcore/fs/cfile.h"
#include "qxcore/fs/fs.h"
#include "qxcore/fs/fs_copy.h"
#include "qxcore/fs/text_files.h"
#include "tests/fs/temp_dir.h"
#include "tests/support/capture_sink.h"

namespace {

using quarn::string_alias_t;
using file_ptr = std::unique_ptr<quarn::file_t>;

file_ptr native_open(const std::string& path) { return file_ptr(quarn::fs_open(string_alias_t(path.c_str()), quarn::FS_TYPE_NATIVE)); }
file_ptr native_create(const std::string& path) { return file_ptr(quarn::fs_create(string_alias_t(path.c_str()), quarn::FS_TYPE_NATIVE)); }

TEST(NativeFiles, ReadWriteSeekAndStatus) {
  qxtest::temp_dir_t dir;
  file_ptr f = native_create(dir / "a/b/c.bin");  // parent directories are made
  ASSERT_NE(f, nullptr);
  EXPECT_STREQ(f->path().c_str(), (dir / "a/b/c.bin").c_str());
  EXPECT_TRUE(f->write("0123456789", 10));
  f->printf("%s-%d", "tail", 7);  // no terminator is written
  f->flush();
  EXPECT_EQ(f->position(), 16u);
  EXPECT_EQ(f->size(), 16u);
  EXPECT_TRUE(f->eof());

  struct {
    int offset, origin;
    bool ok;
    unsigned int position;
  } seeks[] = {{4, 0, true, 4}, {2, 1, true, 6}, {-3, 2, true, 13}, {0, 3, false, 13}, {-100, 0, false, 13},
               {13, 0, true, 13}};
  for (const auto& s : seeks) {
    EXPECT_EQ(f->seek(s.offset, s.origin), s.ok) << s.offset << "," << s.origin;
    EXPECT_EQ(f->position(), s.position);
    EXPECT_EQ(f->get_error(), s.ok ? quarn::FS_ERROR_NONE : quarn::FS_ERROR_SEEK);
  }
  char tail[3];
  ASSERT_TRUE(f->read(tail, 3));
  EXPECT_EQ(std::string(tail, 3), "l-7");
  // A short read moves nothing and reports the shortfall.
  ASSERT_TRUE(f->seek(10, 0));
  char rest[10];
  EXPECT_FALSE(f->read(rest, 10));
  EXPECT_EQ(f->get_error(), quarn::FS_ERROR_READ_WRITE);
  EXPECT_EQ(f->position(), 10u);
  EXPECT_TRUE(f->read(rest, 6));
  EXPECT_EQ(std::string(rest, 6), "tail-7");
  // Reading, then writing at once on the same stream.
  ASSERT_TRUE(f->seek(2, 0));
  ASSERT_TRUE(f->read(rest, 2));
  ASSERT_TRUE(f->write("##", 2));
  ASSERT_TRUE(f->read(rest, 2));
  EXPECT_EQ(std::string(rest, 2), "67");
  f->flush();
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "a/b/c.bin"), "0123##6789tail-7");

  quarn::fs_stat_t status;
  ASSERT_TRUE(f->stat(&status));
  struct stat host;
  ASSERT_EQ(::stat((dir / "a/b/c.bin").c_str(), &host), 0);
  EXPECT_EQ(status.time, host.st_mtime);
  EXPECT_EQ(status.size, 16u);
  EXPECT_EQ(status.is_directory, 0u);
}

TEST(NativeFiles, AsyncTransfersFinishAtOnce) {
  qxtest::temp_dir_t dir;
  file_ptr f = native_create(dir / "async.bin");
  std::unique_ptr<quarn::fs_request_t> w(f->write_async("abcd", 4));
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->is_done());
  EXPECT_EQ(w->transferred(), 4u);
  EXPECT_EQ(w->start(), 0u);
  f->seek(0, 0);
  char back[4];
  std::unique_ptr<quarn::fs_request_t> r(f->read_async(back, 4));
  EXPECT_EQ(std::string(back, 4), "abcd");
  EXPECT_EQ(f->position(), 4u);
}

TEST(NativeFiles, DeviceOperationsOnHostPaths) {
  qxtest::temp_dir_t dir;
  std::string nested = dir / "x/y/z";
  EXPECT_TRUE(quarn::fs_mkdir(string_alias_t(nested.c_str()), quarn::FS_TYPE_NATIVE));
  quarn::fs_stat_t status;
  ASSERT_TRUE(quarn::fs_stat(string_alias_t(nested.c_str()), &status, quarn::FS_TYPE_NATIVE));
  EXPECT_EQ(status.is_directory, 1u);
  EXPECT_TRUE(quarn::fs_stat(string_alias_t(nested.c_str()), nullptr, quarn::FS_TYPE_NATIVE));
  EXPECT_TRUE(quarn::fs_rmdir(string_alias_t(nested.c_str()), quarn::FS_TYPE_NATIVE));
  EXPECT_FALSE(quarn::fs_rmdir(string_alias_t(nested.c_str()), quarn::FS_TYPE_NATIVE));
  EXPECT_FALSE(quarn::fs_stat(string_alias_t(nested.c_str()), &status, quarn::FS_TYPE_NATIVE));
  dir.write("gone.txt", "x");
  EXPECT_TRUE(quarn::fs_remove(string_alias_t((dir / "gone.txt").c_str()), quarn::FS_TYPE_NATIVE));
  EXPECT_FALSE(quarn::fs_remove(string_alias_t((dir / "gone.txt").c_str()), quarn::FS_TYPE_NATIVE));
  EXPECT_EQ(native_open(dir / "gone.txt"), nullptr);

  // Appending keeps what is there and starts the file's position at 0.
  dir.write("log.txt", "first ");
  file_ptr a(quarn::fs_append(string_alias_t((dir / "log.txt").c_str()), quarn::FS_TYPE_NATIVE));
  EXPECT_EQ(a->position(), 0u);
  a->printf("second");
  a.reset();
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "log.txt"), "first second");
}

TEST(FrontEnd, VirtualPathsMustBeAbsoluteAndTypesValid) {
  qxtest::capture_sink_t sink;
  EXPECT_EQ(quarn::fs_open(string_alias_t("def/a.txt"), quarn::FS_TYPE_VIRTUAL), nullptr);
  EXPECT_EQ(quarn::fs_open(string_alias_t("/def/a.txt"), quarn::FS_TYPE_VIRTUAL), nullptr);  // nothing mounted
  EXPECT_EQ(quarn::fs_open(string_alias_t("/x"), static_cast<quarn::fs_type_t>(7)), nullptr);
  EXPECT_EQ(sink.errors(), (std::vector<std::string>{"[fs] fs_open called with invalid path \"def/a.txt\"",
                                                     "[fs] invalid fs_type_t 7"}));
}

TEST(TextFiles, LinesSplitAtRunsOfLineEndings) {
  qxtest::temp_dir_t dir;
  struct {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\n\r\nb\n  \nc", {"a", "b", "  ", "c"}},
      {"", {}},
      {"\n\r\n\r", {}},
      {"\r\nonly\r\n", {"only"}},
      {"no ending", {"no ending"}},
      {"cut\0hidden\nnext", {"cut"}},
  };
  for (const auto& c : cases) {
    file_ptr f = native_open(dir.write("t.txt", c.bytes));
    std::unique_ptr<quarn::text_lines_t> lines(quarn::fs_read_text_file(*f));
    ASSERT_NE(lines, nullptr);
    std::vector<std::string> got;
    for (unsigned int i = 0; i < lines->size(); ++i) got.push_back((*lines)[i].c_str());
    EXPECT_EQ(got, c.lines) << c.bytes;
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
  EXPECT_FALSE(quarn::ufs_copy(string_alias_t("/copy"), string_alias_t("/missing")));
  EXPECT_EQ(sink.errors(), (std::vector<std::string>{"[ufs_copy] error reading source file " + dir / "big.bin",
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
  std::string stored = qxtest::temp_dir_t::read(dir / "s.bin");
  ASSERT_EQ(stored.size(), plain.size());
  for (std::size_t i = 0; i < plain.size(); ++i)
    EXPECT_EQ(static_cast<unsigned char>(stored[i]), static_cast<unsigned char>(plain[i]) ^ 0xA7);

  quarn::cfile_t reader(native_open(dir / "s.bin").release());
  EXPECT_STREQ(reader.path().c_str(), (dir / "s.bin").c_str());
  std::string back(plain.size(), ' ');
  EXPECT_TRUE(reader.read(back.data(), static_cast<unsigned int>(back.size())));
  EXPECT_EQ(back, plain);
  EXPECT_TRUE(reader.eof());
  EXPECT_FALSE(reader.read(back.data(), 1));
  EXPECT_EQ(reader.get_error(), quarn::FS_ERROR_READ_WRITE);
}

}  // namespace
