// The virtual path space. Over real host directories: priorities, prefixes,
// read-only overlays, merged listings, locations, priority ranges, matching,
// and paths that try to leave a device's root. Over real archives (Info-ZIP
// `zip -0`, Python's zipfile): every member against its source and every
// listing against what zipfile reads; over crafted archives, every report of
// the central-directory scan.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "qxcore/fs/file_matching.h"
#include "qxcore/fs/fs.h"
#include "qxcore/fs/zipfs_device.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/capture_sink.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_writer/stored_zip.h"

namespace {

using quarn::FS_DEVICE_DIRECTORY;
using quarn::FS_TYPE_VIRTUAL;
using qxtest::listing;
using qxtest::listing_t;
using qxtest::mounts_t;
using qxtest::read_all;
using qxtest::s;

// Four host directories over each other: "high" (60) and "mid" (50), both
// read-only, a listing device (40) and the writable "user" (20).
TEST(MountTable, LayersAnswerByPriorityAndWritesGoToTheWritableOne) {
  qxtest::temp_dir_t high, mid, list, user;
  high.write("x", "from high");
  high.write("a", "file in high");
  mid.write("x", "from mid");
  mid.write("only_mid", "mid alone");
  std::filesystem::create_directories(list / "a");  // a directory of the same name, lower
  std::filesystem::create_directories(list / "sub");
  list.write("y", "y");
  list.write(".svn/entries", "hidden");
  mounts_t mounts;
  mounts.add(FS_DEVICE_DIRECTORY, high.path(), 60);
  mounts.add(FS_DEVICE_DIRECTORY, mid.path(), 50);
  mounts.add(quarn::FS_DEVICE_LISTING, list.path(), 40);
  mounts.add(FS_DEVICE_DIRECTORY, user.path(), 20, false);
  EXPECT_EQ(read_all("/x"), "from high");
  EXPECT_EQ(read_all("/only_mid"), "mid alone");
  // A device takes part when lo <= its priority <= hi.
  const std::pair<quarn::fs_priority_range_t, std::string> cases[] = {{{-1, 50}, "from mid"},
                                                                      {{50, 60}, "from high"},
                                                                      {{60, 99}, "from high"},
                                                                      {{51, 59}, "<missing>"}};
  for (const auto& [range, expected] : cases) {
    qxtest::file_ptr f(quarn::fs_mount_table()->open(s("/x"), range));
    EXPECT_EQ(qxtest::contents(f.get()), expected) << range.lo << ".." << range.hi;
  }

  // Listings merge, the higher entry winning; full names are the path given,
  // "/" and the name, for every path.
  EXPECT_EQ(listing("/", false),
            (listing_t{{"a", 0}, {"x", 0}, {"only_mid", 0}, {"y", 0}, {"sub", 1}}));
  EXPECT_EQ(listing("/"),
            (listing_t{{"//a", 0}, {"//x", 0}, {"//only_mid", 0}, {"//y", 0}, {"//sub", 1}}));
  EXPECT_TRUE(listing("/no/such/dir").empty());  // empty, not null
  // The listing device lists, but never opens.
  EXPECT_EQ(read_all("/y"), "<missing>");
  quarn::fs_stat_t status;
  EXPECT_TRUE(quarn::fs_stat(s("/y"), &status, FS_TYPE_VIRTUAL));

  {
    qxtest::file_ptr f(quarn::fs_create(s("/new/b/c.txt"), FS_TYPE_VIRTUAL));
    ASSERT_NE(f, nullptr);
    f->printf("made");
  }
  EXPECT_EQ(qxtest::temp_dir_t::read(user / "new/b/c.txt"), "made");  // "new/b" was made
  EXPECT_FALSE(std::filesystem::exists(high / "new"));
  EXPECT_TRUE(quarn::fs_mkdir(s("/made_dir"), FS_TYPE_VIRTUAL));
  EXPECT_TRUE(std::filesystem::is_directory(user / "made_dir"));
  // A file only a read-only device has cannot be removed through the table.
  EXPECT_FALSE(quarn::fs_remove(s("/only_mid"), FS_TYPE_VIRTUAL));
  EXPECT_TRUE(quarn::fs_remove(s("/new/b/c.txt"), FS_TYPE_VIRTUAL));
  EXPECT_FALSE(quarn::fs_rmdir(s("/new/b/none"), FS_TYPE_VIRTUAL));

  // Unmounting uncovers the next.
  quarn::ufs_unmount(mounts.devices[0]);
  mounts.devices.erase(mounts.devices.begin());
  EXPECT_EQ(read_all("/x"), "from mid");
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

  quarn::string_dyn_t<> host;
  device->get_path(&host, s("/home/profiles/p.txt"));
  EXPECT_EQ(host.c_str(), dir / "r/profiles/p.txt");
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

const std::string ARCHIVES = QXTEST_ARCHIVES;

struct record_t {
  std::string name;
  unsigned int size, is_dir, method;
};

std::vector<record_t> manifest(const std::string& archive) {
  std::ifstream in(archive + ".manifest");
  std::vector<record_t> records;
  for (record_t r; std::getline(in, r.name, '\t') >> r.size >> r.is_dir >> r.method; in.ignore())
    records.push_back(r);
  return records;
}

// Every stored member byte for byte against its source file; every
// directory's listing against the names zipfile reports; every deflated
// record reported with its method and number, and absent.
void check_archive(const std::string& name, unsigned int deflated) {
  std::string archive = ARCHIVES + "/" + name;
  auto records = manifest(archive);
  ASSERT_FALSE(records.empty()) << archive;
  qxtest::capture_sink_t sink;
  qxtest::mounts_t mounts;
  mounts.add(quarn::FS_DEVICE_ARCHIVE, archive, 10);
  std::map<std::string, listing_t> expected_dirs{{"/", {}}};
  std::vector<std::string> expected_errors;
  for (unsigned int i = 0; i < records.size(); ++i) {
    const record_t& r = records[i];
    std::string path = "/" + r.name;
    if (r.is_dir) path.pop_back();
    if (r.method != 0) {
      expected_errors.push_back(
          "[zipfs] Unsupported compression method used: " + std::to_string(r.method) +
          " for record #" + std::to_string(i) + " - " + r.name + ", from file '" + archive + "'.");
      EXPECT_EQ(read_all(path), "<missing>") << path;
      continue;
    }
    if (!r.is_dir) {
      EXPECT_EQ(read_all(path), qxtest::temp_dir_t::read(ARCHIVES + "/src/" + r.name)) << path;
      quarn::fs_stat_t status;
      ASSERT_TRUE(quarn::fs_stat(s(path), &status, quarn::FS_TYPE_VIRTUAL));
      EXPECT_EQ(status.size, r.size);
    }
    // Every ancestor directory lists this entry.
    for (std::string child = path, parent; child != "/"; child = parent) {
      parent = std::filesystem::path(child).parent_path();
      expected_dirs[parent][child] = child == path ? r.is_dir : 1;
    }
  }
  EXPECT_EQ(expected_errors.size(), deflated) << "the fixture changed";
  // The root listed as "" gives names of one "/" ("/" would give "//name").
  for (const auto& [dir, entries] : expected_dirs)
    EXPECT_EQ(listing(dir == "/" ? "" : dir), entries) << name << dir;
  EXPECT_EQ(sink.errors(), expected_errors);
  auto messages = sink.texts(quarn::message_t::TYPE_MESSAGE);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("[zipfs] " + archive + " successfuly mounted [crc_", 0), 0u);
}

TEST(Zipfs, RealArchives) {
  check_archive("python_stored.zip", 0);
  check_archive("python_mixed.zip", 2);
  if (!std::filesystem::exists(ARCHIVES + "/infozip.zip"))
    GTEST_SKIP() << "zip was not installed at build time";
  check_archive("infozip.zip", 0);
}

// One set of checks over every kind of device that opens files: a host file
// opened natively, the same file through a directory device under a prefix,
// and the stored archive member made from it.
TEST(Devices, ReadSeekStatusAndLocation) {
  const std::string src = ARCHIVES + "/src", zip = ARCHIVES + "/python_stored.zip";
  const std::string host = src + "/models/car/body.dat";
  const std::string source = qxtest::temp_dir_t::read(host);
  ASSERT_EQ(source.size(), 4097u);
  mounts_t mounts;
  mounts.add(FS_DEVICE_DIRECTORY, src, 20, true, "/dir");
  mounts.add(quarn::FS_DEVICE_ARCHIVE, zip, 10);
  struct kind_t {
    std::string path;
    quarn::fs_type_t type;
    std::string device, stat_of;
    bool is_member;  // seeks no further than its end; a short read sets no error
  } kinds[] = {{host, quarn::FS_TYPE_NATIVE, "", host, false},
               {"/dir/models/car/body.dat", FS_TYPE_VIRTUAL, src, host, false},
               {"/models/car/body.dat", FS_TYPE_VIRTUAL, zip, zip, true}};
  for (const kind_t& k : kinds) {
    SCOPED_TRACE(k.path);
    qxtest::file_ptr f(quarn::fs_open(s(k.path), k.type));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(qxtest::contents(f.get()), source);
    EXPECT_TRUE(f->eof());
    // A failed seek's error is cleared by a seek to where the file already is.
    const qxtest::seek_t seeks[] = {
        {100, 0, true, 100}, {10, 1, true, 110},   {-1, 2, true, 4096},   {0, 2, true, 4097},
        {0, 5, false, 4097}, {-1, 0, false, 4097}, {4097, 0, true, 4097}, {-4080, 1, true, 17}};
    qxtest::expect_seeks(f.get(), seeks);
    char bytes[64];
    ASSERT_TRUE(f->read(bytes, 64));
    EXPECT_EQ(std::string(bytes, 64), source.substr(17, 64));
    EXPECT_EQ(f->seek(1, 2), !k.is_member);
    // Exactly the rest succeeds; one byte more is refused whole.
    ASSERT_TRUE(f->seek(-8, 2));
    EXPECT_FALSE(f->read(bytes, 9));
    EXPECT_EQ(f->get_error(), k.is_member ? quarn::FS_ERROR_NONE : quarn::FS_ERROR_READ_WRITE);
    EXPECT_EQ(f->position(), 4089u);
    EXPECT_TRUE(f->read(bytes, 8));
    EXPECT_EQ(std::string(bytes, 8), source.substr(4089));

    quarn::string_dyn_t<> location;
    ASSERT_TRUE(f->get_location(&location));
    EXPECT_EQ(location.c_str(), k.path);
    EXPECT_EQ(f->device_name().c_str(), k.device);
    EXPECT_EQ(f->get_fs_type(), k.type);
    struct stat host_status;
    ASSERT_EQ(::stat(k.stat_of.c_str(), &host_status), 0);
    quarn::fs_stat_t status;
    ASSERT_TRUE(f->stat(&status));
    EXPECT_EQ(std::tuple(status.is_directory, status.size, status.time),
              std::tuple(0u, 4097u, host_status.st_mtime));
  }
}

TEST(Zipfs, LookupsAreExactAndReadOnly) {
  qxtest::mounts_t mounts;
  mounts.add(quarn::FS_DEVICE_ARCHIVE, ARCHIVES + "/python_stored.zip", 10);
  // The root's status through the device carries the archive's time.
  struct stat archive;
  ASSERT_EQ(::stat((ARCHIVES + "/python_stored.zip").c_str(), &archive), 0);
  quarn::fs_stat_t status;
  ASSERT_TRUE(quarn::fs_stat(s("/"), &status, quarn::FS_TYPE_VIRTUAL));
  EXPECT_EQ(std::tuple(status.is_directory, status.size, status.time),
            std::tuple(1u, 0u, archive.st_mtime));
  // Case matters (the member is "A.wav"), a file ends the walk, and a
  // directory opens as an empty file that says it is a directory.
  EXPECT_EQ(read_all("/sounds/a.wav"), "<missing>");
  for (const char* dir : {"/textures", "/models", "/"}) {
    qxtest::file_ptr d(quarn::fs_open(s(dir), quarn::FS_TYPE_VIRTUAL));
    ASSERT_NE(d, nullptr) << dir;
    char byte;
    EXPECT_TRUE(d->stat(&status) && status.is_directory == 1 && status.size == 0) << dir;
    EXPECT_FALSE(d->read(&byte, 1)) << dir;
  }
  EXPECT_EQ(read_all("/readme.txt/ignored"), "stored members only\r\n");
  EXPECT_EQ(quarn::fs_create(s("/new.txt"), quarn::FS_TYPE_VIRTUAL), nullptr);
  EXPECT_FALSE(quarn::fs_remove(s("/readme.txt"), quarn::FS_TYPE_VIRTUAL));
}

// An archive written by the test, mounted, with the messages it caused.
struct crafted_t {
  qxtest::temp_dir_t dir;
  qxtest::capture_sink_t sink;
  std::string path;
  qxtest::mounts_t mounts;
  explicit crafted_t(const std::string& bytes) : path(dir.write("crafted.zip", bytes)) {
    mounts.add(quarn::FS_DEVICE_ARCHIVE, path, 10);
  }
};

std::vector<qxtools::zip_member_t> members(std::initializer_list<const char*> names) {
  std::vector<qxtools::zip_member_t> out;
  for (const char* n : names) out.push_back({n, std::string("data of ") + n});
  return out;
}

TEST(Zipfs, EveryScanReportHasItsText) {
  auto two = members({"a.txt", "b.txt"});
  auto long_name = members({"ok.txt", ""});
  long_name[1].name = std::string(255, 'n');
  auto no_name = members({"ok.txt", ""});
  // The second record claims a 254-byte name that runs past the end of the file.
  std::string truncated = qxtools::build_zip(two);
  std::size_t second = truncated.find("PK\x01\x02", truncated.find("PK\x01\x02") + 1);
  truncated[second + 28] = static_cast<char>(254);
  // %s stands for the archive's path
  const std::pair<std::string, std::string> cases[] = {
      {"PK", "[zipfs] Too short file '%s'."},
      {qxtools::build_zip(two, {.bad_end_signature = true}),
       "[zipfs] Invalid end signature in file '%s'."},
      {qxtools::build_zip(two, {.archive_comment = "comment"}),
       "[zipfs] Invalid end signature in file '%s'."},
      {qxtools::build_zip(two, {.count = 40001}),
       "[zipfs] The number of files (40001) in file '%s' exceeded limits (40000)."},
      {qxtools::build_zip(two, {.directory_offset = 0x7FFFFFF0}),
       "[zipfs] Invalid central directory offset in file '%s'."},
      {qxtools::build_zip(two, {.directory_offset = 0x80000010}),
       "[zipfs] Invalid central directory offset in file '%s'."},
      {qxtools::build_zip(two, {.count = 3}),
       "[zipfs] Error reading central directory record #2 from file '%s'."},
      {qxtools::build_zip(two, {.bad_record_signature = 1}),
       "[zipfs] Central directory record #1 signature does not mismatch, in file '%s'."},
      {qxtools::build_zip(no_name),
       "[zipfs] Central directory record #1 has malformed name, in file '%s'."},
      {qxtools::build_zip(long_name),
       "[zipfs] Central directory record #1 has too long name, in file '%s'."},
      {truncated, "[zipfs] Error reading name for record #1 from file '%s'."},
  };
  for (const auto& [bytes, message] : cases) {
    crafted_t crafted(bytes);
    std::string expected = message;
    expected.replace(expected.find("%s"), 2, crafted.path);
    EXPECT_EQ(crafted.sink.errors(), std::vector<std::string>{expected});
    EXPECT_TRUE(crafted.sink.texts(quarn::message_t::TYPE_MESSAGE).empty()) << expected;
  }
  // Records before the damage stay available.
  crafted_t partial(qxtools::build_zip(two, {.bad_record_signature = 1}));
  EXPECT_EQ(read_all("/a.txt"), "data of a.txt");
  EXPECT_EQ(read_all("/b.txt"), "<missing>");
}

TEST(Zipfs, MissingArchiveMountsEmptyAndUnknownKindsNothing) {
  qxtest::capture_sink_t sink;
  qxtest::mounts_t mounts;
  ASSERT_NE(mounts.add(quarn::FS_DEVICE_ARCHIVE, "/no/such/archive.qpk", 10), nullptr);
  EXPECT_EQ(sink.errors(), std::vector<std::string>{
                               "[zipfs] Unable to find the zipfs file '/no/such/archive.qpk'."});
  EXPECT_EQ(read_all("/anything"), "<missing>");
  // An unknown kind mounts nothing; unmounting nothing does nothing.
  EXPECT_EQ(quarn::ufs_mount(quarn::fs_device_type_t(4), s("/tmp"), s(""), true, 0), nullptr);
  quarn::ufs_unmount(nullptr);
}

TEST(Zipfs, NameTreeRules) {
  std::vector<qxtools::zip_member_t> list{
      {"a/b/c.txt", "c"},
      {"a/", "", 0, -1, true},         // a directory already made up from the first record
      {"dir_without_attribute/", ""},  // becomes an empty file
      {"f", "file f"},
      {"f/g.txt", "under a file"},  // skipped with a report
      {"x//y///z.txt", "z"},        // doubled separators make no components
      {"deflated.bin", "d", 8},
      {"wrong_local.bin", "w", 0, 8},
      {"padded.txt", "padded", 0, -1, false, 5, 7},
  };
  crafted_t crafted(qxtools::build_zip(list));
  std::string p = crafted.path;
  EXPECT_EQ(listing("/a"), (listing_t{{"/a/b", 1}}));
  EXPECT_EQ(listing("/").count("//f"), 1u);
  EXPECT_EQ(read_all("/a/b/c.txt"), "c");
  EXPECT_EQ(read_all("/dir_without_attribute"), "");
  EXPECT_EQ(read_all("/f"), "file f");
  EXPECT_EQ(read_all("/x/y/z.txt"), "z");
  EXPECT_EQ(read_all("/padded.txt"), "padded");
  EXPECT_EQ(read_all("/wrong_local.bin"), "<missing>");
  EXPECT_TRUE(listing("/a/b/c.txt").empty());  // the table merges nothing
  EXPECT_EQ(crafted.mounts.devices[0]->read_dir(s("/a/b/c.txt"), true), nullptr);
  EXPECT_EQ(
      crafted.sink.errors(),
      (std::vector<std::string>{
          "[zipfs] Record #4 - f/g.txt lies below the file 'f', skipped, in file '" + p + "'.",
          "[zipfs] Unsupported compression method used: 8 for record #6 - deflated.bin, from file "
          "'" +
              p + "'.",
          "[zipfs] local header suggests compression, while global header does not! "
          "(/wrong_local.bin)",
          "[zipfs] error reading a non-directory entry (/a/b/c.txt)",
          "[zipfs] error reading a non-directory entry (/a/b/c.txt)"}));
}

// 40000 records are accepted; an end record that claims 40001 is refused
// among the scan reports above.
TEST(Zipfs, FortyThousandRecordsAreAccepted) {
  std::vector<qxtools::zip_member_t> list;
  for (unsigned int i = 0; i < 40000; ++i)
    list.push_back({"d" + std::to_string(i % 100) + "/m" + std::to_string(i), std::to_string(i)});
  crafted_t crafted(qxtools::build_zip(list));
  EXPECT_TRUE(crafted.sink.errors().empty());
  EXPECT_EQ(read_all("/d99/m39999"), "39999");
  EXPECT_EQ(read_all("/d0/m0"), "0");
}

}  // namespace
