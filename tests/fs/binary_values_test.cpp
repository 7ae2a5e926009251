// Strings and math values through files: the byte layouts on real host
// files, and the partial-transfer rules through a host file that fails once
// it has moved a given number of bytes.
#include "qxcore/fs/binary_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <typeinfo>
#include <vector>

#include "qxcore/fs/fs.h"
#include "qxcore/strings/string_fixed.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/counting_hooks.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace quarn;
using qxtest::file_ptr;
using qxtest::s;

// A host file over bytes in memory that moves at most `budget` bytes in all;
// the call that would pass the budget fails and moves nothing. Logs the size
// of every call.
class budget_file_t : public file_t {
 public:
  explicit budget_file_t(std::string bytes = {}, size_t budget = ~size_t{0})
      : file_t(nullptr, string_alias_t("budget")), bytes_(std::move(bytes)), budget_(budget) {}
  bool read(void* buffer, unsigned int size) override {
    calls.push_back(size);
    if (!spend(size) || at_ + size > bytes_.size()) return false;
    std::memcpy(buffer, bytes_.data() + at_, size);
    at_ += size;
    return true;
  }
  bool write(const void* buffer, unsigned int size) override {
    calls.push_back(size);
    if (!spend(size)) return false;
    bytes_.append(static_cast<const char*>(buffer), size);
    return true;
  }
  const std::string& bytes() const { return bytes_; }
  std::vector<unsigned int> calls;

 private:
  bool spend(unsigned int size) {
    if (size > budget_) return false;
    budget_ -= size;
    return true;
  }
  std::string bytes_;
  size_t at_ = 0;
  size_t budget_;
};

std::string le32(unsigned int v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string floats_1_to(unsigned int n) {  // the file of the floats 1, 2, ..., n
  std::string out;
  for (unsigned int i = 1; i <= n; ++i) {
    float f = float(i);
    unsigned int bits;
    std::memcpy(&bits, &f, 4);
    out += le32(bits);
  }
  return out;
}

// Each type holds 1, 2, ..., n when constructed member by member in the
// order of its file layout; the file must then hold exactly those floats.
template <class T>
void check_layout_and_partial_reads(const T& one_to_n, unsigned int n, bool whole_or_nothing,
                                    const qxtest::temp_dir_t& dir) {
  SCOPED_TRACE(testing::Message() << n << " floats of " << typeid(T).name());
  const std::string path = dir / "value.bin";
  {
    file_ptr f(fs_create(s(path), FS_TYPE_NATIVE));
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(file_trait_t<T>::write(one_to_n, *f));
  }
  EXPECT_EQ(qxtest::temp_dir_t::read(path), floats_1_to(n));
  file_ptr f(fs_open(s(path), FS_TYPE_NATIVE));
  float back[16];
  std::fill_n(back, n, -1.0f);
  ASSERT_TRUE(file_trait_t<T>::read(reinterpret_cast<T*>(back), *f));
  EXPECT_EQ(std::memcmp(back, &one_to_n, 4 * n), 0);

  budget_file_t whole;
  EXPECT_TRUE(file_trait_t<T>::write(one_to_n, whole));
  EXPECT_EQ(whole.calls, std::vector<unsigned int>(n, 4));  // one call per float

  // Fail on float k: the first k arrive, float k becomes 0, the rest stay
  // (-1 here), unless the type is built only from all of its floats.
  for (unsigned int k = 0; k < n; ++k) {
    budget_file_t file(floats_1_to(n), 4 * k);
    float got[16];
    std::fill_n(got, n, -1.0f);
    EXPECT_FALSE(file_trait_t<T>::read(reinterpret_cast<T*>(got), file)) << k;
    EXPECT_EQ(file.calls.size(), k + 1);
    for (unsigned int i = 0; i < n; ++i) {
      float want = whole_or_nothing ? -1.0f : i < k ? float(i + 1) : i == k ? 0.0f : -1.0f;
      EXPECT_EQ(got[i], want) << "float " << i << " after failing on " << k;
    }
    budget_file_t sink({}, 4 * k);
    EXPECT_FALSE(file_trait_t<T>::write(one_to_n, sink));
    EXPECT_EQ(sink.bytes(), floats_1_to(k));
  }
}

TEST(BinaryValues, MathLayoutsAndPartialTransfers) {
  qxtest::temp_dir_t dir;
  check_layout_and_partial_reads(vec_t<float, 2>{1, 2}, 2, false, dir);
  check_layout_and_partial_reads(vec_t<float, 3>{1, 2, 3}, 3, false, dir);
  check_layout_and_partial_reads(vec_t<float, 4>{1, 2, 3, 4}, 4, false, dir);
  check_layout_and_partial_reads(mat_sq_t<float, 2>{{1, 2, 3, 4}}, 4, false, dir);
  check_layout_and_partial_reads(mat_sq_t<float, 3>{{1, 2, 3, 4, 5, 6, 7, 8, 9}}, 9, false, dir);
  check_layout_and_partial_reads(
      mat_sq_t<float, 4>{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}}, 16, false, dir);
  check_layout_and_partial_reads(quat_t{1, 2, 3, 4}, 4, false, dir);  // w first
  check_layout_and_partial_reads(placement_t{{1, 2, 3}, {4, 5, 6, 7}}, 7, false, dir);
  check_layout_and_partial_reads(placement_scale_t{{1, 2, 3}, 4, {5, 6, 7, 8}}, 8, false, dir);
  check_layout_and_partial_reads(placement_nonuniform_t{{1, 2, 3}, {4, 5, 6}, {7, 8, 9, 10}}, 10,
                                 false, dir);
  check_layout_and_partial_reads(sphere_t{{1, 2, 3}, 4}, 4, false, dir);
  check_layout_and_partial_reads(aabox_t{{1, 2, 3}, {4, 5, 6}}, 6, true, dir);
  // A plane is normalised on reading, so it is checked on its own below;
  // like the box, it stays as it was when a float is missing.
  budget_file_t failing(floats_1_to(4), 12);
  plane_t plane({-1, -1, -1}, -1);
  EXPECT_FALSE(file_trait_t<plane_t>::read(&plane, failing));
  EXPECT_EQ(std::vector<float>({plane.normal.x, plane.normal.y, plane.normal.z, plane.d}),
            std::vector<float>({-1, -1, -1, -1}));
}

