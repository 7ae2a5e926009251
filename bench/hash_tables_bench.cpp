// vptrhash_t vs std::unordered_map<std::string, void*>: put then find of
// keys of three kinds: short names, realistic virtual paths (40-120
// bytes), and long paths that share a tail of more than 32 bytes, which the
// designed hash (h = 2h + b) cannot tell apart.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "qxcore/collections/vptrhash.h"

namespace {

enum key_kind_t { SHORT_NAMES, PATHS, SHARED_TAILS };

std::vector<std::string> make_keys(key_kind_t kind, int count) {
  std::mt19937 rng(17);
  const char* folders[] = {"textures", "models", "sounds", "levels", "materials", "scripts"};
  const char* leaves[] = {"diffuse.tga", "mesh.dat", "collision.dat", "ambient_loop.wav", "lod0.dat"};
  std::vector<std::string> keys;
  keys.reserve(count);
  for (int i = 0; i < count; ++i) {
    std::string k;
    if (kind == SHORT_NAMES) {
      k = "obj" + std::to_string(i);
    } else if (kind == PATHS) {
      k = std::string(folders[rng() % 6]) + "/area_" + std::to_string(rng() % 50) + "/item_" +
          std::to_string(i);
      while (k.size() < 40 + rng() % 60) k += "/sub_" + std::to_string(rng() % 1000);
      k += "/";
      k += leaves[rng() % 5];
    } else {
      k = std::string(folders[i % 6]) + "/" + std::to_string(i) +
          "/shared/tail/of/this/path/is/long/enough/mesh.dat";
    }
    keys.push_back(k);
  }
  return keys;
}

void BM_HashPutFind_Qxcore(benchmark::State& state) {
  std::vector<std::string> keys = make_keys(static_cast<key_kind_t>(state.range(0)), static_cast<int>(state.range(1)));
  unsigned int buckets = 0;
  for (auto _ : state) {
    quarn::vptrhash_t table;
    for (std::size_t i = 0; i < keys.size(); ++i)
      table.put(keys[i].data(), static_cast<unsigned int>(keys[i].size()), &keys[i]);
    for (const std::string& k : keys)
      benchmark::DoNotOptimize(table.find(k.data(), static_cast<unsigned int>(k.size())));
    buckets = table.bucket_count();
  }
  state.counters["buckets"] = buckets;
  state.SetItemsProcessed(state.iterations() * keys.size());
}

void BM_HashPutFind_StdUnorderedMap(benchmark::State& state) {
  std::vector<std::string> keys = make_keys(static_cast<key_kind_t>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    std::unordered_map<std::string, void*> table;
    for (std::string& k : keys) table[k] = &k;
    for (const std::string& k : keys) benchmark::DoNotOptimize(table.find(k));
  }
  state.SetItemsProcessed(state.iterations() * keys.size());
}

// Shared tails make every key hash alike, so a put or find walks one run of
// all keys: 5 000 and 10 000 keys show the quadratic growth without taking
// minutes (100 000 took about 450 s).
void key_sets(benchmark::internal::Benchmark* b) {
  b->Args({SHORT_NAMES, 100000})->Args({PATHS, 100000})->Args({SHARED_TAILS, 5000})->Args({SHARED_TAILS, 10000});
}
BENCHMARK(BM_HashPutFind_Qxcore)->Apply(key_sets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HashPutFind_StdUnorderedMap)->Apply(key_sets)->Unit(benchmark::kMillisecond);

}  // namespace
