// The virtual file system side by side with PhysicsFS on the same files:
// mounting a stored ZIP of 40 000 members in nested folders, reading every
// member through the mounted archive, and opening a file found on the fifth
// of ten mounted directories.
#include <benchmark/benchmark.h>
#include <physfs.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qxcore/qxcore.h"
#include "tools/archive_writer/stored_zip.h"

namespace {

struct fixture_t {
  std::string dir;
  std::string archive;
  std::vector<std::string> members;  // without the leading "/"
  std::vector<std::string> directories;

  fixture_t() {
    char pattern[] = "/tmp/qxcore_fs_bench_XXXXXX";
    dir = ::mkdtemp(pattern);
    // 40 areas x 25 blocks x 40 assets, names as an engine's data has them.
    std::vector<qxtools::zip_member_t> list;
    const char* kinds[] = {"mesh", "texture", "sound", "script"};
    for (int area = 0; area < 40; ++area)
      for (int block = 0; block < 25; ++block)
        for (int asset = 0; asset < 40; ++asset) {
          std::string name = "area_" + std::to_string(area) + "/block_" + std::to_string(block) + "/" +
                             kinds[asset % 4] + "_" + std::to_string(asset) + (asset % 4 == 1 ? ".tga" : ".dat");
          list.push_back({name, std::string(200 + (asset * 37) % 1800, static_cast<char>('a' + asset % 26))});
          members.push_back(name);
        }
    archive = dir + "/data.qpk";
    std::ofstream(archive, std::ios::binary) << qxtools::build_zip(list);

    for (int i = 0; i < 10; ++i) {
      directories.push_back(dir + "/dir" + std::to_string(i));
      std::filesystem::create_directories(directories.back() + "/levels");
    }
    std::ofstream(directories[4] + "/levels/e1m1.map") << "the level";
    PHYSFS_init(nullptr);
  }
  ~fixture_t() {
    PHYSFS_deinit();
    std::filesystem::remove_all(dir);
  }
};

fixture_t& fixture() {
  static fixture_t f;
  return f;
}

void BM_MountArchive_Qxcore(benchmark::State& state) {
  quarn::string_alias_t archive(fixture().archive.c_str());
  for (auto _ : state) {
    quarn::ufs_device_t* device = quarn::ufs_mount(quarn::FS_DEVICE_ARCHIVE, archive, quarn::string::EMPTY, true, 10);
    quarn::ufs_unmount(device);
  }
}

void BM_MountArchive_PhysicsFS(benchmark::State& state) {
  for (auto _ : state) {
    PHYSFS_mount(fixture().archive.c_str(), nullptr, 1);
    PHYSFS_unmount(fixture().archive.c_str());
  }
}

void BM_ReadAllMembers_Qxcore(benchmark::State& state) {
  quarn::ufs_device_t* device =
      quarn::ufs_mount(quarn::FS_DEVICE_ARCHIVE, quarn::string_alias_t(fixture().archive.c_str()),
                       quarn::string::EMPTY, true, 10);
  std::vector<std::string> paths;
  for (const auto& m : fixture().members) paths.push_back("/" + m);
  char buffer[4096];
  for (auto _ : state) {
    for (const std::string& path : paths) {
      quarn::file_t* f = quarn::fs_open(quarn::string_alias_t(path.c_str()), quarn::FS_TYPE_VIRTUAL);
      f->read(buffer, f->size());
      delete f;
    }
  }
  quarn::ufs_unmount(device);
  state.SetItemsProcessed(state.iterations() * paths.size());
}

void BM_ReadAllMembers_PhysicsFS(benchmark::State& state) {
  PHYSFS_mount(fixture().archive.c_str(), nullptr, 1);
  char buffer[4096];
  for (auto _ : state) {
    for (const std::string& member : fixture().members) {
      PHYSFS_File* f = PHYSFS_openRead(member.c_str());
      PHYSFS_readBytes(f, buffer, PHYSFS_fileLength(f));
      PHYSFS_close(f);
    }
  }
  PHYSFS_unmount(fixture().archive.c_str());
  state.SetItemsProcessed(state.iterations() * fixture().members.size());
}

void BM_OpenOnFifthOfTenDirectories_Qxcore(benchmark::State& state) {
  std::vector<quarn::ufs_device_t*> devices;
  for (int i = 0; i < 10; ++i)
    devices.push_back(quarn::ufs_mount(quarn::FS_DEVICE_DIRECTORY,
                                       quarn::string_alias_t(fixture().directories[i].c_str()),
                                       quarn::string::EMPTY, true, 100 - i));
  quarn::string_alias_t path("/levels/e1m1.map");
  for (auto _ : state) delete quarn::fs_open(path, quarn::FS_TYPE_VIRTUAL);
  for (auto* d : devices) quarn::ufs_unmount(d);
}

void BM_OpenOnFifthOfTenDirectories_PhysicsFS(benchmark::State& state) {
  for (const std::string& d : fixture().directories) PHYSFS_mount(d.c_str(), nullptr, 1);
  for (auto _ : state) PHYSFS_close(PHYSFS_openRead("levels/e1m1.map"));
  for (const std::string& d : fixture().directories) PHYSFS_unmount(d.c_str());
}

BENCHMARK(BM_MountArchive_Qxcore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MountArchive_PhysicsFS)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllMembers_Qxcore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllMembers_PhysicsFS)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOnFifthOfTenDirectories_Qxcore)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenOnFifthOfTenDirectories_PhysicsFS)->Unit(benchmark::kMicrosecond);

}  // namespace
