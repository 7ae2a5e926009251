// Arbitrary bytes as a units file in a mounted temporary directory, loaded
// into the test classes (all 52 attribute types); two fixed files there can
// be included. Whatever loads is saved again. The loader must report and
// never crash, leak or read outside its buffers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "fuzz/fuzz_hooks.h"
#include "qxcore/qxcore.h"
#include "tests/units/test_units.h"

namespace {

// Messages are dropped: reporting is what the loader is expected to do.
class quiet_sink_t : public quarn::message_handler_t {
 protected:
  void process_message(const quarn::string&, quarn::message_t::type_t) override {}
};

struct world_t {
  quiet_sink_t sink;
  quarn::unit_bank_t bank;
  quarn::unit_system_t system{bank};
  std::string dir;
};

void write_file(const std::string& path, const void* data, std::size_t size) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
}

std::string* scratch_dir = nullptr;

void remove_scratch() {
  if (scratch_dir != nullptr) std::system(("rm -rf '" + *scratch_dir + "'").c_str());
}

world_t* make_world() {
  qxfuzz::start_library();
  auto* w = new world_t;
  qxtest::register_test_classes(w->bank);
  char pattern[] = "/tmp/qxcore_units_fuzz_XXXXXX";
  const char* shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm/qxcore_units_fuzz_XXXXXX" : nullptr;
  std::string base = shm != nullptr ? shm : pattern;
  w->dir = mkdtemp(base.data());
  scratch_dir = new std::string(w->dir);
  std::atexit(remove_scratch);
  const std::string part = "b: true s32: 3 f3: (0, 1, 0)\n own: part2 }\nbody : part2 { mass: 0.5 ";
  const std::string value = "(1, 2, 3) (1; 0, 0, 0)";
  write_file(w->dir + "/part.units", part.data(), part.size());
  write_file(w->dir + "/value.units", value.data(), value.size());
  quarn::ufs_mount(quarn::FS_DEVICE_DIRECTORY, quarn::string_alias_t(w->dir.c_str()),
                   quarn::string::EMPTY, false, 100);
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static world_t* world = make_world();
  write_file(world->dir + "/in.units", data, size);
  quarn::file_t* in = quarn::fs_open(quarn::string_alias_t("/in.units"), quarn::FS_TYPE_VIRTUAL);
  if (in == nullptr) return 0;
  {
    quarn::unit_load_t loader(*in, world->system);
    if (loader.load()) {
      quarn::file_t* out =
          quarn::fs_create(quarn::string_alias_t("/out.units"), quarn::FS_TYPE_VIRTUAL);
      if (out != nullptr) {
        quarn::unit_save_t saver(*out, quarn::UTM_REFERENCED);
        for (unsigned int i = 0; i < loader.get_tree_count(); ++i) saver.add(loader.get_tree(i));
        saver.save(quarn::UPF_TEXT);
      }
      delete out;
    }
  }
  delete in;
  quarn::unit_system_t::clean_garbage();
  return 0;
}
