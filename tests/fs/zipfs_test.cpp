// The archive device over real archives (Info-ZIP `zip -0`, Python's
// zipfile) checked member by member against their sources and listings
// against what zipfile reads, and over crafted archives that reach every
// report of the central-directory scan.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "qxcore/fs/fs.h"
#include "qxcore/fs/zipfs_device.h"
#include "tests/fs/temp_dir.h"
#include "tools/archive_writer/stored_zip.h"
#include "tests/support/capture_sink.h"

namespace {

using quarn::string_alias_t;
using file_ptr = std::unique_ptr<quarn::file_t>;

string_alias_t s(const std::string& text) { return string_alias_t(text.c_str()); }
const std::string ARCHIVES = QXTEST_ARCHIVES;

// A mounted archive that is unmounted at the end of the test.
struct mounted_t {
  quarn::ufs_device_t* device;
  explicit mounted_t(const std::string& archive, int priority = 10)
      : device(quarn::ufs_mount(quarn::FS_DEVICE_ARCHIVE, s(archive), s(""), true, priority)) {}
  ~mounted_t() { quarn::ufs_unmount(device); }
  quarn::zipfs_device_t* zip() const { return static_cast<quarn::zipfs_device_t*>(device); }
};

struct record_t {
  std::string name;
  unsigned int size, is_dir, method;
};

std::vector<record_t> manifest(const std::string& archive) {
  std::ifstream in(archive + ".manifest");
  std::vector<record_t> records;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    record_t r;
    std::getline(fields, r.name, '\t');
    fields >> r.size >> r.is_dir >> r.method;
    records.push_back(r);
  }
  return records;
}

std::string read_member(const std::string& path) {
  file_ptr f(quarn::fs_open(s(path), quarn::FS_TYPE_VIRTUAL));
  if (f == nullptr) return "<missing>";
  std::string bytes(f->size(), '\0');
  return f->read(bytes.data(), static_cast<unsigned int>(bytes.size())) ? bytes : "<unreadable>";
}

std::map<std::string, unsigned int> listing(const std::string& path) {
  std::map<std::string, unsigned int> out;
  auto* entries = quarn::fs_read_dir(s(path), true, quarn::FS_TYPE_VIRTUAL);
  for (const auto& e : *entries) out[e.name.c_str()] = e.is_directory;
  delete entries;
  return out;
}

// Every stored member byte for byte against its source file; every
// directory's listing against the names zipfile reports.
void check_archive(const std::string& name) {
  std::string archive = ARCHIVES + "/" + name;
  auto records = manifest(archive);
  ASSERT_FALSE(records.empty()) << archive;
  qxtest::capture_sink_t sink;
  mounted_t mounted(archive);
  std::map<std::string, std::map<std::string, unsigned int>> expected_dirs{{"/", {}}};
  for (const record_t& r : records) {
    std::string path = "/" + r.name;
    if (r.is_dir) path.pop_back();
    if (r.method != 0) {  // deflated: reported, and absent
      EXPECT_EQ(read_member(path), "<missing>") << path;
      continue;
    }
    if (!r.is_dir) {
      EXPECT_EQ(read_member(path), qxtest::temp_dir_t::read(ARCHIVES + "/src/" + r.name)) << path;
      quarn::fs_stat_t status;
      ASSERT_TRUE(quarn::fs_stat(s(path), &status, quarn::FS_TYPE_VIRTUAL));
      EXPECT_EQ(status.size, r.size);
    }
    // Every ancestor directory lists this entry.
    std::string parent = path.substr(0, path.rfind('/'));
    expected_dirs[parent.empty() ? "/" : parent][path] = r.is_dir;
    for (std::size_t slash = parent.rfind('/'); !parent.empty(); slash = parent.rfind('/')) {
      std::string up = parent.substr(0, slash);
      expected_dirs[up.empty() ? "/" : up][parent] = 1;
      parent = up;
    }
  }
  for (const auto& [dir, entries] : expected_dirs) EXPECT_EQ(listing(dir), entries) << name << " " << dir;
  unsigned int deflated = 0;
  for (const record_t& r : records) deflated += r.method != 0;
  EXPECT_EQ(sink.errors().size(), deflated);
  ASSERT_EQ(sink.texts(quarn::message_t::TYPE_MESSAGE).size(), 1u);
  EXPECT_EQ(sink.texts(quarn::message_t::TYPE_MESSAGE)[0].rfind("[zipfs] " + archive + " successfuly mounted [crc_", 0), 0u);
}

TEST(Zipfs, InfoZipArchive) {
  if (!std::filesystem::exists(ARCHIVES + "/infozip.zip")) GTEST_SKIP() << "zip was not installed at build time";
  check_archive("infozip.zip");
}

TEST(Zipfs, PythonArchives) {
  check_archive("python_stored.zip");
  check_archive("python_mixed.zip");
}

