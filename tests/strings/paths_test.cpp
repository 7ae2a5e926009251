// The string/mstring_t path functions: tables worked out by hand, run into
// growing strings (whole results) and small fixed strings (the same results
// cut to the buffer, answered with false), with null outputs and outputs that
// are also inputs.
#include "qxcore/strings/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "tests/support/capture_sink.h"

namespace {

using quarn::mstring_t;
using dyn_t = quarn::string_dyn_t<>;
template <unsigned int N>
using fixed_t = quarn::string_fixed_t<N>;

quarn::string_alias_t text(const char* t) { return quarn::string_alias_t(t); }

// What an N-byte buffer keeps of `whole`.
template <unsigned int N>
std::string cut(const std::string& whole) {
  return whole.substr(0, N - 1);
}

struct split_case_t {
  const char *path, *dir, *name, *ext = nullptr;  // ext: four-part form only
};
const split_case_t three_part[] = {{"a/b.c/d.txt", "a/b.c", "d.txt"},
                                   {"/x", "", "x"},
                                   {"file.txt", "", "file.txt"},
                                   {"a\\b\\c", "a\\b", "c"},
                                   {"mixed/dir\\f", "mixed/dir", "f"},
                                   {"dir/", "dir", ""},
                                   {"a//b", "a/", "b"},
                                   {"/", "", ""},
                                   {"", "", ""}};
const split_case_t four_part[] = {{"a/b.c/d.txt", "a/b.c", "d", ".txt"},
                                  {".profile", "", ".profile", ".profile"},
                                  {"a/.profile", "a", "", ".profile"},
                                  {"a.b/c", "a.b", "c", ""},
                                  {"archive.tar.gz", "", "archive.tar", ".gz"},
                                  {"file.", "", "file", "."},
                                  {"models\\car.dat", "models", "car", ".dat"},
                                  {"/root.txt", "", "root", ".txt"},
                                  {"dir/", "dir", "", ""},
                                  {"noext", "", "noext", ""},
                                  {"", "", "", ""}};

TEST(PathSplit, TablesIntoGrowingAndFixedStrings) {
  for (const auto& c : three_part) {
    dyn_t dir("junk"), name("junk");
    fixed_t<4> small_dir("old"), small_name("old");
    quarn::v_fnsplit(text(c.path), &dir, &name);
    quarn::v_fnsplit(text(c.path), &small_dir, &small_name);
    EXPECT_STREQ(dir.c_str(), c.dir) << c.path;
    EXPECT_STREQ(name.c_str(), c.name) << c.path;
    EXPECT_EQ(small_dir.c_str(), cut<4>(c.dir)) << c.path;
    EXPECT_EQ(small_name.c_str(), cut<4>(c.name)) << c.path;
  }
  for (const auto& c : four_part) {
    fixed_t<4> small[3];
    quarn::v_fnsplit(text(c.path), &small[0], &small[1], &small[2]);
    EXPECT_EQ(small[0].c_str(), cut<4>(c.dir)) << c.path;
    EXPECT_EQ(small[1].c_str(), cut<4>(c.name)) << c.path;
    EXPECT_EQ(small[2].c_str(), cut<4>(c.ext)) << c.path;
    for (int mask = 0; mask < 8; ++mask) {  // null outputs are skipped
      dyn_t dir("junk"), name("junk"), ext("junk");
      quarn::v_fnsplit(text(c.path), mask & 1 ? &dir : nullptr, mask & 2 ? &name : nullptr,
                       mask & 4 ? &ext : nullptr);
      EXPECT_STREQ(dir.c_str(), mask & 1 ? c.dir : "junk") << c.path;
      EXPECT_STREQ(name.c_str(), mask & 2 ? c.name : "junk") << c.path;
      EXPECT_STREQ(ext.c_str(), mask & 4 ? c.ext : "junk") << c.path;
    }
  }
}

TEST(PathSplit, AnOutputMayBeThePathItself) {
  for (const auto& c : four_part) {
    for (int which = 0; which < 3; ++which) {
      dyn_t path(c.path), a("junk"), b("junk");
      mstring_t* outs[3] = {&a, &b, &a};
      outs[2] = outs[which];
      outs[which] = &path;
      quarn::v_fnsplit(path, outs[0], outs[1], outs[2]);
      EXPECT_STREQ(outs[0]->c_str(), c.dir) << c.path << " as " << which;
      EXPECT_STREQ(outs[1]->c_str(), c.name) << c.path << " as " << which;
      EXPECT_STREQ(outs[2]->c_str(), c.ext) << c.path << " as " << which;
    }
  }
}

TEST(PathCompose, TableWithAndWithoutExtension) {
  struct {
    const char *dir, *name, *ext, *expected;  // ext null: the three-argument form
  } cases[] = {
      {"dir/", "f", nullptr, "dir/f"},   {"dir", "f", nullptr, "dir/f"},
      {"dir\\", "f", nullptr, "dir\\f"}, {"", "f", nullptr, "f"},
      {"/", "f", nullptr, "/f"},         {"a/b", "", nullptr, "a/b/"},
      {"dir", "f", "txt", "dir/f.txt"},  {"dir", "f", ".txt", "dir/f.txt"},
      {"dir", "f", "", "dir/f"},         {"", "f", "txt", "f.txt"},
      {"dir", "f", ".", "dir/f."},       {"base/textures", "oak", "tga", "base/textures/oak.tga"}};
  for (const auto& c : cases) {
    auto compose = [&](mstring_t* out, const quarn::string& dir) {
      return c.ext ? quarn::v_fncompose(out, dir, text(c.name), text(c.ext))
                   : quarn::v_fncompose(out, dir, text(c.name));
    };
    dyn_t grown("previous"), same_dyn(c.dir);
    fixed_t<8> small("previous");
    fixed_t<32> same_fixed(c.dir);  // the directory's own buffer, with no room to grow
    EXPECT_TRUE(compose(&grown, text(c.dir)));
    EXPECT_EQ(compose(&small, text(c.dir)), std::strlen(c.expected) < 8) << c.expected;
    EXPECT_TRUE(compose(&same_dyn, same_dyn));
    EXPECT_TRUE(compose(&same_fixed, same_fixed));
    EXPECT_STREQ(grown.c_str(), c.expected);
    EXPECT_EQ(small.c_str(), cut<8>(c.expected));
    EXPECT_STREQ(same_dyn.c_str(), c.expected);
    EXPECT_STREQ(same_fixed.c_str(), c.expected);
  }
  EXPECT_FALSE(quarn::v_fncompose(nullptr, text("a"), text("b")));
}

TEST(PathEdit, RemoveSlashAndExtensions) {
  const char* remove[][2] = {{"a/b/", "a/b"}, {"a/b", "a"}, {"abc", "abc"},   {"/", ""},
                             {"a\\b", "a"},   {"", ""},     {"a/b\\c", "a/b"}};
  for (const auto& c : remove) {
    dyn_t path(c[0]);
    quarn::v_remove_slash(&path);
    EXPECT_STREQ(path.c_str(), c[1]) << c[0];
  }
  quarn::v_remove_slash(static_cast<mstring_t*>(nullptr));

  const char* get[][2] = {
      {"a/b.c/d.txt", ".txt"}, {"a.b/c", ""}, {".profile", ".profile"}, {"x.tar.gz", ".gz"},
      {"d\\f.ext", ".ext"},    {"noext", ""}, {"a.b\\c", ""},           {"", ""}};
  for (const auto& c : get) {
    dyn_t ext("junk");
    fixed_t<3> small("ab");
    EXPECT_TRUE(quarn::v_get_extension(text(c[0]), &ext));
    EXPECT_EQ(quarn::v_get_extension(text(c[0]), &small), std::strlen(c[1]) < 3) << c[0];
    EXPECT_STREQ(ext.c_str(), c[1]) << c[0];
    EXPECT_EQ(small.c_str(), cut<3>(c[1]));
  }
  EXPECT_FALSE(quarn::v_get_extension(text("a.txt"), nullptr));

  struct {
    const char *path, *ext;
    bool expected;
  } check[] = {{"a.txt", ".txt", true}, {"a.txt", ".TXT", false},    {"a.txt", "txt", true},
               {"txt", "a.txt", false}, {"a.txt", "", true},         {"", "", true},
               {"a.tx", ".txt", false}, {"a.txt.bak", ".txt", false}};
  for (const auto& c : check)
    EXPECT_EQ(quarn::v_check_extension(text(c.path), text(c.ext)), c.expected) << c.path << c.ext;
}

TEST(PathEdit, ChangeExtensionFilenameAndAbsolutize) {
  enum { EXTENSION, FILENAME, ABSOLUTIZE };
  struct {
    int what;
    const char *path, *arg, *expected;  // ABSOLUTIZE: path is the name, arg the base
  } cases[] = {{EXTENSION, "a.b/c", ".d", "a.b/c.d"},
               {EXTENSION, "a/b.txt", ".dat", "a/b.dat"},
               {EXTENSION, "a/b.txt", "", "a/b"},
               {EXTENSION, "x", ".y", "x.y"},
               {EXTENSION, "x.tar.gz", ".bz2", "x.tar.bz2"},
               {EXTENSION, ".profile", ".bak", ".bak"},
               {EXTENSION, "d\\f.x", ".y", "d\\f.y"},
               {EXTENSION, "a.b\\c", ".d", "a.b\\c.d"},
               {FILENAME, "models/car.dat", "x.tga", "models/x.tga"},
               {FILENAME, "car.dat", "x", "x"},
               {FILENAME, "a/", "b", "a/b"},
               {FILENAME, "a\\b", "c", "a\\c"},
               {FILENAME, "", "n", "n"},
               {FILENAME, "a/b", "", "a/"},
               {ABSOLUTIZE, "x.tga", "models/car.dat", "models/x.tga"},
               {ABSOLUTIZE, "/x.tga", "models/car.dat", "/x.tga"},
               {ABSOLUTIZE, "\\x", "a/b", "\\x"},
               {ABSOLUTIZE, "x", "car.dat", "x"},
               {ABSOLUTIZE, "sub/x", "a/b/", "a/b/sub/x"},
               {ABSOLUTIZE, "", "a/b", "a/"},
               {ABSOLUTIZE, "x", "a\\b", "a\\x"},
               {ABSOLUTIZE, "x", "", "x"}};
  for (const auto& c : cases) {
    // The path as the string edited in place, or for ABSOLUTIZE as the output
    // that is also the name.
    auto apply = [&](mstring_t* s) {
      if (c.what == EXTENSION) return quarn::v_change_extension(s, text(c.arg));
      if (c.what == FILENAME) return quarn::v_change_filename(s, text(c.arg));
      return quarn::v_absolutize_filename(s, *s, text(c.arg));
    };
    dyn_t grown(c.path);
    EXPECT_TRUE(apply(&grown)) << c.path;
    EXPECT_STREQ(grown.c_str(), c.expected) << c.path;
    if (std::strlen(c.path) < 9) {
      fixed_t<9> small(c.path);
      EXPECT_EQ(apply(&small), std::strlen(c.expected) < 9) << c.path;
      EXPECT_EQ(small.c_str(), cut<9>(c.expected));
    }
    if (c.what == ABSOLUTIZE) {  // a separate output, and the output as the base
      dyn_t out("previous"), base(c.arg);
      EXPECT_TRUE(quarn::v_absolutize_filename(&out, text(c.path), text(c.arg)));
      EXPECT_TRUE(quarn::v_absolutize_filename(&base, text(c.path), base));
      EXPECT_STREQ(out.c_str(), c.expected);
      EXPECT_STREQ(base.c_str(), c.expected);
    }
  }
  EXPECT_FALSE(quarn::v_change_extension(nullptr, text(".x")));
  EXPECT_FALSE(quarn::v_change_filename(nullptr, text("x")));
  EXPECT_FALSE(quarn::v_absolutize_filename(nullptr, text("x"), text("a/b")));
}

TEST(PathSeparators, ConversionsAndDos2UnixNeverGrowing) {
  const char* in_place[][3] = {{"a\\b/c", "a/b/c", "a\\b\\c"},
                               {"", "", ""},
                               {"\\\\srv\\share", "//srv/share", "\\\\srv\\share"}};
  for (const auto& c : in_place) {
    dyn_t unix(c[0]), dos(c[0]);
    quarn::v_dos2unix_path(&unix);
    quarn::v_unix2dos_path(&dos);
    EXPECT_STREQ(unix.c_str(), c[1]);
    EXPECT_STREQ(dos.c_str(), c[2]);
  }

  struct {
    const char *src, *expected;         // in a 4-byte buffer that held "old"
    bool reported;                      // by the mstring_t bounds check
  } cases[] = {{"a\\b", "a/b", false},  // the terminator takes the last byte
               {"\\\\x\\y", "//x", true},
               {"abcd", "abc", true},
               {"", "old", false}};
  for (const auto& c : cases) {
    qxtest::capture_sink_t sink;
    fixed_t<4> out("old");
    EXPECT_EQ(quarn::v_dos2unix(&out, text(c.src)), &out);
    EXPECT_STREQ(out.c_str(), c.expected) << c.src;
    std::vector<std::string> expected_reports;
    if (c.reported)
      expected_reports.push_back(
          "strings/strings_mutable:165: unknown fn: mstring_t bounds check failed");
    EXPECT_EQ(sink.errors(), expected_reports) << c.src;
  }

  qxtest::capture_sink_t sink;
  dyn_t unallocated, reserved;
  quarn::v_dos2unix(&unallocated, text("a\\b"));  // has no buffer and gets none
  EXPECT_STREQ(unallocated.c_str(), "");
  EXPECT_EQ(unallocated.capacity(), 0u);
  EXPECT_EQ(sink.errors().size(), 1u);
  reserved.reserve(32);
  quarn::v_dos2unix(&reserved, text("c:\\games\\data"));
  quarn::v_dos2unix(&reserved, reserved);  // in place
  EXPECT_STREQ(reserved.c_str(), "c:/games/data");
  EXPECT_EQ(reserved.capacity(), 32u);
  EXPECT_EQ(sink.errors().size(), 1u);
  EXPECT_EQ(quarn::v_dos2unix(static_cast<mstring_t*>(nullptr), text("a")), nullptr);
}

}  // namespace
