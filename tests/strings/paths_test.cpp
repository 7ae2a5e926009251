// The path functions against a reference written on std::string, over every
// path of up to six characters from "a./\": growing outputs get the whole
// result, small fixed outputs the same result cut (answered with false), null
// outputs nothing, and outputs that are also inputs the same result. The char*
// forms read inputs from heap blocks of exactly their size, so the sanitizer
// build catches a read past an input, and write into canary-filled buffers, so
// a write past the piece shows.
#include "qxcore/strings/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
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
constexpr auto npos = std::string::npos;

quarn::string_alias_t text(const std::string& t) { return quarn::string_alias_t(t.c_str()); }

// What an N-byte buffer keeps of `whole`.
template <unsigned int N>
std::string cut(const std::string& whole) {
  return whole.substr(0, N - 1);
}

// A copy of `text` in a block of exactly strlen + 1 bytes.
std::unique_ptr<char[]> exact(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::strcpy(copy.get(), text.c_str());
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

// The rules, on std::string. The name starts after the last '/' or '\'; the
// extension is the name's last dot onwards, and a path that starts with its
// only dot (".profile") keeps it in the name as well.
struct reference_t {
  std::string path, dir, name, ext;
  std::size_t start;
  explicit reference_t(const std::string& p) : path(p) {
    std::size_t sep = p.find_last_of("/\\"), dot = p.rfind('.');
    start = sep == npos ? 0 : sep + 1;
    if (dot != npos && dot < start) dot = npos;
    dir = sep == npos ? "" : p.substr(0, sep);
    ext = dot == npos ? "" : p.substr(dot);
    name =
        dot == npos || (sep == npos && dot == 0) ? p.substr(start) : p.substr(start, dot - start);
  }
  std::string without_ext() const { return path.substr(0, path.size() - ext.size()); }
};

// The char* forms know only '/' and give the extension without its dot.
texts_t raw_reference(const std::string& p) {
  std::size_t slash = p.rfind('/'), dot = p.rfind('.');
  std::size_t start = slash == npos ? 0 : slash + 1;
  if (dot != npos && slash != npos && dot < slash) dot = npos;
  std::size_t name_end = dot == npos ? p.size() : dot;
  return {p.substr(0, slash == npos ? 0 : slash), p.substr(start, name_end - start),
          dot == npos ? "" : p.substr(dot + 1)};
}

std::string compose_reference(const std::string& dir, const std::string& name, const char* ext) {
  std::string out = dir;
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') out += '/';
  out += name;
  if (ext != nullptr && *ext != '\0') out += (*ext == '.' ? "" : ".") + std::string(ext);
  return out;
}

std::vector<std::string> every_short_path() {
  std::vector<std::string> paths{""};
  for (std::size_t i = 0; paths[i].size() < 6; ++i)
    for (char c : std::string("a./\\")) paths.push_back(paths[i] + c);
  return paths;
}

TEST(Paths, SplitsMatchTheReference) {
  const auto paths = every_short_path();
  for (std::size_t index = 0; index < paths.size(); ++index) {
    const std::string& path = paths[index];
    const reference_t r(path);
    dyn_t dir("junk"), name("junk");
    quarn::v_fnsplit(text(path), &dir, &name);
    ASSERT_EQ((texts_t{dir.c_str(), name.c_str()}), (texts_t{r.dir, path.substr(r.start)})) << path;

    const texts_t parts{r.dir, r.name, r.ext};
    fixed_t<4> small[3];
    quarn::v_fnsplit(text(path), &small[0], &small[1], &small[2]);
    ASSERT_EQ((texts_t{small[0].c_str(), small[1].c_str(), small[2].c_str()}),
              (texts_t{cut<4>(r.dir), cut<4>(r.name), cut<4>(r.ext)}))
        << path;
    int mask = static_cast<int>(index % 8);  // null outputs are skipped
    dyn_t out[3] = {dyn_t("-"), dyn_t("-"), dyn_t("-")};
    quarn::v_fnsplit(text(path), mask & 1 ? &out[0] : nullptr, mask & 2 ? &out[1] : nullptr,
                     mask & 4 ? &out[2] : nullptr);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(out[i].c_str(), mask & 1 << i ? parts[i] : "-") << path;
    int which = static_cast<int>(index % 3);  // an output may be the path itself
    dyn_t whole(path.c_str()), a, b;
    mstring_t* outs[3] = {&a, &b, &a};
    outs[2] = outs[which];
    outs[which] = &whole;
    quarn::v_fnsplit(whole, outs[0], outs[1], outs[2]);
    ASSERT_EQ((texts_t{outs[0]->c_str(), outs[1]->c_str(), outs[2]->c_str()}), parts)
        << path << " as " << which;

    auto in = exact(path);
    out_t raw[4];
    quarn::v_fnsplit(in.get(), raw[0].bytes, raw[1].bytes, raw[2].bytes);
    quarn::v_fnsplit(in.get(), nullptr, nullptr, raw[3].bytes);
    const texts_t raw_parts = raw_reference(path);
    ASSERT_EQ((texts_t{raw[0].text(), raw[1].text(), raw[2].text(), raw[3].text()}),
              (texts_t{raw_parts[0], raw_parts[1], raw_parts[2], raw_parts[2]}))
        << path;
    out_t raw_dir, raw_name;
    quarn::v_fnsplit(in.get(), raw_dir.bytes, raw_name.bytes);
    ASSERT_EQ((texts_t{raw_dir.text(), raw_name.text()}),
              (texts_t{raw_parts[0], path.substr(path.rfind('/') + 1)}))
        << path;
  }
}

// Each edit in place, into a growing and an 8-byte string; the extension read
// into a growing and a 3-byte one.
TEST(Paths, EditsMatchTheReference) {
  for (const std::string& path : every_short_path()) {
    const reference_t r(path);
    const std::string absolute = r.path.substr(0, r.start);  // the base's directory
    const std::tuple<std::string, std::string> edits[] = {
        {r.without_ext() + ".d", "ext"},
        {absolute + "n", "name"},
        {absolute + "x", "absolutize x"},
        {path.find_first_of("/\\") == 0 ? path : "a/" + path, "absolutize"},
        {r.start == 0 ? path : r.dir, "remove slash"}};  // cut at the last separator
    auto apply = [&](mstring_t* s, const std::string& what) {
      if (what == "ext") return quarn::v_change_extension(s, text(".d"));
      if (what == "name") return quarn::v_change_filename(s, text("n"));
      if (what == "absolutize x") return quarn::v_absolutize_filename(s, text("x"), *s);
      if (what == "absolutize") return quarn::v_absolutize_filename(s, *s, text("a/b"));
      quarn::v_remove_slash(s);
      return true;
    };
    for (const auto& [expected, what] : edits) {
      dyn_t grown(path.c_str());
      fixed_t<8> small(path.c_str());
      EXPECT_TRUE(apply(&grown, what)) << path << " " << what;
      bool whole = apply(&small, what);
      EXPECT_EQ((texts_t{grown.c_str(), small.c_str()}), (texts_t{expected, cut<8>(expected)}))
          << path << " " << what;
      EXPECT_TRUE(what == "remove slash" || whole == (expected.size() < 8)) << path << " " << what;
    }
    dyn_t ext("junk"), out("previous");
    fixed_t<3> small_ext("ab");
    EXPECT_TRUE(quarn::v_get_extension(text(path), &ext));
    EXPECT_EQ(quarn::v_get_extension(text(path), &small_ext), r.ext.size() < 3) << path;
    EXPECT_EQ((texts_t{ext.c_str(), small_ext.c_str()}), (texts_t{r.ext, cut<3>(r.ext)}));
    EXPECT_TRUE(quarn::v_absolutize_filename(&out, text("x"), text(path)));
    EXPECT_EQ(out.c_str(), absolute + "x");
    for (const std::string& suffix :
         {std::string(), std::string(".a"), path.substr(path.empty() ? 0 : 1), "a" + path})
      EXPECT_EQ(quarn::v_check_extension(text(path), text(suffix)),
                suffix.size() <= path.size() && path.ends_with(suffix))
          << path << " " << suffix;

    auto raw = exact(path);
    quarn::v_remove_slash(raw.get());
    EXPECT_EQ(raw.get(), path.empty() || (path.back() != '/' && path.back() != '\\')
                             ? path
                             : path.substr(0, path.size() - 1));
  }
  EXPECT_FALSE(quarn::v_get_extension(text("a.txt"), nullptr));
  EXPECT_FALSE(quarn::v_change_extension(nullptr, text(".x")));
  EXPECT_FALSE(quarn::v_change_filename(nullptr, text("x")));
  EXPECT_FALSE(quarn::v_absolutize_filename(nullptr, text("x"), text("a/b")));
  quarn::v_remove_slash(static_cast<mstring_t*>(nullptr));
  quarn::v_remove_slash(static_cast<char*>(nullptr));
}

// Each path as the directory, with and without an extension, into a growing
// string, the directory's own buffer (growing and fixed) and an 8-byte string.
TEST(Paths, ComposeMatchesTheReference) {
  for (const std::string& dir : every_short_path()) {
    if (dir.size() > 4) continue;
    for (const char* ext : {static_cast<const char*>(nullptr), "", "t", ".t"}) {
      auto compose = [ext](mstring_t* out, const quarn::string& d) {
        return ext ? quarn::v_fncompose(out, d, text("f"), text(ext))
                   : quarn::v_fncompose(out, d, text("f"));
      };
      const std::string expected = compose_reference(dir, "f", ext);
      dyn_t grown("previous"), same_dyn(dir.c_str());
      fixed_t<8> small("previous");
      fixed_t<32> same_fixed(dir.c_str());  // the directory's own buffer, with no room to grow
      EXPECT_TRUE(compose(&grown, text(dir)) && compose(&same_dyn, same_dyn) &&
                  compose(&same_fixed, same_fixed))
          << expected;
      EXPECT_EQ(compose(&small, text(dir)), expected.size() < 8) << expected;
      EXPECT_EQ((texts_t{grown.c_str(), same_dyn.c_str(), same_fixed.c_str(), small.c_str()}),
                (texts_t{expected, expected, expected, cut<8>(expected)}));
    }
  }
  dyn_t named("f");  // the name in the output's own buffer, which the directory overwrites
  EXPECT_TRUE(quarn::v_fncompose(&named, text("dir"), named, text("txt")));
  EXPECT_STREQ(named.c_str(), "dir/f.txt");
  EXPECT_FALSE(quarn::v_fncompose(nullptr, text("a"), text("b")));
}

// In place in both forms, and the char* copy into a canary-filled buffer.
TEST(PathSeparators, BothFormsConvert) {
  for (const std::string& path : every_short_path()) {
    std::string unix_form = path, dos_form = path;
    std::replace(unix_form.begin(), unix_form.end(), '\\', '/');
    std::replace(dos_form.begin(), dos_form.end(), '/', '\\');
    dyn_t unix(path.c_str()), dos(path.c_str());
    auto raw_unix = exact(path), raw_dos = exact(path), src = exact(path);
    quarn::v_dos2unix_path(&unix);
    quarn::v_unix2dos_path(&dos);
    quarn::v_dos2unix_path(raw_unix.get());
    quarn::v_unix2dos_path(raw_dos.get());
    ASSERT_EQ((texts_t{unix.c_str(), dos.c_str(), raw_unix.get(), raw_dos.get()}),
              (texts_t{unix_form, dos_form, unix_form, dos_form}));
    out_t dst;
    EXPECT_EQ(quarn::v_dos2unix(dst.bytes, src.get()), dst.bytes);
    if (!path.empty()) {  // an empty source writes nothing, checked below
      EXPECT_EQ(dst.text(), unix_form);
    }
  }
  out_t untouched;
  EXPECT_EQ(quarn::v_dos2unix(untouched.bytes, nullptr), untouched.bytes);
  EXPECT_EQ(quarn::v_dos2unix(untouched.bytes, ""), untouched.bytes);
  EXPECT_EQ(untouched.bytes[0], '#');
  EXPECT_EQ(quarn::v_dos2unix(nullptr, "a\\b"), nullptr);
  char overlap[16] = "xxa\\b";
  quarn::v_dos2unix(overlap, overlap + 2);  // the copy moves left over its source
  EXPECT_STREQ(overlap, "a/b");
  quarn::v_dos2unix_path(static_cast<char*>(nullptr));
  quarn::v_unix2dos_path(static_cast<char*>(nullptr));
}

TEST(PathSeparators, Dos2UnixIntoAStringNeverGrows) {
  const std::string report =
      "strings/strings_mutable:165: unknown fn: mstring_t bounds check failed";
  // Into a 4-byte buffer that held "old"; `reported` by the mstring_t bounds check.
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"a\\b", "a/b", false},  // the terminator takes the last byte
      {"\\\\x\\y", "//x", true},
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

// A char* split may write a piece over the path it splits.
TEST(RawPaths, PiecesWrittenOverThePath) {
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

}  // namespace
