// The path functions, hand-worked tables for both forms. The string/mstring_t
// forms run into growing strings (whole results) and small fixed strings (the
// same results cut to the buffer, answered with false), with null outputs and
// outputs that are also inputs. The char* forms read inputs from heap blocks of
// exactly their size, so the sanitizer build catches a read past an input, and
// write into canary-filled buffers, so a write past the piece shows.
#include "qxcore/strings/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "qxcore/strings/raw_paths.h"
#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "tests/support/capture_sink.h"

namespace {

using quarn::mstring_t;
using dyn_t = quarn::string_dyn_t<>;
template <unsigned int N>
using fixed_t = quarn::string_fixed_t<N>;
using texts_t = std::vector<std::string>;

quarn::string_alias_t text(const char* t) { return quarn::string_alias_t(t); }

// What an N-byte buffer keeps of `whole`.
template <unsigned int N>
std::string cut(const std::string& whole) {
  return whole.substr(0, N - 1);
}

// A copy of `text` in a block of exactly strlen + 1 bytes.
std::unique_ptr<char[]> exact(const char* text) {
  std::unique_ptr<char[]> copy(new char[std::strlen(text) + 1]);
  std::strcpy(copy.get(), text);
  return copy;
}

// A canary-filled output buffer; text() also checks that nothing beyond the
// terminator was touched.
struct out_t {
  char bytes[64];
  out_t() { std::memset(bytes, '#', sizeof bytes); }
  std::string text() const {
    std::size_t length = ::strnlen(bytes, sizeof bytes);
    EXPECT_LT(length, sizeof bytes) << "no terminator";
    EXPECT_EQ(std::string(bytes + length + 1, bytes + sizeof bytes),
              std::string(sizeof bytes - length - 1, '#'))
        << "written past the piece";
    return std::string(bytes, length);
  }
};

TEST(PathSplit, TablesOfBothFormsIntoEveryKindOfOutput) {
  const std::tuple<const char*, texts_t> three_part[] = {
      {"", {"", ""}},    {"dir/", {"dir", ""}},      {"file.txt", {"", "file.txt"}},
      {"/", {"", ""}},   {"a//b", {"a/", "b"}},      {"a/b.c/d.txt", {"a/b.c", "d.txt"}},
      {"/x", {"", "x"}}, {"a\\b\\c", {"a\\b", "c"}}, {"mixed/dir\\f", {"mixed/dir", "f"}}};
  for (const auto& [path, parts] : three_part) {
    dyn_t dir("junk"), name("junk");
    quarn::v_fnsplit(text(path), &dir, &name);
    EXPECT_EQ((texts_t{dir.c_str(), name.c_str()}), parts) << path;
  }
  // The char* form (`raw`) knows only '/' and gives the extension without its dot.
  const std::tuple<const char*, texts_t, texts_t> four_part[] = {
      {"", {"", "", ""}, {"", "", ""}},
      {"dir/", {"dir", "", ""}, {"dir", "", ""}},
      {"a.b/c", {"a.b", "c", ""}, {"a.b", "c", ""}},  // the dot belongs to a directory
      {"file.", {"", "file", "."}, {"", "file", ""}},
      {"noext", {"", "noext", ""}, {"", "noext", ""}},
      {"/root.txt", {"", "root", ".txt"}, {"", "root", "txt"}},
      {"a/.profile", {"a", "", ".profile"}, {"a", "", "profile"}},
      {"a/b.c/d.txt", {"a/b.c", "d", ".txt"}, {"a/b.c", "d", "txt"}},
      {".profile", {"", ".profile", ".profile"}, {"", "", "profile"}},
      {"archive.tar.gz", {"", "archive.tar", ".gz"}, {"", "archive.tar", "gz"}},
      {"models\\car.dat", {"models", "car", ".dat"}, {"", "models\\car", "dat"}}};
  for (const auto& [path, parts, raw] : four_part) {
    auto in = exact(path);
    out_t dir, name, ext, only_ext;
    quarn::v_fnsplit(in.get(), dir.bytes, name.bytes, ext.bytes);
    quarn::v_fnsplit(in.get(), nullptr, nullptr, only_ext.bytes);  // null outputs are skipped
    EXPECT_EQ((texts_t{dir.text(), name.text(), ext.text(), only_ext.text()}),
              (texts_t{raw[0], raw[1], raw[2], raw[2]}))
        << path;
    fixed_t<4> small[3];
    quarn::v_fnsplit(text(path), &small[0], &small[1], &small[2]);
    EXPECT_EQ((texts_t{small[0].c_str(), small[1].c_str(), small[2].c_str()}),
              (texts_t{cut<4>(parts[0]), cut<4>(parts[1]), cut<4>(parts[2])}))
        << path;
    for (int mask = 0; mask < 8; ++mask) {  // null outputs are skipped
      dyn_t out[3] = {dyn_t("-"), dyn_t("-"), dyn_t("-")};
      texts_t expected = parts;
      for (int i = 0; i < 3; ++i) expected[i] = mask & 1 << i ? parts[i] : "-";
      quarn::v_fnsplit(text(path), mask & 1 ? &out[0] : nullptr, mask & 2 ? &out[1] : nullptr,
                       mask & 4 ? &out[2] : nullptr);
      EXPECT_EQ((texts_t{out[0].c_str(), out[1].c_str(), out[2].c_str()}), expected) << path;
    }
    for (int which = 0; which < 3; ++which) {  // an output may be the path itself
      dyn_t whole(path), a, b;
      mstring_t* outs[3] = {&a, &b, &a};
      outs[2] = outs[which];
      outs[which] = &whole;
      quarn::v_fnsplit(whole, outs[0], outs[1], outs[2]);
      EXPECT_EQ((texts_t{outs[0]->c_str(), outs[1]->c_str(), outs[2]->c_str()}), parts)
          << path << " as " << which;
    }
  }
}

TEST(PathCompose, TableWithAndWithoutExtension) {
  // ext null: the three-argument form
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"", "f", nullptr, "f"},      {"dir", "f", nullptr, "dir/f"},
      {"/", "f", nullptr, "/f"},    {"dir/", "f", nullptr, "dir/f"},
      {"dir", "f", "", "dir/f"},    {"dir", "f", "txt", "dir/f.txt"},
      {"", "f", "txt", "f.txt"},    {"dir\\", "f", nullptr, "dir\\f"},
      {"dir", "f", ".", "dir/f."},  {"dir", "f", ".txt", "dir/f.txt"},
      {"a/b", "", nullptr, "a/b/"}, {"base/textures", "oak", "tga", "base/textures/oak.tga"}};
  for (const auto& [dir, name, ext, expected] : cases) {
    auto compose = [name = name, ext = ext](mstring_t* out, const quarn::string& d) {
      return ext ? quarn::v_fncompose(out, d, text(name), text(ext))
                 : quarn::v_fncompose(out, d, text(name));
    };
    dyn_t grown("previous"), same_dyn(dir);
    fixed_t<8> small("previous");
    fixed_t<32> same_fixed(dir);  // the directory's own buffer, with no room to grow
    bool whole = compose(&grown, text(dir)) && compose(&same_dyn, same_dyn) &&
                 compose(&same_fixed, same_fixed);
    EXPECT_TRUE(whole) << expected;
    EXPECT_EQ(compose(&small, text(dir)), std::strlen(expected) < 8) << expected;
    EXPECT_EQ((texts_t{grown.c_str(), same_dyn.c_str(), same_fixed.c_str(), small.c_str()}),
              (texts_t{expected, expected, expected, cut<8>(expected)}));
  }
  dyn_t named("f");  // the name in the output's own buffer, which the directory overwrites
  EXPECT_TRUE(quarn::v_fncompose(&named, text("dir"), named, text("txt")));
  EXPECT_STREQ(named.c_str(), "dir/f.txt");
  EXPECT_FALSE(quarn::v_fncompose(nullptr, text("a"), text("b")));
}

