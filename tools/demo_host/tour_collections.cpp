// Containers: an array growing by its doubling rule, a pooled list sorted in
// place, a hash table of virtual paths, and a chunk space compacting its keys.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

namespace {

int by_name(const void* a, const void* b) {
  auto* x = *static_cast<quarn::vptrlist_node_t* const*>(a);
  auto* y = *static_cast<quarn::vptrlist_node_t* const*>(b);
  return std::strcmp(static_cast<const char*>(x->ptr), static_cast<const char*>(y->ptr));
}

}  // namespace

void tour_collections() {
  section("containers");
  quarn::array_dyn_t<int> frame_times;
  std::printf("array_dyn_t capacities while appending:");
  unsigned int last_capacity = 0;
  for (int i = 0; i < 40; ++i) {
    frame_times.push_back(16 + i % 3);
    if (frame_times.capacity() != last_capacity) std::printf(" %u", last_capacity = frame_times.capacity());
  }
  std::printf("\n");

  quarn::bmem_manager_t pool;
  quarn::vptrlist_t names;
  names.init_mm(16, &pool);
  const char* meshes[] = {"wheel", "chassis", "door_left", "antenna", "door_right"};
  for (const char* mesh : meshes) names.append(const_cast<char*>(mesh));
  names.sort(by_name);
  std::printf("vptrlist_t sorted in place:");
  for (quarn::vptrlist_node_t* node : names) std::printf(" %s", static_cast<const char*>(node->ptr));
  std::printf("\n");

  quarn::vptrhash_t files;
  char path[64];
  for (int i = 0; i < 1000; ++i) {
    int length = std::snprintf(path, sizeof path, "textures/set_%02d/tile_%03d.tga", i % 20, i);
    files.put(path, static_cast<unsigned int>(length), reinterpret_cast<void*>(static_cast<std::intptr_t>(i + 1)));
  }
  const char* wanted = "textures/set_07/tile_427.tga";
  std::printf("vptrhash_t: %u paths in %u buckets; \"%s\" -> %ld\n", files.size(), files.bucket_count(),
              wanted, static_cast<long>(reinterpret_cast<std::intptr_t>(files.find(wanted, 28))));

  quarn::chunk_space_t keys;
  quarn::vdatalist_node_t* chunks[8];
  for (int i = 0; i < 8; ++i) chunks[i] = keys.insert(meshes[i % 5], static_cast<unsigned int>(std::strlen(meshes[i % 5])));
  for (int i = 0; i < 8; i += 2) keys.remove(chunks[i]);
  std::printf("chunk_space_t: %u bytes, %u free after removing half", keys.area_size(), keys.free_bytes());
  keys.compact();
  std::printf("; after compact: %u bytes, %u free\n", keys.area_size(), keys.free_bytes());
  std::printf("shared pools hold %u block(s) until the library unloads\n", quarn::process_pool_blocks());
}

}  // namespace demo
