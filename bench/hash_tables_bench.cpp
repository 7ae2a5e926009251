// vptrhash_t vs std::unordered_map<std::string, void*>: put then find of
// keys of three kinds: short names, realistic virtual paths (40-120
// bytes), and long paths that share a tail of more than 32 bytes, which the
// designed hash (h = 2h + b) cannot tell apart. Also the memory a table of
// 1 000 numbered paths holds, by kind of block.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "qxcore/collections/vptrhash.h"
#include "qxcore/core/lifecycle.h"

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

// The host's vector hook, counted: every block the table takes is live in
// `blocks` with its size.
std::map<void*, unsigned int> blocks;
void* (*host_new_vector)(unsigned int) = nullptr;
void (*host_delete_vector)(void*) = nullptr;
void* counted_new(unsigned int size) {
  void* p = host_new_vector(size);
  if (p != nullptr) blocks[p] = size;
  return p;
}
void counted_delete(void* p) {
  blocks.erase(p);
  host_delete_vector(p);
}

bool power_of_two(unsigned int n) { return n != 0 && (n & (n - 1)) == 0; }

// The 1 000 paths of the demo, "textures/set_07/tile_427.tga": numbered names
// whose hash values repeat. Blocks are told apart by size: the bucket array
// (8 bytes a bucket) and the different values per bucket (4), the lookup
// index (16 a slot) and the value counts (8 a slot, a power of two of each),
// pool blocks of entries and value nodes; the rest is the key area with its
// chunk descriptors. Pool blocks count only when this table made the pool grow.
void BM_HashTableMemory_NumberedPaths(benchmark::State& state) {
  for (auto _ : state) {
    host_new_vector = quarn::qxcore_system_new_vector;
    host_delete_vector = quarn::qxcore_system_delete_vector;
    quarn::qxcore_system_new_vector = counted_new;
    quarn::qxcore_system_delete_vector = counted_delete;
    std::map<void*, unsigned int> before = blocks;
    {
      quarn::vptrhash_t table;
      char path[64];
      for (int i = 0; i < 1000; ++i) {
        int length = std::snprintf(path, sizeof path, "textures/set_%02d/tile_%03d.tga", i % 20, i);
        table.put(path, static_cast<unsigned int>(length), path);
      }
      double arrays = 0, entries = 0, keys = 0;
      for (const auto& [p, size] : blocks) {
        if (before.count(p) != 0) continue;
        unsigned int buckets = table.bucket_count();
        if (size == 8 * buckets || size == 4 * buckets || (size % 16 == 0 && power_of_two(size / 16)) ||
            (size % 8 == 0 && power_of_two(size / 8)))
          arrays += size;
        else if (size == 8 + 4 * 40 || size == 8 + 4 * 24)
          entries += size;
        else
          keys += size;
      }
      state.counters["buckets"] = table.bucket_count();
      state.counters["table_arrays_bytes"] = arrays;
      state.counters["entry_pool_bytes"] = entries;
      state.counters["key_bytes"] = keys;
    }
    quarn::qxcore_system_new_vector = host_new_vector;
    quarn::qxcore_system_delete_vector = host_delete_vector;
  }
}
BENCHMARK(BM_HashTableMemory_NumberedPaths)->Iterations(1);

// Shared tails make every key hash alike: a table that walked its one run
// would be quadratic (5 000 and 10 000 keys took 0.5 s and 2 s, 100 000 about
// 450 s); 100 000 shows that nothing walks it now.
void key_sets(benchmark::internal::Benchmark* b) {
  b->Args({SHORT_NAMES, 100000})
      ->Args({PATHS, 100000})
      ->Args({SHARED_TAILS, 5000})
      ->Args({SHARED_TAILS, 10000})
      ->Args({SHARED_TAILS, 100000});
}
BENCHMARK(BM_HashPutFind_Qxcore)->Apply(key_sets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HashPutFind_StdUnorderedMap)->Apply(key_sets)->Unit(benchmark::kMillisecond);

}  // namespace