TEST(PathEdit, RemoveSlashAndExtensions) {
  const char* remove[][2] = {{"", ""},  {"a/b", "a"},  {"abc", "abc"}, {"a/b\\c", "a/b"},
                             {"/", ""}, {"a\\b", "a"}, {"a/b/", "a/b"}};
  for (const auto& [path, expected] : remove) {
    dyn_t s(path);
    quarn::v_remove_slash(&s);
    EXPECT_STREQ(s.c_str(), expected) << path;
  }
  quarn::v_remove_slash(static_cast<mstring_t*>(nullptr));

  const char* get[][2] = {
      {"", ""},      {"noext", ""},  {"x.tar.gz", ".gz"},  {"a/b.c/d.txt", ".txt"},
      {"a.b/c", ""}, {"a.b\\c", ""}, {"d\\f.ext", ".ext"}, {".profile", ".profile"}};
  for (const auto& [path, expected] : get) {
    dyn_t ext("junk");
    fixed_t<3> small("ab");
    EXPECT_TRUE(quarn::v_get_extension(text(path), &ext));
    EXPECT_EQ(quarn::v_get_extension(text(path), &small), std::strlen(expected) < 3) << path;
    EXPECT_EQ((texts_t{ext.c_str(), small.c_str()}), (texts_t{expected, cut<3>(expected)}));
  }
  EXPECT_FALSE(quarn::v_get_extension(text("a.txt"), nullptr));

  const std::tuple<const char*, const char*, bool> check[] = {
      {"", "", true},         {"a.txt", ".txt", true}, {"a.txt", ".TXT", false},
      {"a.txt", "", true},    {"txt", "a.txt", false}, {"a.txt.bak", ".txt", false},
      {"a.txt", "txt", true}, {"a.tx", ".txt", false}};
  for (const auto& [path, ext, expected] : check)
    EXPECT_EQ(quarn::v_check_extension(text(path), text(ext)), expected) << path << ext;
}

