// Resources: a game folder (copied from the bundled sample) set up by
// std_mount_t in its converting mode. Opening a resource converts it from its
// source on first use through tools/resconvert, opens it again without a
// conversion, and converts it again once its source -- or a file it includes
// -- is touched. The substance table is loaded from a converted resource too.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "qxcore/qxcore.h"
#include "tools/archive_writer/stored_zip.h"
#include "tools/demo_host/tour.h"

namespace demo {

namespace {

using quarn::string_alias_t;

// The host's progress display: one line per conversion.
class progress_t : public quarn::ufs_cvfs_callback_t {
 public:
  void on_convert(const quarn::string& path, bool starting) override {
    if (starting) ++conversions;
    std::printf("  [%s %s]\n", starting ? "converting" : "converted", path.c_str());
  }
  int conversions = 0;
};

// Opens a resource and prints its size, where it came from and how many
// conversions that took.
void open_resource(const char* path, progress_t& progress) {
  int before = progress.conversions;
  quarn::file_t* file = quarn::fs_open(string_alias_t(path), quarn::FS_TYPE_VIRTUAL);
  if (file == nullptr) {
    std::printf("  %s: not found\n", path);
    return;
  }
  std::printf("  %s: %u bytes from %s/ (%d conversion%s)\n", path, file->size(),
              file->device_name().c_str(), progress.conversions - before,
              progress.conversions - before == 1 ? "" : "s");
  delete file;
}

void print_text(const char* path) {
  quarn::file_t* file = quarn::fs_open(string_alias_t(path), quarn::FS_TYPE_VIRTUAL);
  if (file == nullptr) return;
  quarn::text_lines_t* lines = quarn::fs_read_text_file(*file);
  for (unsigned int i = 0; lines != nullptr && i < lines->size(); ++i)
    std::printf("  | %s\n", (*lines)[i].c_str());
  delete lines;
  delete file;
}

// Stamps a host file one second after another, as an editor saving it would.
void touch_after(const std::string& file, const std::string& reference) {
  auto when = std::filesystem::last_write_time(reference) + std::chrono::seconds(1);
  std::filesystem::last_write_time(file, when);
}

}  // namespace

void tour_resources() {
  section("resources: the game folder and conversion on demand");
  char pattern[] = "/tmp/qxcore_game_XXXXXX";
  std::string game = ::mkdtemp(pattern);
  std::filesystem::copy(std::string(QXDEMO_SAMPLE_DATA) + "/game", game,
                        std::filesystem::copy_options::recursive);
  // The library runs the converter as "tools/resconvert" from the current directory.
  std::filesystem::create_directories(game + "/tools");
  std::filesystem::create_symlink(QXDEMO_RESCONVERT, game + "/tools/resconvert");
  // The shipped archive of converted resources, which rsrc/ overrides.
  std::ofstream(game + "/base.qpk", std::ios::binary)
      << qxtools::build_zip({{"readme.txt", "converted resources of a release go here\n"}});
  std::string previous = std::filesystem::current_path();
  std::filesystem::current_path(game);
  std::printf("game folder %s: base/ (sources), base.qpk and tools/resconvert\n", game.c_str());

  progress_t progress;
  quarn::ufs_cvfs_callback_t* earlier = quarn::ufs_cvfs_device_t::set_notification(&progress);
  quarn::std_mount_t mounts;
  mounts.mount_directories(quarn::STD_MOUNT_CONVERTING);
  std::printf("mounted (highest first):");
  auto* table = const_cast<quarn::list_t<quarn::ufs_device_t*>*>(quarn::fs_mount_table()->mounts());
  for (quarn::ufs_device_t* device : *table)
    std::printf(" %s:%d",
                device->device_name().empty() ? "<converting>" : device->device_name().c_str(),
                device->priority());
  std::printf("\n");

  std::printf("first use converts, the next one opens rsrc/ directly:\n");
  open_resource("/textures/wall.tga", progress);
  open_resource("/textures/wall.tga", progress);
  std::printf("the source is saved again, so the resource is converted again:\n");
  touch_after("base/textures/wall.tga", "rsrc/textures/wall.tga");
  open_resource("/textures/wall.tga", progress);

  std::printf("a text with an include; its dependency file .dep/text/intro.txt.dep:\n");
  open_resource("/text/intro.txt", progress);
  std::ifstream deps(".dep/text/intro.txt.dep");
  for (std::string line; std::getline(deps, line);)
    std::printf("  | %s\n", line.substr(0, line.find('\r')).c_str());
  std::printf("the included file changes, so the text is converted again:\n");
  std::ofstream("base/text/crew.inc", std::ios::app) << "Cy, navigator\n";
  touch_after("base/text/crew.inc", "rsrc/text/intro.txt");
  print_text("/text/intro.txt");

  std::printf("the substance table, from a converted resource:\n");
  quarn::set_substance_file(string_alias_t("/def/substances.txt"));
  quarn::substance_db_request();
  std::printf("  %u substances; \"wood\" is %u, slot 16 is \"%s\"\n",
              quarn::get_used_substance_count(), quarn::substance_name2idx(string_alias_t("wood")),
              quarn::substance_idx2name(16).c_str());
  quarn::substance_db_release();

  mounts.unmount_directories();
  quarn::ufs_cvfs_device_t::set_notification(earlier);
  std::printf("%d conversions in all\n", progress.conversions);
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(game);
}

}  // namespace demo
