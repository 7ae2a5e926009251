// The memory cursor and the standard I/O helpers on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "qxcore/fs/memory_stream.h"
#include "qxcore/fs/stdio_helpers.h"
#include "tests/fs/temp_dir.h"
#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

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

  struct {
    unsigned int at, alignment, expected;
  } aligns[] = {{5, 4, 8}, {8, 4, 8}, {1, 8, 8}, {9, 2, 10}, {3, 1, 3}};
  for (const auto& a : aligns) {
    io.set(block + a.at);
    io.align(a.alignment);
    EXPECT_EQ(io.tell(), block + a.expected) << a.at << " to " << a.alignment;
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
  auto before = qxtest::allocation_stats();
  void* whole = quarn::v_readfile(source.c_str(), &size);
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(size, 10000u);
  EXPECT_FALSE(qxtest::is_scalar_block(whole));
  EXPECT_EQ(std::string(static_cast<char*>(whole), size), std::string(10000, 's'));
  quarn::v_freefile(whole);
  EXPECT_EQ(qxtest::allocation_stats().live, before.live);
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
  std::string longest(255, 'a'), too_long(256, 'a');
  qxtest::temp_dir_t dir;
  std::string fits = dir.path() + "/" + std::string(255 - dir.path().size() - 1, 'f');
  EXPECT_TRUE(quarn::v_filedir(fits.c_str()));
  EXPECT_FALSE(quarn::v_filedir(too_long.c_str()));
  EXPECT_FALSE(quarn::v_removedir(too_long.c_str()));
  ASSERT_EQ(sink.errors().size(), 2u);
  EXPECT_EQ(sink.errors()[0], "[fs] v_filedir: path longer than 255 characters: " + std::string(64, 'a') + "...");
}

}  // namespace
