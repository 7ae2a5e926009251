// The virtual file system: the demo packs its bundled sample data into an
// archive, mounts it under a loose patch directory and a writable user
// directory, lists the merged tree, reads through the overlay, writes a file,
// and logs the session into a log file.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qxcore/qxcore.h"
#include "tools/archive_writer/stored_zip.h"
#include "tools/demo_host/tour.h"

namespace demo {

namespace {

using quarn::string_alias_t;

std::string pack_archive(const std::string& source, const std::string& target) {
  std::vector<qxtools::zip_member_t> members;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(source)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    members.push_back({std::filesystem::relative(entry.path(), source).string(), bytes});
  }
  std::ofstream(target, std::ios::binary) << qxtools::build_zip(members);
  return target;
}

void list_tree(const char* path, int depth) {
  quarn::list_t<quarn::fs_direntry_t>* entries = quarn::fs_read_dir(string_alias_t(path), true, quarn::FS_TYPE_VIRTUAL);
  for (const quarn::fs_direntry_t& e : *entries) {
    std::printf("  %*s%s%s\n", 2 * depth, "", e.name.c_str(), e.is_directory ? "/" : "");
    if (e.is_directory) list_tree(e.name.c_str(), depth + 1);
  }
  delete entries;
}

void show(const char* path) {
  quarn::file_t* file = quarn::fs_open(string_alias_t(path), quarn::FS_TYPE_VIRTUAL);
  if (file == nullptr) {
    std::printf("  %s: not found\n", path);
    return;
  }
  quarn::text_lines_t* lines = quarn::fs_read_text_file(*file);
  quarn::string_dyn_t<> location;
  file->get_location(&location);
  std::printf("  %s (from %s): \"%s\"\n", location.c_str(), file->device_name().c_str(),
              lines && lines->size() ? (*lines)[0].c_str() : "");
  delete lines;
  delete file;
}

}  // namespace

void tour_fs() {
  section("virtual file system");
  char pattern[] = "/tmp/qxcore_demo_XXXXXX";
  std::string scratch = ::mkdtemp(pattern);
  std::string log_path = scratch + "/session.log";
  {
    quarn::file_logger_t log(string_alias_t(log_path.c_str()));
    std::string archive = pack_archive(std::string(QXDEMO_SAMPLE_DATA) + "/base", scratch + "/base.qpk");
    std::string patch = std::string(QXDEMO_SAMPLE_DATA) + "/patch";
    std::string user = scratch + "/user";

    quarn::ufs_device_t* devices[] = {
        quarn::ufs_mount(quarn::FS_DEVICE_ARCHIVE, string_alias_t(archive.c_str()), quarn::string::EMPTY, true, 50),
        quarn::ufs_mount(quarn::FS_DEVICE_DIRECTORY, string_alias_t(patch.c_str()), quarn::string::EMPTY, true, 60),
        quarn::ufs_mount(quarn::FS_DEVICE_DIRECTORY, string_alias_t(user.c_str()), string_alias_t("/user"), false, 100),
    };
    std::printf("mounted: base.qpk (50), the patch directory (60), a writable /user (100)\n");

    quarn::file_t* notes = quarn::fs_create(string_alias_t("/user/notes.txt"), quarn::FS_TYPE_VIRTUAL);
    notes->printf("written through the mount table\n");
    delete notes;

    std::printf("the merged tree (the /user device answers only paths under its prefix):\n");
    list_tree("", 0);  // the root as "": full names are the path, "/" and the name
    list_tree("/user", 0);
    std::printf("reading through the overlay:\n");
    show("/readme.txt");
    show("/levels/e1m1.map");
    show("/levels/e1m2.map");
    show("/user/notes.txt");
    for (quarn::ufs_device_t* device : devices) quarn::ufs_unmount(device);
  }
  std::printf("the session's log file:\n");
  std::ifstream log(log_path);
  for (std::string line; std::getline(log, line);) std::printf("  | %s\n", line.substr(0, line.find('\r')).c_str());
  std::filesystem::remove_all(scratch);
}

}  // namespace demo
