// The virtual path space over real host directories: priorities, prefixes,
// read-only overlays, merged listings, locations, priority ranges, matching,
// and paths that try to leave a device's root.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "qxcore/fs/file_matching.h"
#include "qxcore/fs/fs.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/temp_dir.h"

namespace {

using quarn::FS_DEVICE_DIRECTORY;
using quarn::FS_TYPE_VIRTUAL;
using qxtest::listing;
using qxtest::listing_t;
using qxtest::mounts_t;
using qxtest::read_all;
using qxtest::s;

TEST(MountTable, HigherPriorityWinsRangesSelectAndUnmountUncoversTheNext) {
  qxtest::temp_dir_t a, b;
  a.write("x", "from A");
  b.write("x", "from B");
  b.write("only_b", "B alone");
  mounts_t mounts;
  mounts.add(FS_DEVICE_DIRECTORY, a.path(), 60);
  mounts.add(FS_DEVICE_DIRECTORY, b.path(), 50);
  EXPECT_EQ(read_all("/x"), "from A");
  EXPECT_EQ(read_all("/only_b"), "B alone");
  // A device takes part when lo <= its priority <= hi.
  const std::pair<quarn::fs_priority_range_t, std::string> cases[] = {
      {{-1, 50}, "from B"}, {{50, 60}, "from A"}, {{60, 99}, "from A"}, {{51, 59}, ""}};
  for (const auto& [range, expected] : cases) {
    qxtest::file_ptr f(quarn::fs_mount_table()->open(s("/x"), range));
    std::string bytes(f ? f->size() : 0, '\0');
    EXPECT_TRUE(f == nullptr || f->read(bytes.data(), static_cast<unsigned int>(bytes.size())));
    EXPECT_EQ(bytes, expected) << range.lo << ".." << range.hi;
  }
  quarn::ufs_unmount(mounts.devices[0]);
  mounts.devices.erase(mounts.devices.begin());
  EXPECT_EQ(read_all("/x"), "from B");
  EXPECT_TRUE(quarn::ufs_file_exists(s("/x")));
  EXPECT_FALSE(quarn::ufs_file_exists(s("/nothing")));
}

TEST(MountTable, PrefixesAreByteComparisons) {
  // The root is used verbatim: "/homework/a" under prefix "/home" maps to
  // root + "work/a", a sibling named "rwork" of the root "r".
  qxtest::temp_dir_t dir;
  dir.write("r/profiles/p.txt", "profile");
  dir.write("rwork/a", "homework");
  mounts_t mounts;
  auto* device = mounts.add(FS_DEVICE_DIRECTORY, dir / "r", 10, false, "/home");
  EXPECT_EQ(read_all("/home/profiles/p.txt"), "profile");
  EXPECT_EQ(read_all("/homework/a"), "homework");
  EXPECT_EQ(read_all("/def/p.txt"), "<missing>");

  quarn::string_dyn_t<> host, location;
  device->get_path(&host, s("/home/profiles/p.txt"));
  EXPECT_EQ(host.c_str(), dir / "r/profiles/p.txt");
  qxtest::file_ptr f(quarn::fs_open(s("/home/profiles/p.txt"), FS_TYPE_VIRTUAL));
  ASSERT_TRUE(f->get_location(&location));
  EXPECT_STREQ(location.c_str(), "/home/profiles/p.txt");
  EXPECT_EQ(f->device_name().c_str(), dir / "r");
  EXPECT_EQ(f->get_fs_type(), FS_TYPE_VIRTUAL);
}

TEST(MountTable, ReadOnlyDevicesPassChangesToTheNextWritableOne) {
  qxtest::temp_dir_t data, user;
  data.write("def/a.dat", "shipped");
  mounts_t mounts;
  mounts.add(FS_DEVICE_DIRECTORY, data.path(), 80);
  mounts.add(FS_DEVICE_DIRECTORY, user.path(), 20, false);
  {
    qxtest::file_ptr f(quarn::fs_create(s("/a/b/c.txt"), FS_TYPE_VIRTUAL));
    ASSERT_NE(f, nullptr);
    f->printf("made");
  }
  EXPECT_EQ(qxtest::temp_dir_t::read(user / "a/b/c.txt"), "made");  // "a" and "a/b" were made
  EXPECT_FALSE(std::filesystem::exists(data / "a"));
  EXPECT_TRUE(quarn::fs_mkdir(s("/made_dir"), FS_TYPE_VIRTUAL));
  EXPECT_TRUE(std::filesystem::is_directory(user / "made_dir"));
  // A file only the read-only device has cannot be removed through the table.
  EXPECT_FALSE(quarn::fs_remove(s("/def/a.dat"), FS_TYPE_VIRTUAL));
  EXPECT_TRUE(quarn::fs_remove(s("/a/b/c.txt"), FS_TYPE_VIRTUAL));
  EXPECT_FALSE(quarn::fs_rmdir(s("/a/b/none"), FS_TYPE_VIRTUAL));
}

TEST(MountTable, ListingsMergeWithTheHigherPriorityEntryWinning) {
  qxtest::temp_dir_t high, low;
  high.write("a", "file in high");
  high.write("x", "x");
  std::filesystem::create_directories(low / "a");  // a directory of the same name, lower
  std::filesystem::create_directories(low / "sub");
  low.write("y", "y");
  low.write(".svn/entries", "hidden");
  mounts_t mounts;
  mounts.add(FS_DEVICE_DIRECTORY, high.path(), 60);
  mounts.add(quarn::FS_DEVICE_LISTING, low.path(), 50);
  EXPECT_EQ(listing("/", false), (listing_t{{"a", 0}, {"x", 0}, {"y", 0}, {"sub", 1}}));
  // Full names are the path given, "/" and the name, for every path.
  EXPECT_EQ(listing("/"), (listing_t{{"//a", 0}, {"//x", 0}, {"//y", 0}, {"//sub", 1}}));
  EXPECT_EQ(listing(""), (listing_t{{"/a", 0}, {"/x", 0}, {"/y", 0}, {"/sub", 1}}));
  EXPECT_TRUE(listing("/no/such/dir").empty());  // empty, not null

  // The higher device's entries come first, in its order.
  std::unique_ptr<quarn::list_t<quarn::fs_direntry_t>> ordered(
      quarn::fs_read_dir(s("/"), false, FS_TYPE_VIRTUAL));
  std::set<std::string> first_two{(*ordered->begin()).name.c_str(),
                                  (*++ordered->begin()).name.c_str()};
  EXPECT_EQ(first_two, (std::set<std::string>{"a", "x"}));

  // The listing device lists, but never opens.
  EXPECT_EQ(read_all("/y"), "<missing>");
  quarn::fs_stat_t status;
  EXPECT_TRUE(quarn::fs_stat(s("/y"), &status, FS_TYPE_VIRTUAL));
}

TEST(MountTable, PathsNeverLeaveTheRoot) {
  qxtest::temp_dir_t outside;
  outside.write("secret.txt", "outside the root");
  outside.write("root/sub/inside.txt", "inside");
  mounts_t mounts;
  mounts.add(FS_DEVICE_DIRECTORY, outside / "root", 10, false);
  EXPECT_EQ(read_all("/sub/inside.txt"), "inside");
  for (const char* path : {"/../secret.txt", "/sub/../../secret.txt", "/sub/.."}) {
    EXPECT_EQ(read_all(path), "<missing>") << path;
    EXPECT_FALSE(quarn::fs_stat(s(path), nullptr, FS_TYPE_VIRTUAL)) << path;
    EXPECT_EQ(quarn::fs_create(s(path), FS_TYPE_VIRTUAL), nullptr) << path;
    EXPECT_FALSE(quarn::fs_remove(s(path), FS_TYPE_VIRTUAL)) << path;
    EXPECT_TRUE(listing(path, false).empty()) << path;
  }
  EXPECT_EQ(qxtest::temp_dir_t::read(outside / "secret.txt"), "outside the root");
  EXPECT_EQ(read_all("/..hidden"), "<missing>");  // a name that merely starts with ".." is fine
}

TEST(MountTable, MatchingFilesDepthFirst) {
  qxtest::temp_dir_t tree;
  for (const char* f :
       {"a.tga", "b.dat", "sub/c.tga", "sub/deeper/d.tga", "sub/deeper/e.TGA", "z/f.tga"})
    tree.write(f, f);
  mounts_t mounts;
  mounts.add(FS_DEVICE_DIRECTORY, tree.path(), 10);
  auto match = [](const char* dir, const quarn::string& ext, bool recursive) {
    std::unique_ptr<quarn::list_t<quarn::fs_direntry_t>> found(
        quarn::fs_match_files(s(dir), FS_TYPE_VIRTUAL, ext, recursive));
    std::vector<std::string> out;
    for (const auto& e : *found) out.push_back(e.name.c_str());
    return out;
  };
  EXPECT_EQ(match("/", s(".tga"), false), std::vector<std::string>{"//a.tga"});
  auto all = match("", s(".tga"), true);
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all,
            (std::vector<std::string>{"/a.tga", "/sub/c.tga", "/sub/deeper/d.tga", "/z/f.tga"}));
  EXPECT_EQ(match("/sub", quarn::string::EMPTY, false), std::vector<std::string>{"/sub/c.tga"});

  // Depth first: the files below any one directory come out together.
  auto ordered = match("", quarn::string::EMPTY, true);
  EXPECT_EQ(ordered.size(), 6u);
  for (const char* dir : {"/sub/", "/sub/deeper/", "/z/"}) {
    auto inside = [&](const std::string& name) { return name.rfind(dir, 0) == 0; };
    auto after = std::find_if_not(std::find_if(ordered.begin(), ordered.end(), inside),
                                  ordered.end(), inside);
    EXPECT_EQ(std::find_if(after, ordered.end(), inside), ordered.end()) << dir;
  }
}

TEST(MountTable, UnknownKindsAndUnmountWithoutMounts) {
  EXPECT_EQ(quarn::ufs_mount(static_cast<quarn::fs_device_type_t>(4), s("/tmp"), s(""), true, 0), nullptr);
  quarn::ufs_unmount(nullptr);
}

}  // namespace
