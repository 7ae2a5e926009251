// Profiler: a few frames of a small workload — ships moving through a
// spatial hash, proximity queries, and the spectrum of a sound — timed in
// named regions and zones, then the call tree of the last frame, and the
// recorded frames as a trace file for Perfetto or Chrome's trace viewer.
#include <cmath>
#include <cstdio>
#include <vector>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

namespace {

// Regions and zones are known by address: named constants, used everywhere.
const char FRAME[] = "frame", SIMULATE[] = "simulate", MOVE[] = "move ships",
           SCAN[] = "proximity queries", AUDIO[] = "audio", SPECTRUM[] = "spectrum",
           WORLD_ZONE[] = "world", SOUND_ZONE[] = "sound";

struct ship_t {
  quarn::vec_t<float, 3> pos, velocity;
};

void print_tree(const quarn::profiler_node_t* node, unsigned int slot, int depth) {
  std::printf("%*s%-*s %6u calls %8llu us total %8llu us self\n", 2 * depth, "", 24 - 2 * depth,
              node->name, node->calls[slot], node->total_time[slot],
              node->total_time[slot] - node->child_time[slot]);
  // Children are kept newest first; print them in the order they were met.
  std::vector<const quarn::profiler_node_t*> children;
  for (const quarn::profiler_node_t* c = node->first_child; c != nullptr; c = c->next_sibling)
    children.insert(children.begin(), c);
  for (const quarn::profiler_node_t* c : children) print_tree(c, slot, depth + 1);
}

}  // namespace

void tour_profiler() {
  section("profiler");
  quarn::get_cpu_speed();  // measure the cycle rate now, not inside the first frame

  std::vector<ship_t> ships(2000);
  quarn::randomizer_t random;
  quarn::spatialhash_t grid(50.0f, 8.0f, 2, 3.0f);
  for (ship_t& s : ships) {
    s.pos = {random.rand() * 4000, random.rand() * 4000, random.rand() * 400};
    s.velocity = {random.rand() * 20 - 10, random.rand() * 20 - 10, random.rand() * 2 - 1};
    grid.insert(s.pos, s.pos + quarn::vec_t<float, 3>{20, 20, 20}, &s);
  }
  std::vector<quarn::complex_t<float>> sound(4096);

  std::size_t neighbours = 0;
  for (int f = 0; f < 5; ++f) {
    quarn::profiler_sample_t frame(FRAME);
    {
      quarn::profiler_sample_t simulate(SIMULATE, WORLD_ZONE);
      {
        quarn::profiler_sample_t move(MOVE, WORLD_ZONE);
        for (ship_t& s : ships) {
          s.pos += s.velocity;
          grid.update(&s, s.pos, s.pos + quarn::vec_t<float, 3>{20, 20, 20});
        }
      }
      quarn::profiler_sample_t scan(SCAN, WORLD_ZONE);
      for (std::size_t i = 0; i < ships.size(); i += 10) {
        const quarn::vec_t<float, 3> reach{100, 100, 100};
        neighbours += grid.query(ships[i].pos - reach, ships[i].pos + reach).size();
      }
    }
    {
      quarn::profiler_sample_t audio(AUDIO, SOUND_ZONE);
      for (std::size_t i = 0; i < sound.size(); ++i)
        sound[i] = {std::sin(0.05f * float(i + f)) + 0.5f * std::sin(0.31f * float(i)), 0};
      quarn::profiler_sample_t spectrum(SPECTRUM, SOUND_ZONE);
      quarn::fft1d(sound.data(), 12, quarn::FFT_METHOD_FORWARD);
    }
    quarn::profiler_advance_frame();  // takes effect as the frame sample closes
  }
  std::printf("5 frames: %zu neighbours found in the queries\n", neighbours);

  // The collecting slot has just begun; the frame before it is complete.
  const unsigned int collecting = quarn::profiler_pause().collecting;
  const unsigned int last = (collecting + quarn::PROFILER_FRAMES - 1) % quarn::PROFILER_FRAMES;
  std::printf("call tree of the last frame (slot %u):\n", last);
  print_tree(quarn::profiler_tree(), last, 0);
  for (const quarn::profiler_zone_t* z = quarn::profiler_zones(); z != nullptr; z = z->next)
    std::printf("zone %-8s %4u calls %8llu us self\n", z->name, z->subtree_calls(last),
                z->self_time(last));
  quarn::profiler_unpause();

  // The temporary directory, mounted under "/temp" for the file system.
  quarn::string_dyn_t<> temp;
  if (!quarn::usr_get_tempdir(&temp)) return;
  quarn::ufs_device_t* device =
      quarn::ufs_mount(quarn::FS_DEVICE_DIRECTORY, temp, quarn::string_alias_t("/temp"), false, 1);
  if (quarn::profiler_write_trace(quarn::string_alias_t("/temp/qxcore_frames.json"),
                                  quarn::FS_TYPE_VIRTUAL))
    std::printf(
        "the frames as a trace: %sqxcore_frames.json -- open it at https://ui.perfetto.dev\n"
        "(\"Open trace file\") or in Chrome at chrome://tracing (\"Load\")\n",
        temp.c_str());
  quarn::ufs_unmount(device);
}

}  // namespace demo
