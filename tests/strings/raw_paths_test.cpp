// The char* path forms. Inputs live in heap blocks of exactly their size, so
// the sanitizer build catches any read past an input; outputs are canary-
// filled buffers, so a write past the produced piece shows up as a changed
// canary.
#include "qxcore/strings/raw_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr char CANARY = '#';

// A copy of `text` in a block of exactly strlen + 1 bytes.
std::unique_ptr<char[]> exact(const char* text) {
  std::size_t size = std::strlen(text) + 1;
  std::unique_ptr<char[]> copy(new char[size]);
  std::memcpy(copy.get(), text, size);
  return copy;
}

struct out_t {
  char bytes[64];
  out_t() { std::memset(bytes, CANARY, sizeof bytes); }
  // The text, after checking that nothing beyond its terminator was touched.
  std::string text() const {
    std::size_t length = ::strnlen(bytes, sizeof bytes);
    EXPECT_LT(length, sizeof bytes) << "no terminator";
    for (std::size_t i = length + 1; i < sizeof bytes; ++i)
      if (bytes[i] != CANARY) {
        ADD_FAILURE() << "byte " << i << " written past the piece";
        break;
      }
    return std::string(bytes, length);
  }
};

TEST(RawPathSplit, ThreePartsOnlySlashSeparates) {
  const char* cases[][3] = {
      // path, dir, name
      {"a/b/c.txt", "a/b", "c.txt"}, {"c.txt", "", "c.txt"}, {"/x", "", "x"},
      {"a\\b", "", "a\\b"},          {"a/", "a", ""},        {"", "", ""},
      {"a.b/c", "a.b", "c"},
  };
  for (const auto& c : cases) {
    auto path = exact(c[0]);
    out_t dir, name;
    quarn::v_fnsplit(path.get(), dir.bytes, name.bytes);
    EXPECT_EQ(dir.text(), c[1]) << c[0];
    EXPECT_EQ(name.text(), c[2]) << c[0];
  }
}

TEST(RawPathSplit, FourPartsExtensionWithoutItsDot) {
  const char* cases[][4] = {
      // path, dir, name, ext
      {"a/b.c/d.txt", "a/b.c", "d", "txt"},
      {"a.b/c", "a.b", "c", ""},  // the dot belongs to a directory
      {"file.tar.gz", "", "file.tar", "gz"},
      {"noext", "", "noext", ""},
      {"a/.profile", "a", "", "profile"},
      {".profile", "", "", "profile"},
      {"dir/", "dir", "", ""},
      {"a\\b.c", "", "a\\b", "c"},
      {"x.", "", "x", ""},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    auto path = exact(c[0]);
    out_t dir, name, ext;
    quarn::v_fnsplit(path.get(), dir.bytes, name.bytes, ext.bytes);
    EXPECT_EQ(dir.text(), c[1]) << c[0];
    EXPECT_EQ(name.text(), c[2]) << c[0];
    EXPECT_EQ(ext.text(), c[3]) << c[0];

    out_t only_ext;  // null outputs are skipped
    quarn::v_fnsplit(path.get(), nullptr, nullptr, only_ext.bytes);
    EXPECT_EQ(only_ext.text(), c[3]) << c[0];
  }
}

TEST(RawPathSplit, InPlaceAndNullInputs) {
  char path[] = "base/textures/oak.tga";
  out_t name, ext;
  quarn::v_fnsplit(path, path, name.bytes, ext.bytes);  // dir written over the path
  EXPECT_STREQ(path, "base/textures");
  EXPECT_EQ(name.text(), "oak");
  EXPECT_EQ(ext.text(), "tga");

  char path2[] = "dir/file";
  out_t dir;
  quarn::v_fnsplit(path2, dir.bytes, path2);  // name written over the path
  EXPECT_STREQ(path2, "file");
  EXPECT_EQ(dir.text(), "dir");

  out_t d, n, e;
  quarn::v_fnsplit(nullptr, d.bytes, n.bytes, e.bytes);
  EXPECT_EQ(d.text() + n.text() + e.text(), "");
  quarn::v_fnsplit(nullptr, nullptr, nullptr);
}

TEST(RawPathEdit, RemoveSlashOnlyAtTheEnd) {
  const char* cases[][2] = {{"a/b/", "a/b"}, {"a/b", "a/b"}, {"a\\", "a"},
                            {"/", ""},       {"", ""},       {"a//", "a/"}};
  for (const auto& c : cases) {
    auto path = exact(c[0]);
    quarn::v_remove_slash(path.get());
    EXPECT_STREQ(path.get(), c[1]) << c[0];
  }
  quarn::v_remove_slash(static_cast<char*>(nullptr));
}

TEST(RawPathSeparators, CopiesAndInPlace) {
  const char* cases[][3] = {
      // text, dos2unix, unix2dos
      {"a\\b/c", "a/b/c", "a\\b\\c"},
      {"plain", "plain", "plain"},
      {"\\", "/", "\\"},
  };
  for (const auto& c : cases) {
    auto src = exact(c[0]);
    out_t dst;
    EXPECT_EQ(quarn::v_dos2unix(dst.bytes, src.get()), dst.bytes);
    EXPECT_EQ(dst.text(), c[1]);
    auto unix = exact(c[0]), dos = exact(c[0]);
    quarn::v_dos2unix_path(unix.get());
    quarn::v_unix2dos_path(dos.get());
    EXPECT_STREQ(unix.get(), c[1]);
    EXPECT_STREQ(dos.get(), c[2]);
  }

  out_t untouched;
  EXPECT_EQ(quarn::v_dos2unix(untouched.bytes, ""), untouched.bytes);
  EXPECT_EQ(untouched.bytes[0], CANARY);  // an empty source writes nothing
  EXPECT_EQ(quarn::v_dos2unix(untouched.bytes, nullptr), untouched.bytes);
  EXPECT_EQ(untouched.bytes[0], CANARY);
  EXPECT_EQ(quarn::v_dos2unix(nullptr, "a\\b"), nullptr);

  char overlap[16] = "xxa\\b";
  quarn::v_dos2unix(overlap, overlap + 2);  // the copy moves left over its source
  EXPECT_STREQ(overlap, "a/b");
  quarn::v_dos2unix_path(static_cast<char*>(nullptr));
  quarn::v_unix2dos_path(static_cast<char*>(nullptr));
}

}  // namespace
