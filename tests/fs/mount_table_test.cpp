// The virtual path space over real host directories: priorities, prefixes,
// read-only overlays, merged listings, locations, priority ranges, matching,
// and paths that try to leave a device's root.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "qxcore/fs/file_matching.h"
#include "qxcore/fs/fs.h"
#include "tests/fs/temp_dir.h"

namespace {

using quarn::string_alias_t;
using file_ptr = std::unique_ptr<quarn::file_t>;
using listing_ptr = std::unique_ptr<quarn::list_t<quarn::fs_direntry_t>>;

string_alias_t s(const std::string& text) { return string_alias_t(text.c_str()); }

// Unmounts whatever a test mounted, even when an assertion ends it early.
struct mounts_t {
  std::vector<quarn::ufs_device_t*> devices;
  quarn::ufs_device_t* add(quarn::fs_device_type_t kind, const std::string& root, const std::string& prefix,
                           bool read_only, int priority) {
    devices.push_back(quarn::ufs_mount(kind, s(root), s(prefix), read_only, priority));
    return devices.back();
  }
  ~mounts_t() {
    for (auto* d : devices) quarn::ufs_unmount(d);
  }
};

std::string read_all(const std::string& virtual_path) {
  file_ptr f(quarn::fs_open(s(virtual_path), quarn::FS_TYPE_VIRTUAL));
  if (f == nullptr) return "<missing>";
  std::string bytes(f->size(), '\0');
  return f->read(bytes.data(), static_cast<unsigned int>(bytes.size())) ? bytes : "<unreadable>";
}

std::map<std::string, unsigned int> names(quarn::list_t<quarn::fs_direntry_t>* listing) {
  std::map<std::string, unsigned int> out;
  for (const auto& e : *listing) out[e.name.c_str()] = e.is_directory;
  delete listing;
  return out;
}

TEST(MountTable, HigherPriorityWinsAndUnmountUncoversTheNext) {
  qxtest::temp_dir_t a, b;
  a.write("x", "from A");
  b.write("x", "from B");
  b.write("only_b", "B alone");
  mounts_t mounts;
  auto* device_a = mounts.add(quarn::FS_DEVICE_DIRECTORY, a.path(), "", true, 60);
  mounts.add(quarn::FS_DEVICE_DIRECTORY, b.path(), "", true, 50);
  EXPECT_EQ(read_all("/x"), "from A");
  EXPECT_EQ(read_all("/only_b"), "B alone");
  quarn::ufs_unmount(device_a);
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
  auto* device = mounts.add(quarn::FS_DEVICE_DIRECTORY, dir / "r", "/home", false, 10);
  EXPECT_EQ(read_all("/home/profiles/p.txt"), "profile");
  EXPECT_EQ(read_all("/homework/a"), "homework");
  EXPECT_EQ(read_all("/def/p.txt"), "<missing>");

  quarn::string_dyn_t<> host;
  device->get_path(&host, s("/home/profiles/p.txt"));
  EXPECT_STREQ(host.c_str(), (dir / "r/profiles/p.txt").c_str());
  file_ptr f(quarn::fs_open(s("/home/profiles/p.txt"), quarn::FS_TYPE_VIRTUAL));
  quarn::string_dyn_t<> location;
  ASSERT_TRUE(f->get_location(&location));
  EXPECT_STREQ(location.c_str(), "/home/profiles/p.txt");
  EXPECT_STREQ(f->device_name().c_str(), (dir / "r").c_str());
  EXPECT_EQ(f->get_fs_type(), quarn::FS_TYPE_VIRTUAL);
}

TEST(MountTable, ReadOnlyDevicesPassChangesToTheNextWritableOne) {
  qxtest::temp_dir_t data, user;
  data.write("def/a.dat", "shipped");
  mounts_t mounts;
  mounts.add(quarn::FS_DEVICE_DIRECTORY, data.path(), "", true, 80);
  mounts.add(quarn::FS_DEVICE_DIRECTORY, user.path(), "", false, 20);
  {
    file_ptr f(quarn::fs_create(s("/a/b/c.txt"), quarn::FS_TYPE_VIRTUAL));
    ASSERT_NE(f, nullptr);
    f->printf("made");
  }
  EXPECT_EQ(qxtest::temp_dir_t::read(user / "a/b/c.txt"), "made");  // "a" and "a/b" were made
  EXPECT_FALSE(std::filesystem::exists(data / "a"));
  EXPECT_TRUE(quarn::fs_mkdir(s("/made_dir"), quarn::FS_TYPE_VIRTUAL));
  EXPECT_TRUE(std::filesystem::is_directory(user / "made_dir"));
  // A file only the read-only device has cannot be removed through the table.
  EXPECT_FALSE(quarn::fs_remove(s("/def/a.dat"), quarn::FS_TYPE_VIRTUAL));
  EXPECT_TRUE(quarn::fs_remove(s("/a/b/c.txt"), quarn::FS_TYPE_VIRTUAL));
  EXPECT_FALSE(quarn::fs_rmdir(s("/a/b/none"), quarn::FS_TYPE_VIRTUAL));
}

TEST(MountTable, ListingsMergeWithTheHigherPriorityEntryWinning) {
  qxtest::temp_dir_t high, low;
  high.write("a", "file in high");
  high.write("x", "x");
  std::filesystem::create_directories(low / "a");  // a directory of the same name, lower
  low.write("y", "y");
  low.write(".svn/entries", "hidden");
  std::filesystem::create_directories(low / "sub");
  mounts_t mounts;
  mounts.add(quarn::FS_DEVICE_DIRECTORY, high.path(), "", true, 60);
  mounts.add(quarn::FS_DEVICE_LISTING, low.path(), "", true, 50);

  auto bare = names(quarn::fs_read_dir(s("/"), false, quarn::FS_TYPE_VIRTUAL));
  EXPECT_EQ(bare, (std::map<std::string, unsigned int>{{"a", 0}, {"x", 0}, {"y", 0}, {"sub", 1}}));
  auto full = names(quarn::fs_read_dir(s("/"), true, quarn::FS_TYPE_VIRTUAL));
  EXPECT_EQ(full, (std::map<std::string, unsigned int>{{"/a", 0}, {"/x", 0}, {"/y", 0}, {"/sub", 1}}));

  // The higher device's entries come first, in its order.
  listing_ptr ordered(quarn::fs_read_dir(s("/"), false, quarn::FS_TYPE_VIRTUAL));
  std::set<std::string> first_two{(*ordered->begin()).name.c_str(), (*++ordered->begin()).name.c_str()};
  EXPECT_EQ(first_two, (std::set<std::string>{"a", "x"}));

  listing_ptr unknown(quarn::fs_read_dir(s("/no/such/dir"), false, quarn::FS_TYPE_VIRTUAL));
  ASSERT_NE(unknown, nullptr);
  EXPECT_TRUE(unknown->empty());

  // The listing device lists, but never opens.
  EXPECT_EQ(read_all("/y"), "<missing>");
  quarn::fs_stat_t status;
  EXPECT_TRUE(quarn::fs_stat(s("/y"), &status, quarn::FS_TYPE_VIRTUAL));
}

TEST(MountTable, PriorityRangesSelectDevices) {
  qxtest::temp_dir_t deps, sources;
  deps.write("f", "deps");
  sources.write("f", "sources");
  mounts_t mounts;
  mounts.add(quarn::FS_DEVICE_DIRECTORY, sources.path(), "", true, 450);
  mounts.add(quarn::FS_DEVICE_DIRECTORY, deps.path(), "", true, 0);
  quarn::fs_mount_table_t* table = quarn::fs_mount_table();
  struct {
    quarn::fs_priority_range_t range;
    const char* expected;
  } cases[] = {{{-1, 1}, "deps"}, {{401, 499}, "sources"}, {{0, 450}, "sources"}, {{1, 449}, nullptr}};
  for (const auto& c : cases) {
    file_ptr f(table->open(s("/f"), c.range));
    if (c.expected == nullptr) {
      EXPECT_EQ(f, nullptr);
      continue;
    }
    ASSERT_NE(f, nullptr);
    std::string bytes(f->size(), '\0');
    f->read(bytes.data(), static_cast<unsigned int>(bytes.size()));
    EXPECT_EQ(bytes, c.expected) << c.range.lo << ".." << c.range.hi;
  }
}

TEST(MountTable, PathsNeverLeaveTheRoot) {
  qxtest::temp_dir_t outside;
  outside.write("secret.txt", "outside the root");
  std::filesystem::create_directories(outside / "root/sub");
  outside.write("root/inside.txt", "inside");
  mounts_t mounts;
  mounts.add(quarn::FS_DEVICE_DIRECTORY, outside / "root", "", false, 10);
  EXPECT_EQ(read_all("/inside.txt"), "inside");
  for (const char* path : {"/../secret.txt", "/sub/../../secret.txt", "/sub/.."}) {
    EXPECT_EQ(read_all(path), "<missing>") << path;
    EXPECT_FALSE(quarn::fs_stat(s(path), nullptr, quarn::FS_TYPE_VIRTUAL)) << path;
    EXPECT_EQ(quarn::fs_create(s(path), quarn::FS_TYPE_VIRTUAL), nullptr) << path;
    EXPECT_FALSE(quarn::fs_remove(s(path), quarn::FS_TYPE_VIRTUAL)) << path;
    listing_ptr listing(quarn::fs_read_dir(s(path), false, quarn::FS_TYPE_VIRTUAL));
    EXPECT_TRUE(listing->empty()) << path;
  }
  EXPECT_EQ(qxtest::temp_dir_t::read(outside / "secret.txt"), "outside the root");
  EXPECT_EQ(read_all("/..hidden"), "<missing>");  // a name that merely starts with ".." is fine
}

TEST(MountTable, MatchingFilesDepthFirst) {
  qxtest::temp_dir_t tree;
  for (const char* f : {"a.tga", "b.dat", "sub/c.tga", "sub/deeper/d.tga", "sub/deeper/e.TGA", "z/f.tga"})
    tree.write(f, f);
  mounts_t mounts;
  mounts.add(quarn::FS_DEVICE_DIRECTORY, tree.path(), "", true, 10);
  auto collect = [](quarn::list_t<quarn::fs_direntry_t>* found) {
    std::vector<std::string> out;
    for (const auto& e : *found) out.push_back(e.name.c_str());
    delete found;
    return out;
  };
  auto all = collect(quarn::fs_match_files(s("/"), quarn::FS_TYPE_VIRTUAL, s(".tga"), true));
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<std::string>{"/a.tga", "/sub/c.tga", "/sub/deeper/d.tga", "/z/f.tga"}));
  auto shallow = collect(quarn::fs_match_files(s("/sub"), quarn::FS_TYPE_VIRTUAL, quarn::string::EMPTY, false));
  EXPECT_EQ(shallow, std::vector<std::string>{"/sub/c.tga"});

  // Depth first: the files below any one directory come out together.
  auto ordered = collect(quarn::fs_match_files(s("/"), quarn::FS_TYPE_VIRTUAL, quarn::string::EMPTY, true));
  EXPECT_EQ(ordered.size(), 6u);
  for (const char* dir : {"/sub/", "/sub/deeper/", "/z/"}) {
    auto inside = [&](const std::string& name) { return name.rfind(dir, 0) == 0; };
    auto first = std::find_if(ordered.begin(), ordered.end(), inside);
    auto after = std::find_if_not(first, ordered.end(), inside);
    EXPECT_EQ(std::find_if(after, ordered.end(), inside), ordered.end()) << dir;
  }
}

TEST(MountTable, UnknownKindsAndUnmountWithoutMounts) {
  EXPECT_EQ(quarn::ufs_mount(static_cast<quarn::fs_device_type_t>(4), s("/tmp"), s(""), true, 0), nullptr);
  EXPECT_EQ(quarn::ufs_mount(quarn::FS_DEVICE_CONVERTING, s("/tmp"), s(""), true, 0), nullptr);
  quarn::ufs_unmount(nullptr);
}

}  // namespace
