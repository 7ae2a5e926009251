// The chunk space: the designed sizes, merging and compaction, inserts whose
// source lies in the same space, and long random sequences checked after
// every step for tiling, free neighbours, free_bytes and every chunk's bytes.
#include "qxcore/collections/chunk_space.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using quarn::chunk_space_t;
using quarn::vdatalist_node_t;

std::string bytes_of(const vdatalist_node_t* chunk, std::size_t length) {
  return std::string(chunk_space_t::address(chunk), length);
}

// Chunks tile the area from its start without gaps, no two free chunks are
// neighbours, free_bytes sums the free chunks, and every live chunk holds its
// bytes.
void expect_consistent(const chunk_space_t& space,
                       const std::map<vdatalist_node_t*, std::string>& live) {
  const char* at = space.area();
  unsigned int free_sum = 0, used = 0;
  bool previous_free = false;
  for (vdatalist_node_t* chunk : space.chunks()) {
    ASSERT_EQ(chunk_space_t::address(chunk), at) << "gap or overlap";
    ASSERT_EQ(chunk_space_t::size(chunk) % 4, 0u);
    bool is_free = chunk_space_t::is_free(chunk);
    ASSERT_FALSE(is_free && previous_free) << "two free neighbours";
    if (is_free) {
      free_sum += chunk_space_t::size(chunk);
    } else {
      auto it = live.find(chunk);
      ASSERT_NE(it, live.end()) << "a used chunk nobody holds";
      ASSERT_EQ(chunk_space_t::size(chunk),
                std::max<std::size_t>(4, (it->second.size() + 3) / 4 * 4));
      ASSERT_EQ(bytes_of(chunk, it->second.size()), it->second);
      ++used;
    }
    previous_free = is_free;
    at += chunk_space_t::size(chunk);
  }
  ASSERT_EQ(at, space.area() + space.area_size()) << "the chunks do not cover the area";
  ASSERT_EQ(free_sum, space.free_bytes());
  ASSERT_EQ(used, live.size());
}

TEST(ChunkSpace, FirstInsertAndRebuildsPutTheNewestChunksFirst) {
  chunk_space_t first;
  vdatalist_node_t* ten = first.insert("0123456789", 10);
  // 12 live bytes * 1.25 = 15, rounded up to 16: the 12-byte chunk and 4 free
  // bytes tile it.
  expect_consistent(first, {{ten, "0123456789"}});
  EXPECT_EQ(qxtest::block_size(first.area()), 16u);

  chunk_space_t space;
  auto* a = space.insert("aaaa", 4);  // area 5 -> 8
  auto* b = space.insert("bbbb", 4);  // fills it
  EXPECT_EQ(space.free_bytes(), 0u);
  auto* c = space.insert("cccc", 4);  // (8 + 4) * 1.25 = 15 -> 16
  EXPECT_EQ(space.area_size(), 16u);
  EXPECT_EQ(std::string(space.area(), 12), "bbbbaaaacccc");
  expect_consistent(space, {{a, "aaaa"}, {b, "bbbb"}, {c, "cccc"}});
}

TEST(ChunkSpace, NeighboursMergeAndCompactShrinksToTheLiveBytes) {
  chunk_space_t space(64);
  std::map<vdatalist_node_t*, std::string> live;
  std::vector<vdatalist_node_t*> chunks;
  for (std::string s : {"first", "second", "third", "fourth"})
    live[chunks.emplace_back(space.insert(s.data(), static_cast<unsigned int>(s.size())))] = s;
  for (int i : {1, 2}) {
    ASSERT_TRUE(space.remove(chunks[i]));
    live.erase(chunks[i]);
  }
  expect_consistent(space, live);
  EXPECT_EQ(space.chunks().size(), 4u);  // first, one merged free chunk, fourth, the free rest

  ASSERT_TRUE(space.compact());
  expect_consistent(space, live);
  EXPECT_EQ(space.area_size(), 8u + 8u);
  EXPECT_EQ(space.free_bytes(), 0u);
}