TEST(BinaryValues, PlaneIsNormalisedAndIdentityQuatIsOneThenZeros) {
  budget_file_t layout;
  ASSERT_TRUE(file_trait_t<plane_t>::write(plane_t({1, 2, 3}, 4), layout));
  EXPECT_EQ(layout.bytes(), floats_1_to(4));
  budget_file_t file;
  ASSERT_TRUE(file_trait_t<plane_t>::write(plane_t({0, 3, 4}, 10), file));
  plane_t plane;
  ASSERT_TRUE(file_trait_t<plane_t>::read(&plane, file));
  EXPECT_EQ(std::vector<float>({plane.normal.x, plane.normal.y, plane.normal.z, plane.d}),
            std::vector<float>({0, 0.6f, 0.8f, 2}));

  budget_file_t identity;
  ASSERT_TRUE(file_trait_t<quat_t>::write(quat_t::zero, identity));
  EXPECT_EQ(identity.bytes(), std::string("\0\0\x80\x3f", 4) + std::string(12, '\0'));
}

TEST(BinaryValues, StringsOnRealFiles) {
  qxtest::temp_dir_t dir;
  const std::string path = dir / "strings.bin";
  {
    file_ptr f(fs_create(s(path), FS_TYPE_NATIVE));
    for (const char* text : {"", "abc", "x\xff y"}) EXPECT_TRUE(string_alias_t(text).write(*f));
  }
  EXPECT_EQ(qxtest::temp_dir_t::read(path),
            std::string(8, '\0') + le32(3) + le32(0) + "abc" + le32(4) + le32(0) + "x\xff y");
  file_ptr f(fs_open(s(path), FS_TYPE_NATIVE));
  string_dyn_t<> text("old");
  for (const char* want : {"", "abc", "x\xff y"}) {
    ASSERT_TRUE(text.read(*f));
    EXPECT_EQ(text, want);
  }
  EXPECT_FALSE(text.read(*f));  // at the end: the length is missing
  EXPECT_EQ(text, "x\xff y");
}

TEST(BinaryValues, StringTransfersOneBytePerCallAndTheirFailures) {
  const std::string abc = le32(3) + le32(0) + "abc";
  budget_file_t out;
  ASSERT_TRUE(string_alias_t("abc").write(out));
  EXPECT_EQ(out.bytes(), abc);
  EXPECT_EQ(out.calls, std::vector<unsigned int>({8, 1, 1, 1}));
  budget_file_t cut({}, 9);
  EXPECT_FALSE(string_alias_t("abc").write(cut));
  EXPECT_EQ(cut.calls.size(), 3u);  // stops at the first failed write

  struct case_t {
    std::string bytes;
    size_t budget;
    bool dyn_ok;
    const char* dyn;  // what a growing string holds afterwards ("old" before)
    bool fixed_ok;
    const char* fixed;  // the same for a string_fixed_t<4>
  } cases[] = {
      {abc, 100, true, "abc", true, "abc"},
      {le32(3) + le32(0xFFFFFFFF) + "abc", 100, true, "abc", true, "abc"},  // high word ignored
      {le32(4) + le32(0) + "abcd", 100, true, "abcd", false, "old"},        // no room for 5 bytes
      {abc, 10, false, "ab", false, "ab"},   // the text read so far is terminated
      {abc, 7, false, "old", false, "old"},  // the length cannot be read
      {abc.substr(0, 5), 100, false, "old", false, "old"},
      {le32(0xFFFFFFFF) + le32(0) + "abc", 100, false, "old", false, "old"},  // too long
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    budget_file_t in_dyn(c.bytes, c.budget), in_fixed(c.bytes, c.budget);
    string_dyn_t<> dyn("old");
    string_fixed_t<4> fixed("old");
    EXPECT_EQ(dyn.read(in_dyn), c.dyn_ok);
    EXPECT_EQ(dyn, c.dyn);
    EXPECT_EQ(fixed.read(in_fixed), c.fixed_ok);
    EXPECT_EQ(fixed, c.fixed);
  }
  budget_file_t in(abc), refused(abc);
  string_dyn_t<> text, empty;
  ASSERT_TRUE(text.read(in));
  EXPECT_EQ(in.calls, std::vector<unsigned int>({8, 1, 1, 1}));
  qxtest::allocation_failure_scope_t no_heap(0);  // the buffer cannot grow
  EXPECT_FALSE(empty.read(refused));
  EXPECT_EQ(refused.calls.size(), 1u);
}

}  // namespace
