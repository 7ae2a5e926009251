// Strings and math values through files: the byte layouts on real host
// files, and the partial-transfer rules through a host file that fails once
// it has moved a given number of bytes.
#include "qxcore/fs/binary_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "qxcore/fs/fs.h"
#include "qxcore/strings/string_fixed.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/counting_hooks.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace quarn;
using calls_t = std::vector<unsigned int>;
using qxtest::file_ptr;

// Moves at most `budget` bytes in all; the call that would pass it fails and
// moves nothing. Logs the size of every call.
struct budget_file_t : file_t {
  explicit budget_file_t(std::string in = {}, size_t budget = ~size_t{0})
      : file_t(nullptr, string_alias_t("budget")), bytes(std::move(in)), left(budget) {}
  bool read(void* buffer, unsigned int size) override {
    if (!spend(size) || at + size > bytes.size()) return false;
    std::memcpy(buffer, bytes.data() + at, size), at += size;
    return true;
  }
  bool write(const void* buffer, unsigned int size) override {
    return spend(size) && (bytes.append(static_cast<const char*>(buffer), size), true);
  }
  bool spend(unsigned int size) {
    calls.push_back(size);
    return size <= left && (left -= size, true);
  }
  std::string bytes;
  size_t at = 0, left;
  calls_t calls;
};

std::string le32(unsigned int v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string floats_1_to(unsigned int n) {  // the file of the floats 1, 2, ..., n
  std::string out;
  for (float f = 1; f <= n; ++f) out += le32(std::bit_cast<unsigned int>(f));
  return out;
}

// `one_to_n` holds 1, 2, ..., n, built member by member in the order of its
// file layout, so the file must hold exactly those floats. Reading fails on
// float k: the first k arrive, float k becomes 0, the rest stay (-1 here),
// unless the type is built only from all of its floats.
template <class T>
void check_layout(const T& one_to_n, unsigned int n, bool whole_or_nothing, file_t* real,
                  std::string* real_bytes) {
  SCOPED_TRACE(n);
  EXPECT_TRUE(file_trait_t<T>::write(one_to_n, *real));
  *real_bytes += floats_1_to(n);
  budget_file_t whole;
  EXPECT_TRUE(file_trait_t<T>::write(one_to_n, whole));
  EXPECT_EQ(whole.calls, calls_t(n, 4));  // one call per float
  for (unsigned int k = 0; k <= n; ++k) {
    budget_file_t in(floats_1_to(n), 4 * k), out({}, 4 * k);
    float got[16];
    std::fill_n(got, n, -1.0f);
    EXPECT_EQ(file_trait_t<T>::read(reinterpret_cast<T*>(got), in), k == n);
    EXPECT_EQ(in.calls.size(), std::min(k + 1, n));
    for (unsigned int i = 0; i < n; ++i) {
      const float one = float(i + 1);
      const float want = k == n ? one : whole_or_nothing ? -1 : i < k ? one : i == k ? 0 : -1;
      EXPECT_EQ(got[i], want) << "float " << i << ", failing on " << k;
    }
    EXPECT_EQ(file_trait_t<T>::write(one_to_n, out), k == n);
    EXPECT_EQ(out.bytes, floats_1_to(k));
  }
}

TEST(BinaryValues, MathLayoutsAndPartialTransfers) {
  qxtest::temp_dir_t dir;
  file_ptr f(fs_create(qxtest::s(dir / "values.bin"), FS_TYPE_NATIVE));
  std::string bytes;
  // Every other type goes through the same float loop; these cover the longest
  // one and a member order that differs from the struct's (w first).
  check_layout(vec_t<float, 3>{1, 2, 3}, 3, false, f.get(), &bytes);
  check_layout(mat_sq_t<float, 4>{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}}, 16,
               false, f.get(), &bytes);
  check_layout(quat_t{1, 2, 3, 4}, 4, false, f.get(), &bytes);
  check_layout(placement_scale_t{{1, 2, 3}, 4, {5, 6, 7, 8}}, 8, false, f.get(), &bytes);
  check_layout(aabox_t{{1, 2, 3}, {4, 5, 6}}, 6, true, f.get(), &bytes);
  f.reset();
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "values.bin"), bytes);
  f.reset(fs_open(qxtest::s(dir / "values.bin"), FS_TYPE_NATIVE));
  aabox_t box;
  ASSERT_TRUE(f->seek(int(bytes.size()) - 24, 0) && file_trait_t<aabox_t>::read(&box, *f));
  EXPECT_TRUE(box.min == (vec_t<float, 3>{1, 2, 3}) && box.max == (vec_t<float, 3>{4, 5, 6}));

  // A plane is normalised on reading; like the box, it stays as it was when a float is missing.
  budget_file_t out;
  ASSERT_TRUE(file_trait_t<plane_t>::write(plane_t({0, 3, 4}, 10), out));
  EXPECT_EQ(out.bytes, le32(0) + le32(0x40400000) + le32(0x40800000) + le32(0x41200000));
  plane_t plane({-1, -1, -1}, -1), kept = plane;
  budget_file_t failing(out.bytes, 12);
  EXPECT_FALSE(file_trait_t<plane_t>::read(&plane, failing));
  EXPECT_EQ(std::memcmp(&plane, &kept, sizeof plane), 0);
  ASSERT_TRUE(file_trait_t<plane_t>::read(&plane, out));
  EXPECT_TRUE(plane.normal == (vec_t<float, 3>{0, 0.6f, 0.8f}) && plane.d == 2);
  budget_file_t identity;
  ASSERT_TRUE(file_trait_t<quat_t>::write(quat_t::zero, identity));
  EXPECT_EQ(identity.bytes, le32(0x3f800000) + std::string(12, '\0'));
}

