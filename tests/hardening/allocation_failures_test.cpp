// Every allocation of each family of entry points refused in turn: the call
// reports and fails (or copes), leaves nothing behind, and works again once
// memory is there.
#include <cstdio>
#include <filesystem>
#include <memory>

#include "qxcore/qxcore.h"
#include "tests/fs/fs_helpers.h"
#include "tests/support/failure_injection.h"
#include "tests/support/game_folder.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_writer/stored_zip.h"

namespace qxtest {
namespace {

using namespace quarn;

// Each run starts the library and shuts it down again: a service left out
// for want of memory is missing only until the next start.
TEST(AllocationFailures, LibraryStartUp) {
  refuse_each_allocation([] {
    qxcore_shutdown();
    install_counting_hooks();
    bool ok = unit_resource_tie_t::get_instance() != nullptr && profiler_tree() != nullptr;
    qxcore_shutdown();
    return ok;
  });
  install_counting_hooks();
}

TEST(AllocationFailures, DirectoryAndArchiveMountsReadsAndMergedListings) {
  temp_dir_t dir;
  dir.write("data/a.txt", "alpha");
  dir.write("data/sub/b.txt", "beta");
  dir.write("pack.qpk", qxtools::build_zip({{"a.txt", "patched"}, {"sub/c.txt", "gamma"}}));
  refuse_each_allocation([&] {
    mounts_t mounts;
    if (!mounts.add(FS_DEVICE_DIRECTORY, dir / "data", 100) ||
        !mounts.add(FS_DEVICE_ARCHIVE, dir / "pack.qpk", 200))
      return false;
    bool ok = read_all("/a.txt") == "patched" && read_all("/sub/b.txt") == "beta";
    std::unique_ptr<list_t<fs_direntry_t>> merged(fs_read_dir(s("/sub"), true, FS_TYPE_VIRTUAL));
    return ok && merged != nullptr && merged->size() == 2;
  });
}

TEST(AllocationFailures, GameFolderDependenciesAndSubstances) {
  game_folder_t game;
  game.write("base/src/a.tga", "source");
  game.write("base/def/substances.txt", "0: default\r\n1: metal\r\n2: wood\r\n");
  refuse_each_allocation([] {
    std_mount_t mounts;
    mounts.mount_directories(STD_MOUNT_WRITABLE_RESOURCES);
    res_deps_t deps, back;
    deps.add_primary_source(s("/src/a.tga"));
    bool ok = deps.write(s("/def/a.dat")) && back.read(s("/def/a.dat")) && back.size() == 1;
    set_substance_file(s("/def/substances.txt"));
    substance_db_request();
    ok = ok && substance_name2idx(s("wood")) == 2;
    substance_db_release();
    res_deps_t::remove_file(s("/def/a.dat"));
    mounts.unmount_directories();
    return ok;
  });
}

TEST(AllocationFailures, CommandLineFormattingAndTextFiles) {
  temp_dir_t dir;
  dir.write("lines.txt", "first\nsecond\r\nthird");
  refuse_each_allocation([&] {
    const char* argv[] = {"game", "-mod", "racing", "-homeless"};
    cdl_init(4, argv);
    string_dyn_t<> text;
    bool ok = cdl_argc() == 4 && text.printf("%s/%05d", cdl_argv(2), 42) && text == "racing/00042";
    std::unique_ptr<file_t> file(fs_open(s(dir / "lines.txt"), FS_TYPE_NATIVE));
    std::unique_ptr<text_lines_t> lines(file ? fs_read_text_file(*file) : nullptr);
    return ok && lines != nullptr && lines->size() == 3;
  });
}

TEST(AllocationFailures, ContainersGrow) {
  refuse_each_allocation([] {
    array_dyn_t<unit_string_t> strings;
    vptrhash_t table;
    chunk_space_t space;
    bool ok = true;
    char key[16];
    auto make_key = [&](int i) { return std::snprintf(key, sizeof key, "key%d", i); };
    // Past 64 keys a table keeps its side index and its hash-value counts.
    for (int i = 0; i < 80; ++i) {
      unsigned int length = static_cast<unsigned int>(make_key(i));
      ok = strings.push_back(unit_string_t(key)) && ok;
      table.put(key, length, &table);
      ok = space.insert(key, 8) != nullptr && ok;
    }
    for (int i = 0; i < 80; i += 3)
      ok = table.find(key, static_cast<unsigned int>(make_key(i))) == &table && ok;
    return ok && table.size() == 80 && strings[79] == "key79";
  });
}

TEST(AllocationFailures, PngWritingAndChildProcesses) {
  temp_dir_t dir;
  refuse_each_allocation([&] {
    unsigned char pixels[4 * 4 * 4] = {};
    hbmp_t image{4, 4, 0, 1, HBMP_RGBA, pixels};
    std::unique_ptr<file_t> file(fs_create(s(dir / "out.png"), FS_TYPE_NATIVE));
    return file != nullptr && png_simple_save(file.get(), &image);
  });
  refuse_each_allocation([] {
    run_process_t echo;
    return echo.set_command("echo") && echo.add_parameter("hi") && echo.run() &&
           echo.get_stdout() == "hi\n";
  });
}

TEST(AllocationFailures, SpatialHash) {
  refuse_each_allocation([] {
    spatialhash_t hash(1.0f, 4.0f, 2, 1.0f);
    int objects[20];
    bool ok = true;
    for (int i = 0; i < 20; ++i)
      ok = hash.insert({float(i), 0, 0}, {float(i) + 0.5f, 1, 1}, &objects[i]) && ok;
    return ok;
  });
}

// The profiler keeps its call tree until it stops: the test restarts the
// library to give the tree back.
TEST(AllocationFailures, Profiler) {
  refuse_each_allocation([] {
    {
      profiler_sample_t frame("frame");
      profiler_sample_t inner("inner", "zone");
    }
    profiler_advance_frame();
    return true;
  });
  qxcore_shutdown();
  install_counting_hooks();
}

// Runs `body` in a fresh unit system; its units are gone before the check.
template <class Body>
bool in_unit_system(Body body) {
  unit_bank_t bank;
  unit_system_t system(bank);
  bool ok = body(system);
  unit_system_t::clean_garbage();
  return ok;
}

TEST(AllocationFailures, UnitsNamesClonesAndGarbage) {
  refuse_each_allocation([] {
    return in_unit_system([](unit_system_t& system) {
      owner_ptr_t<unit_t> a = static_cast<unit_t*>(system.create_unit("unit"));
      owner_ptr_t<unit_t> b = static_cast<unit_t*>(system.create_unit("unit"));
      if (a == nullptr || b == nullptr || !a->set_name("level.door") ||
          !b->set_name("level.hinge.pin"))
        return false;
      owner_ptr_t<unit_base_t> copy = a->clone();
      return copy != nullptr && unit_system_t::find_unit("level.hinge.pin") == b.get();
    });
  });
}

TEST(AllocationFailures, UnitsFilesLoadAndSave) {
  temp_dir_t dir;
  dir.write("in.units",
            "QxdNunit\r\n{\r\nunit : level.door {\r\n}\r\nunit : .0000.0001 {\r\n}\r\n"
            "unit : level.hinge {\r\n}\r\n}\r\n");
  refuse_each_allocation([&] {
    return in_unit_system([&](unit_system_t& system) {
      std::unique_ptr<file_t> in(fs_open(s(dir / "in.units"), FS_TYPE_NATIVE));
      std::unique_ptr<file_t> out(fs_create(s(dir / "out.units"), FS_TYPE_NATIVE));
      if (in == nullptr || out == nullptr) return false;
      unit_load_t loader(*in, system);
      if (!loader.load() || loader.get_tree_count() != 3) return false;
      unit_save_t saver(*out, UTM_OWNED);
      for (unsigned int i = 0; i < loader.get_tree_count(); ++i) saver.add(loader.get_tree(i));
      return saver.save(UPF_TEXT);
    });
  });
}

// A plug-in that lends unit types, loaded and registering them into a bank.
TEST(AllocationFailures, PluginLoad) {
  temp_dir_t dir;  // a short link to the plug-in: file names hold 63 bytes
  // The entry point is named after the file, so the link keeps the name.
  std::filesystem::create_symlink(QXTEST_UNIT_TYPES_PLUGIN ".so", dir / "unit_types_plugin.so");
  const std::string module = dir / "unit_types_plugin";
  refuse_each_allocation([&] {
    unit_bank_t bank;
    dl_lib_t plugin(s(module));
    bool ok =
        plugin.register_and_execute(0x756E6974, &bank) && bank.get_descriptor("prop") != nullptr;
    return plugin.unregister() && ok;
  });
}

}  // namespace
}  // namespace qxtest
