// chunk_space_t vs malloc/free with byte blocks of 8-64 bytes, the sizes of
// names and paths: random churn on a working set of 10 000 (half the
// operations remove), and the key-store pattern of a hash table, where nine
// operations in ten add a key.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "qxcore/collections/chunk_space.h"

namespace {

constexpr int OPERATIONS = 1000000;
constexpr std::size_t WORKING_SET = 10000;

struct step_t {
  unsigned int size;
  unsigned int pick;
};

// Argument: how many operations in 100 remove a block.
bool removes(const step_t& s, std::size_t live, int remove_percent) {
  if (live < WORKING_SET / 2) return false;
  return s.pick % 100 < static_cast<unsigned int>(remove_percent) || live >= WORKING_SET * 10;
}

std::vector<step_t> make_steps() {
  std::mt19937 rng(8);
  std::vector<step_t> steps(OPERATIONS);
  for (auto& s : steps) s = {8 + static_cast<unsigned int>(rng() % 57), static_cast<unsigned int>(rng())};
  return steps;
}

const char SOURCE[64] = "the bytes of a key that goes into the space and out again....";

void BM_ChunkChurn_ChunkSpace(benchmark::State& state) {
  auto steps = make_steps();
  for (auto _ : state) {
    quarn::chunk_space_t space;
    std::vector<quarn::vdatalist_node_t*> live;
    for (const step_t& s : steps) {
      if (!removes(s, live.size(), static_cast<int>(state.range(0)))) {
        live.push_back(space.insert(SOURCE, s.size));
      } else {
        std::size_t i = (s.pick / 100) % live.size();
        space.remove(live[i]);
        live[i] = live.back();
        live.pop_back();
      }
    }
    benchmark::DoNotOptimize(space.area_size());
  }
  state.SetItemsProcessed(state.iterations() * OPERATIONS);
}

void BM_ChunkChurn_Malloc(benchmark::State& state) {
  auto steps = make_steps();
  for (auto _ : state) {
    std::vector<void*> live;
    for (const step_t& s : steps) {
      if (!removes(s, live.size(), static_cast<int>(state.range(0)))) {
        void* p = std::malloc(s.size);
        std::memcpy(p, SOURCE, s.size);
        live.push_back(p);
      } else {
        std::size_t i = (s.pick / 100) % live.size();
        std::free(live[i]);
        live[i] = live.back();
        live.pop_back();
      }
    }
    for (void* p : live) std::free(p);
  }
  state.SetItemsProcessed(state.iterations() * OPERATIONS);
}

BENCHMARK(BM_ChunkChurn_ChunkSpace)->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChunkChurn_Malloc)->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