TEST(BinaryValues, StringsOnRealFilesOneBytePerCall) {
  qxtest::temp_dir_t dir;
  const char* texts[] = {"", "abc", "x\xff y"};
  file_ptr f(fs_create(qxtest::s(dir / "strings.bin"), FS_TYPE_NATIVE));
  for (const char* text : texts) EXPECT_TRUE(string_alias_t(text).write(*f));
  f.reset(fs_open(qxtest::s(dir / "strings.bin"), FS_TYPE_NATIVE));
  EXPECT_EQ(qxtest::temp_dir_t::read(dir / "strings.bin"),
            std::string(8, '\0') + le32(3) + le32(0) + "abc" + le32(4) + le32(0) + "x\xff y");
  string_dyn_t<> text("old");
  for (const char* want : texts) EXPECT_TRUE(text.read(*f) && text == want) << want;
  EXPECT_FALSE(text.read(*f));  // at the end: the length is missing
  EXPECT_EQ(text, "x\xff y");

  budget_file_t out, cut_length({}, 7), cut_text({}, 9);
  ASSERT_TRUE(string_alias_t("abc").write(out));
  EXPECT_EQ(out.calls, calls_t({8, 1, 1, 1}));
  // Each stops at its first failed write.
  EXPECT_FALSE(string_alias_t("abc").write(cut_length));
  EXPECT_FALSE(string_alias_t("abc").write(cut_text));
  EXPECT_EQ(cut_length.calls.size(), 1u);
  EXPECT_EQ(cut_text.calls.size(), 3u);
  budget_file_t in(out.bytes), refused(out.bytes);
  ASSERT_TRUE(text.read(in));
  EXPECT_EQ(in.calls, calls_t({8, 1, 1, 1}));
  qxtest::allocation_failure_scope_t no_heap(0);  // the buffer cannot grow
  string_dyn_t<> empty;
  EXPECT_FALSE(empty.read(refused));
  EXPECT_EQ(refused.calls.size(), 1u);
}

TEST(BinaryValues, StringReadFailures) {
  const std::string abc = le32(3) + le32(0) + "abc";
  struct {
    std::string bytes;
    size_t budget;
    bool dyn_ok;
    const char* dyn;  // what a growing string holds afterwards ("old" before)
    bool fixed_ok;
    const char* fixed;  // the same for a string_fixed_t<4>
  } cases[] = {
      {le32(3) + le32(0xFFFFFFFF) + "abc", 100, true, "abc", true, "abc"},  // high word ignored
      {le32(4) + le32(0) + "abcd", 100, true, "abcd", false, "old"},        // no room for 5 bytes
      {abc, 10, false, "ab", false, "ab"},   // the text read so far is terminated
      {abc, 7, false, "old", false, "old"},  // the length cannot be read
      {abc.substr(0, 5), 100, false, "old", false, "old"},
      {le32(0xFFFFFFFF) + le32(0) + "abc", 100, false, "old", false, "old"},  // too long
  };
  for (const auto& c : cases) {
    budget_file_t in_dyn(c.bytes, c.budget), in_fixed(c.bytes, c.budget);
    string_dyn_t<> dyn("old");
    string_fixed_t<4> fixed("old");
    EXPECT_EQ(dyn.read(in_dyn), c.dyn_ok) << c.dyn;
    EXPECT_EQ(fixed.read(in_fixed), c.fixed_ok) << c.fixed;
    EXPECT_TRUE(dyn == c.dyn && fixed == c.fixed) << dyn.c_str() << " " << fixed.c_str();
  }
}

}  // namespace