TEST(PathEdit, ChangeExtensionFilenameAndAbsolutize) {
  enum { EXT, NAME, ABS };  // v_change_extension, v_change_filename, v_absolutize_filename
  // ABS: the path is the name, the argument the base
  const std::tuple<int, const char*, const char*, const char*> cases[] = {
      {ABS, "x", "", "x"},         {NAME, "a\\b", "c", "a\\c"},
      {NAME, "", "n", "n"},        {EXT, "a.b/c", ".d", "a.b/c.d"},
      {ABS, "", "a/b", "a/"},      {EXT, "d\\f.x", ".y", "d\\f.y"},
      {EXT, "x", ".y", "x.y"},     {EXT, ".profile", ".bak", ".bak"},
      {NAME, "a/b", "", "a/"},     {EXT, "a.b\\c", ".d", "a.b\\c.d"},
      {NAME, "a/", "b", "a/b"},    {EXT, "a/b.txt", ".dat", "a/b.dat"},
      {ABS, "\\x", "a/b", "\\x"},  {ABS, "sub/x", "a/b/", "a/b/sub/x"},
      {ABS, "x", "car.dat", "x"},  {EXT, "x.tar.gz", ".bz2", "x.tar.bz2"},
      {ABS, "x", "a\\b", "a\\x"},  {ABS, "/x.tga", "models/car.dat", "/x.tga"},
      {EXT, "a/b.txt", "", "a/b"}, {ABS, "x.tga", "models/car.dat", "models/x.tga"},
      {NAME, "car.dat", "x", "x"}, {NAME, "models/car.dat", "x.tga", "models/x.tga"}};
  for (const auto& [what, path, arg, expected] : cases) {
    // The path as the string edited in place, or for ABS as the output
    // that is also the name.
    auto apply = [what = what, arg = arg](mstring_t* s) {
      if (what == EXT) return quarn::v_change_extension(s, text(arg));
      if (what == NAME) return quarn::v_change_filename(s, text(arg));
      return quarn::v_absolutize_filename(s, *s, text(arg));
    };
    dyn_t grown(path);
    EXPECT_TRUE(apply(&grown)) << path;
    EXPECT_STREQ(grown.c_str(), expected) << path;
    if (std::strlen(path) < 9) {
      fixed_t<9> small(path);
      EXPECT_EQ(apply(&small), std::strlen(expected) < 9) << path;
      EXPECT_EQ(small.c_str(), cut<9>(expected));
    }
    if (what == ABS) {  // a separate output, and the output as the base
      dyn_t out("previous"), base(arg);
      EXPECT_TRUE(quarn::v_absolutize_filename(&out, text(path), text(arg)) &&
                  quarn::v_absolutize_filename(&base, text(path), base));
      EXPECT_EQ((texts_t{out.c_str(), base.c_str()}), (texts_t{expected, expected}));
    }
  }
  EXPECT_FALSE(quarn::v_change_extension(nullptr, text(".x")));
  EXPECT_FALSE(quarn::v_change_filename(nullptr, text("x")));
  EXPECT_FALSE(quarn::v_absolutize_filename(nullptr, text("x"), text("a/b")));
}

// In place in both forms, and the char* copy into a canary-filled buffer.
TEST(PathSeparators, BothFormsConvert) {
  const char* cases[][3] = {// text, dos2unix, unix2dos
                            {"a\\b/c", "a/b/c", "a\\b\\c"},
                            {"", "", ""},
                            {"plain", "plain", "plain"},
                            {"\\", "/", "\\"},
                            {"\\\\srv\\share", "//srv/share", "\\\\srv\\share"}};
  for (const auto& [path, unix_form, dos_form] : cases) {
    dyn_t unix(path), dos(path);
    auto raw_unix = exact(path), raw_dos = exact(path);
    quarn::v_dos2unix_path(&unix);
    quarn::v_unix2dos_path(&dos);
    quarn::v_dos2unix_path(raw_unix.get());
    quarn::v_unix2dos_path(raw_dos.get());
    EXPECT_EQ((texts_t{unix.c_str(), dos.c_str(), raw_unix.get(), raw_dos.get()}),
              (texts_t{unix_form, dos_form, unix_form, dos_form}));
    if (*path == '\0') continue;  // an empty source writes nothing, checked below
    auto src = exact(path);
    out_t dst;
    EXPECT_EQ(quarn::v_dos2unix(dst.bytes, src.get()), dst.bytes);
    EXPECT_EQ(dst.text(), unix_form);
  }
}