TEST(Zipfs, DeflatedRecordsAreReportedWithMethodAndNumber) {
  qxtest::capture_sink_t sink;
  mounted_t mounted(ARCHIVES + "/python_mixed.zip");
  auto records = manifest(ARCHIVES + "/python_mixed.zip");
  std::vector<std::string> expected;
  for (unsigned int i = 0; i < records.size(); ++i)
    if (records[i].method == 8)
      expected.push_back("[zipfs] Unsupported compression method used: 8 for record #" + std::to_string(i) + " - " +
                         records[i].name + ", from file '" + ARCHIVES + "/python_mixed.zip'.");
  EXPECT_EQ(sink.errors(), expected);
  EXPECT_EQ(expected.size(), 2u);
}

TEST(Zipfs, MemberReadsSeeksAndStatus) {
  mounted_t mounted(ARCHIVES + "/python_stored.zip");
  std::string source = qxtest::temp_dir_t::read(ARCHIVES + "/src/models/car/body.dat");
  file_ptr f(quarn::fs_open(s("/models/car/body.dat"), quarn::FS_TYPE_VIRTUAL));
  ASSERT_NE(f, nullptr);
  char bytes[64];
  struct {
    int offset, origin;
    bool ok;
    unsigned int position;
  } seeks[] = {{100, 0, true, 100}, {10, 1, true, 110}, {-1, 2, true, 4096}, {0, 2, true, 4097},
               {1, 2, false, 4097}, {-1, 0, false, 4097}, {0, 5, false, 4097}, {17, 0, true, 17}};
  for (const auto& c : seeks) {
    EXPECT_EQ(f->seek(c.offset, c.origin), c.ok) << c.offset << "," << c.origin;
    EXPECT_EQ(f->position(), c.position);
    EXPECT_EQ(f->get_error(), c.ok ? quarn::FS_ERROR_NONE : quarn::FS_ERROR_SEEK);
  }
  ASSERT_TRUE(f->read(bytes, 64));
  EXPECT_EQ(std::string(bytes, 64), source.substr(17, 64));
  // Exactly the rest succeeds; one byte more is refused whole.
  ASSERT_TRUE(f->seek(-8, 2));
  EXPECT_FALSE(f->read(bytes, 9));
  EXPECT_EQ(f->position(), 4089u);
  EXPECT_TRUE(f->read(bytes, 8));
  EXPECT_EQ(std::string(bytes, 8), source.substr(4089));
  EXPECT_TRUE(f->eof());

  quarn::string_dyn_t<> location;
  f->get_location(&location);
  EXPECT_STREQ(location.c_str(), "/models/car/body.dat");
  EXPECT_STREQ(f->device_name().c_str(), (ARCHIVES + "/python_stored.zip").c_str());

  struct stat archive;
  ASSERT_EQ(::stat((ARCHIVES + "/python_stored.zip").c_str(), &archive), 0);
  quarn::fs_stat_t status;
  ASSERT_TRUE(f->stat(&status));
  EXPECT_EQ(status.time, archive.st_mtime);
  ASSERT_TRUE(quarn::fs_stat(s("/"), &status, quarn::FS_TYPE_VIRTUAL));
  EXPECT_EQ(status.is_directory, 1u);
  EXPECT_EQ(status.size, 0u);
  EXPECT_EQ(status.time, archive.st_mtime);

  // Lookups are exact: case matters, directories do not open, a file ends the walk.
  EXPECT_EQ(read_member("/sounds/A.wav"), "upper case name");
  EXPECT_EQ(read_member("/sounds/a.wav"), "<missing>");
  EXPECT_EQ(read_member("/textures"), "<missing>");
  EXPECT_EQ(read_member("/readme.txt/ignored"), "stored members only\r\n");
  // Archives are read-only.
  EXPECT_EQ(quarn::fs_create(s("/new.txt"), quarn::FS_TYPE_VIRTUAL), nullptr);
  EXPECT_FALSE(quarn::fs_remove(s("/readme.txt"), quarn::FS_TYPE_VIRTUAL));
}