TEST(ChunkSpace, InsertFromInsideTheSpaceWhileItGrows) {
  chunk_space_t space;
  std::string text = "the bytes that must survive the move";
  auto* original = space.insert(text.data(), static_cast<unsigned int>(text.size()));
  while (space.free_bytes() >= 4) space.insert("fill", 4);
  const char* old_area = space.area();
  auto* copy =
      space.insert(chunk_space_t::address(original), static_cast<unsigned int>(text.size()));
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(space.area(), old_area);  // it had to grow
  EXPECT_EQ(bytes_of(copy, text.size()), text);
  EXPECT_EQ(bytes_of(original, text.size()), text);
  auto* twin = space.dup(copy);
  EXPECT_EQ(bytes_of(twin, text.size()), text);
}

TEST(ChunkSpace, RandomOperationsKeepEveryInvariant) {
  chunk_space_t space;
  std::map<vdatalist_node_t*, std::string> live;
  std::vector<vdatalist_node_t*> handles;
  std::mt19937 rng(31);
  auto random_bytes = [&](std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
  };
  for (int step = 0; step < 6000; ++step) {
    int op = static_cast<int>(rng() % 10);
    if (handles.empty() && op >= 4) op = 0;
    vdatalist_node_t* chunk = nullptr;
    std::string content;
    if (op <= 3) {
      content = random_bytes(rng() % (op == 0 ? 300 : 40));
      chunk = space.insert(content.data(), static_cast<unsigned int>(content.size()));
    } else if (op == 4) {  // a piece of a live chunk, copied from inside the space
      auto* source = handles[rng() % handles.size()];
      const std::string& whole = live[source];
      std::size_t from = whole.empty() ? 0 : rng() % whole.size();
      content = whole.substr(from, rng() % 50);
      chunk = space.insert(chunk_space_t::address(source) + from,
                           static_cast<unsigned int>(content.size()));
    } else if (op == 5) {
      auto* source = handles[rng() % handles.size()];
      chunk = space.dup(source);
      // dup copies the whole chunk, padding included
      content = bytes_of(source, chunk_space_t::size(source));
    } else if (op <= 8) {
      std::size_t i = rng() % handles.size();
      ASSERT_TRUE(space.remove(handles[i]));
      live.erase(handles[i]);
      handles.erase(handles.begin() + static_cast<long>(i));
    } else if (rng() % 10 == 0) {
      ASSERT_TRUE(space.compact());
      ASSERT_EQ(space.free_bytes(), 0u);
    }
    if (chunk != nullptr) {
      live[chunk] = content;
      handles.push_back(chunk);
    } else {
      ASSERT_GE(op, 6) << "an insert failed";
    }
    ASSERT_NO_FATAL_FAILURE(expect_consistent(space, live)) << "step " << step << " op " << op;
  }
}

TEST(ChunkSpace, RefusedAreaIsReportedAndChangesNothing) {
  qxtest::capture_sink_t sink;
  chunk_space_t space;
  auto* kept = space.insert("keep", 4);
  const char* area = space.area();
  {
    qxtest::allocation_failure_scope_t refuse(0);
    EXPECT_EQ(space.insert("0123456789", 10), nullptr);
  }
  // (4 live bytes + 12 asked) * 1.25 = 20
  EXPECT_EQ(sink.errors(),
            std::vector<std::string>{"[chunk_space] cannot allocate enough memory (20)"});
  EXPECT_EQ(space.area(), area);
  EXPECT_EQ(bytes_of(kept, 4), "keep");
  EXPECT_FALSE(space.remove(nullptr));
  EXPECT_TRUE(space.remove(kept));
  EXPECT_FALSE(space.remove(kept));  // already free
  EXPECT_EQ(sink.errors().size(), 3u);
}

}  // namespace