TEST(PathSeparators, Dos2UnixIntoAStringNeverGrows) {
  const std::string report =
      "strings/strings_mutable:165: unknown fn: mstring_t bounds check failed";
  // Into a 4-byte buffer that held "old"; `reported` by the mstring_t bounds check.
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"a\\b", "a/b", false},  // the terminator takes the last byte
      {"\\\\x\\y", "//x", true},
      {"abcd", "abc", true},
      {"", "old", false}};
  for (const auto& [src, expected, reported] : cases) {
    qxtest::capture_sink_t sink;
    fixed_t<4> out("old");
    EXPECT_EQ(quarn::v_dos2unix(&out, text(src)), &out);
    EXPECT_STREQ(out.c_str(), expected) << src;
    EXPECT_EQ(sink.errors(), texts_t(reported, report)) << src;
  }

  qxtest::capture_sink_t sink;
  dyn_t unallocated, reserved;
  quarn::v_dos2unix(&unallocated, text("a\\b"));  // has no buffer and gets none
  EXPECT_STREQ(unallocated.c_str(), "");
  EXPECT_EQ(unallocated.capacity(), 0u);
  reserved.reserve(32);
  quarn::v_dos2unix(&reserved, text("c:\\games\\data"));
  quarn::v_dos2unix(&reserved, reserved);  // in place
  EXPECT_STREQ(reserved.c_str(), "c:/games/data");
  EXPECT_EQ(reserved.capacity(), 32u);
  EXPECT_EQ(sink.errors(), texts_t{report});
  EXPECT_EQ(quarn::v_dos2unix(static_cast<mstring_t*>(nullptr), text("a")), nullptr);
}

// The four-part char* split is in the table of both forms above.
TEST(RawPaths, SplitOnlySlashSeparates) {
  const std::tuple<const char*, texts_t> three_part[] = {
      {"a/b/c.txt", {"a/b", "c.txt"}}, {"c.txt", {"", "c.txt"}}, {"/x", {"", "x"}},
      {"a\\b", {"", "a\\b"}},          {"a/", {"a", ""}},        {"", {"", ""}},
      {"a.b/c", {"a.b", "c"}}};
  for (const auto& [path, parts] : three_part) {
    auto in = exact(path);
    out_t dir, name;
    quarn::v_fnsplit(in.get(), dir.bytes, name.bytes);
    EXPECT_EQ((texts_t{dir.text(), name.text()}), parts) << path;
  }
  char path[] = "base/textures/oak.tga", path2[] = "dir/file";
  out_t name, ext, dir, d, n, e;
  quarn::v_fnsplit(path, path, name.bytes, ext.bytes);  // dir written over the path
  quarn::v_fnsplit(path2, dir.bytes, path2);            // name written over the path
  EXPECT_EQ((texts_t{path, name.text(), ext.text(), path2, dir.text()}),
            (texts_t{"base/textures", "oak", "tga", "file", "dir"}));
  quarn::v_fnsplit(nullptr, d.bytes, n.bytes, e.bytes);
  EXPECT_EQ(d.text() + n.text() + e.text(), "");
  quarn::v_fnsplit(nullptr, nullptr, nullptr);
}

TEST(RawPaths, RemoveSlashOnlyAtTheEndAndNullOrEmptyInputs) {
  const char* remove[][2] = {{"a/b/", "a/b"}, {"a/b", "a/b"}, {"a\\", "a"},
                             {"/", ""},       {"", ""},       {"a//", "a/"}};
  for (const auto& [path, expected] : remove) {
    auto in = exact(path);
    quarn::v_remove_slash(in.get());
    EXPECT_STREQ(in.get(), expected) << path;
  }
  quarn::v_remove_slash(static_cast<char*>(nullptr));
  out_t untouched;  // an empty or null source writes nothing
  EXPECT_EQ(quarn::v_dos2unix(untouched.bytes, ""), untouched.bytes);
  EXPECT_EQ(quarn::v_dos2unix(untouched.bytes, nullptr), untouched.bytes);
  EXPECT_EQ(untouched.bytes[0], '#');
  EXPECT_EQ(quarn::v_dos2unix(nullptr, "a\\b"), nullptr);
  char overlap[16] = "xxa\\b";
  quarn::v_dos2unix(overlap, overlap + 2);  // the copy moves left over its source
  EXPECT_STREQ(overlap, "a/b");
  quarn::v_dos2unix_path(static_cast<char*>(nullptr));
  quarn::v_unix2dos_path(static_cast<char*>(nullptr));
}

}  // namespace