// An archive written by the test, mounted, with the messages it caused.
struct crafted_t {
  qxtest::temp_dir_t dir;
  qxtest::capture_sink_t sink;
  std::string path;
  std::unique_ptr<mounted_t> mounted;
  explicit crafted_t(const std::string& bytes) : path(dir.write("crafted.zip", bytes)) {
    mounted = std::make_unique<mounted_t>(path);
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
  struct {
    std::string bytes;
    std::string message;  // %s stands for the archive's path
  } cases[] = {
      {"PK", "[zipfs] Too short file '%s'."},
      {qxtools::build_zip(two, {.bad_end_signature = true}), "[zipfs] Invalid end signature in file '%s'."},
      {qxtools::build_zip(two, {.archive_comment = "comment"}), "[zipfs] Invalid end signature in file '%s'."},
      {qxtools::build_zip(two, {.count = 40001}),
       "[zipfs] The number of files (40001) in file '%s' exceeded limits (40000)."},
      {qxtools::build_zip(two, {.directory_offset = 0x7FFFFFF0}), "[zipfs] Invalid central directory offset in file '%s'."},
      {qxtools::build_zip(two, {.directory_offset = 0x80000010}), "[zipfs] Invalid central directory offset in file '%s'."},
      {qxtools::build_zip(two, {.count = 3}), "[zipfs] Error reading central directory record #2 from file '%s'."},
      {qxtools::build_zip(two, {.bad_record_signature = 1}),
       "[zipfs] Central directory record #1 signature does not mismatch, in file '%s'."},
      {qxtools::build_zip(no_name), "[zipfs] Central directory record #1 has malformed name, in file '%s'."},
      {qxtools::build_zip(long_name), "[zipfs] Central directory record #1 has too long name, in file '%s'."},
      {truncated, "[zipfs] Error reading name for record #1 from file '%s'."},
  };
  for (const auto& c : cases) {
    crafted_t crafted(c.bytes);
    std::string expected = c.message;
    expected.replace(expected.find("%s"), 2, crafted.path);
    EXPECT_EQ(crafted.sink.errors(), std::vector<std::string>{expected});
    EXPECT_TRUE(crafted.sink.texts(quarn::message_t::TYPE_MESSAGE).empty()) << expected;
  }
  // Records before the damage stay available.
  crafted_t partial(qxtools::build_zip(two, {.bad_record_signature = 1}));
  EXPECT_EQ(read_member("/a.txt"), "data of a.txt");
  EXPECT_EQ(read_member("/b.txt"), "<missing>");
}

TEST(Zipfs, MissingArchiveMountsEmpty) {
  qxtest::capture_sink_t sink;
  mounted_t mounted("/no/such/archive.qpk");
  ASSERT_NE(mounted.device, nullptr);
  EXPECT_EQ(sink.errors(), std::vector<std::string>{"[zipfs] Unable to find the zipfs file '/no/such/archive.qpk'."});
  EXPECT_EQ(read_member("/anything"), "<missing>");
}

TEST(Zipfs, NameTreeRules) {
  std::vector<qxtools::zip_member_t> list{
      {"a/b/c.txt", "c"},
      {"a/", "", 0, -1, true},         // a directory already made up from the first record
      {"dir_without_attribute/", ""},  // becomes an empty file
      {"f", "file f"},
      {"f/g.txt", "under a file"},     // skipped with a report
      {"x//y///z.txt", "z"},           // doubled separators make no components
      {"deflated.bin", "d", 8},
      {"wrong_local.bin", "w", 0, 8},
      {"padded.txt", "padded", 0, -1, false, 5, 7},
  };
  crafted_t crafted(qxtools::build_zip(list));
  std::string p = crafted.path;
  EXPECT_EQ(listing("/a"), (std::map<std::string, unsigned int>{{"/a/b", 1}}));
  EXPECT_EQ(read_member("/a/b/c.txt"), "c");
  EXPECT_EQ(read_member("/dir_without_attribute"), "");
  EXPECT_EQ(read_member("/f"), "file f");
  EXPECT_EQ(read_member("/x/y/z.txt"), "z");
  EXPECT_EQ(read_member("/padded.txt"), "padded");
  EXPECT_EQ(read_member("/wrong_local.bin"), "<missing>");
  std::unique_ptr<quarn::list_t<quarn::fs_direntry_t>> merged(
      quarn::fs_read_dir(s("/a/b/c.txt"), true, quarn::FS_TYPE_VIRTUAL));
  EXPECT_EQ(merged->size(), 0u);  // the table merges nothing
  auto* zip = crafted.mounted->zip();
  EXPECT_EQ(zip->read_dir(s("/a/b/c.txt"), true), nullptr);
  EXPECT_EQ(crafted.sink.errors(),
            (std::vector<std::string>{
                "[zipfs] Record #4 - f/g.txt lies below the file 'f', skipped, in file '" + p + "'.",
                "[zipfs] Unsupported compression method used: 8 for record #6 - deflated.bin, from file '" + p + "'.",
                "[zipfs] local header suggests compression, while global header does not! (/wrong_local.bin)",
                "[zipfs] error reading a non-directory entry (/a/b/c.txt)",
                "[zipfs] error reading a non-directory entry (/a/b/c.txt)"}));
}

TEST(Zipfs, RecordLimit) {
  for (unsigned int count : {40000u, 40001u}) {
    std::vector<qxtools::zip_member_t> list;
    for (unsigned int i = 0; i < count; ++i)
      list.push_back({"d" + std::to_string(i % 100) + "/m" + std::to_string(i), std::to_string(i)});
    crafted_t crafted(qxtools::build_zip(list));
    if (count == 40000) {
      EXPECT_TRUE(crafted.sink.errors().empty());
      EXPECT_EQ(read_member("/d99/m39999"), "39999");
      EXPECT_EQ(read_member("/d0/m0"), "0");
    } else {
      EXPECT_EQ(crafted.sink.errors(),
                std::vector<std::string>{"[zipfs] The number of files (40001) in file '" + crafted.path +
                                         "' exceeded limits (40000)."});
      EXPECT_EQ(read_member("/d0/m0"), "<missing>");
    }
  }
}

}  // namespace
