// The chunk space: long random sequences replayed on a literal model of the
// designed first-fit walk along the free chain, which must pick the same
// chunks at the same addresses, and the cases the model does not reach.
#include "qxcore/collections/chunk_space.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "tests/support/capture_sink.h"
#include "tests/support/counting_hooks.h"

namespace {

using quarn::chunk_space_t;
using quarn::vdatalist_node_t;

std::string bytes_of(const vdatalist_node_t* chunk, std::size_t length) {
  return std::string(chunk_space_t::address(chunk), length);
}

// The designed algorithms, step by step: chunks in address order, the free
// chain and the used chain as lists of ids with the head first.
struct model_t {
  struct chunk_t {
    int id;
    unsigned int size;
    bool free;
  };
  using place_t = std::list<chunk_t>::iterator;
  std::list<chunk_t> chunks;
  std::unordered_map<int, place_t> place;
  std::list<int> free_chain, used_chain;
  unsigned int size = 0, free_bytes = 0;
  int next_id = 0;

  static unsigned int round4(unsigned long long n) {
    return static_cast<unsigned int>((n + 3) & ~3ull);
  }
  place_t add(place_t before, unsigned int bytes, bool free) {
    place_t p = chunks.insert(before, {next_id, bytes, free});
    place[next_id++] = p;
    return p;
  }
  void drop(place_t p) {
    place.erase(p->id);
    chunks.erase(p);
  }

  void rebuild(unsigned long long new_size) {
    unsigned int rounded = round4(new_size), used = 0;
    for (int id : free_chain) drop(place[id]);
    free_chain.clear();
    for (int id : used_chain) {  // newest first
      chunks.splice(chunks.end(), chunks, place[id]);
      used += place[id]->size;
    }
    free_bytes = 0;
    if (used < rounded) {
      free_chain.push_back(add(chunks.end(), rounded - used, true)->id);
      free_bytes = rounded - used;
    }
    size = rounded;
  }
  void release(place_t p) {
    p->free = true;
    free_chain.push_front(p->id);
    free_bytes += p->size;
    if (auto next = std::next(p); next != chunks.end() && next->free) {
      p->size += next->size;
      free_chain.remove(next->id);
      drop(next);
    }
    if (p != chunks.begin() && std::prev(p)->free) {
      std::prev(p)->size += p->size;
      free_chain.remove(p->id);
      drop(p);
    }
  }
  int allocate(unsigned int request) {
    unsigned int n = round4(request);
    auto fits = std::find_if(free_chain.begin(), free_chain.end(),
                             [&](int id) { return place[id]->size >= n; });
    if (free_bytes < n || fits == free_chain.end()) {
      rebuild(
          static_cast<unsigned long long>(std::llround((double(size) - free_bytes + n) * 1.25)));
      if (free_chain.empty())
        free_chain.push_back(add(chunks.end(), 0, true)->id);  // 0 bytes, empty area
      fits = free_chain.begin();
    }
    place_t p = place[*fits];
    free_chain.erase(fits);
    p->free = false;
    free_bytes -= p->size;
    used_chain.push_front(p->id);
    if (p->size > n) {
      unsigned int rest = p->size - n;
      p->size = n;
      release(add(std::next(p), rest, false));
    }
    return p->id;
  }
  void remove(int id) {
    used_chain.remove(id);
    release(place[id]);
  }
};

// Same chunks, sizes, flags and addresses in address order; every live
// handle is the model's chunk at its place and holds its bytes.
void expect_same(const chunk_space_t& space, const model_t& model,
                 const std::map<vdatalist_node_t*, std::pair<int, std::string>>& live) {
  ASSERT_EQ(space.area_size(), model.size);
  ASSERT_EQ(space.free_bytes(), model.free_bytes);
  ASSERT_EQ(space.chunks().size(), model.chunks.size());
  unsigned int offset = 0, i = 0;
  auto expected = model.chunks.begin();
  for (vdatalist_node_t* chunk : space.chunks()) {
    ++i;
    ASSERT_EQ(chunk_space_t::size(chunk), expected->size) << "chunk " << i;
    ASSERT_EQ(chunk_space_t::is_free(chunk), expected->free) << "chunk " << i;
    ASSERT_EQ(chunk_space_t::address(chunk), space.area() + offset) << "chunk " << i;
    if (!expected->free) {
      auto it = live.find(chunk);
      ASSERT_TRUE(it != live.end() && it->second.first == expected->id) << "chunk " << i;
      ASSERT_EQ(bytes_of(chunk, it->second.second.size()), it->second.second);
    }
    offset += expected++->size;
  }
}

// Merging, compaction, empty requests and inserts copied from inside a growing
// area are all replayed on the model below; these are the cases it does not reach.
TEST(ChunkSpace, FirstAreaIsOneExactHostBlockAndAnEmptySpaceTakesEmptyChunks) {
  chunk_space_t first;
  vdatalist_node_t* ten = first.insert("0123456789", 10);
  // 12 live bytes * 1.25 = 15, rounded up to 16: the 12-byte chunk and 4 free
  // bytes tile a host block of exactly that size, the padding zeroed.
  EXPECT_EQ(qxtest::block_size(first.area()), 16u);
  EXPECT_EQ(std::string(chunk_space_t::address(ten), 12), std::string("0123456789\0\0", 12));

  chunk_space_t nothing;  // no area at all: the chunk sits at its end
  vdatalist_node_t* zero = nothing.insert("", 0);
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(nothing.area_size(), 0u);
  EXPECT_TRUE(nothing.remove(zero));
  ASSERT_EQ(nothing.chunks().size(), 1u);
  EXPECT_TRUE(chunk_space_t::is_free(nothing.chunks().first()));
}

// Churn that leaves long chains of slivers, replayed on the model. `refuse`
// runs the second half with the host refusing every allocation, in an area
// large enough to need none: the space then walks its chain.
void churn_against_model(unsigned int seed, bool refuse) {
  chunk_space_t space(refuse ? 1 << 20 : 0);
  model_t model;
  if (refuse) {
    model.rebuild(1 << 20);
    chunk_space_t warm_up;  // leaves spare descriptors in the shared pool
    for (int i = 0; i < 10000; ++i) warm_up.insert("x", 1);
  }
  std::map<vdatalist_node_t*, std::pair<int, std::string>> live;
  std::vector<vdatalist_node_t*> handles;
  std::mt19937 rng(seed);
  const int steps = 8000;
  std::unique_ptr<qxtest::allocation_failure_scope_t> refusal;
  std::size_t longest_chain = 0;
  for (int step = 0; step < steps; ++step) {
    if (refuse && step == steps / 2)
      refusal = std::make_unique<qxtest::allocation_failure_scope_t>(0);
    unsigned int op = rng() % 16;
    if (handles.empty() && op >= 7) op = 0;
    vdatalist_node_t* chunk = nullptr;
    std::string content;
    int id = -1;
    if (op <= 6) {  // mostly short, some empty, a few long
      content.assign(op == 0 ? rng() % 200 : rng() % 8 == 0 ? 0 : rng() % 40, '\0');
      for (char& c : content) c = static_cast<char>(rng());
      id = model.allocate(static_cast<unsigned int>(content.size()));
      chunk = space.insert(content.data(), static_cast<unsigned int>(content.size()));
    } else if (op == 7) {  // a piece of a live chunk, copied from inside the space
      auto* source = handles[rng() % handles.size()];
      const std::string& whole = live[source].second;
      std::size_t from = whole.empty() ? 0 : rng() % whole.size();
      content = whole.substr(from, rng() % 50);
      id = model.allocate(static_cast<unsigned int>(content.size()));
      chunk = space.insert(chunk_space_t::address(source) + from,
                           static_cast<unsigned int>(content.size()));
    } else if (op == 8) {
      auto* source = handles[rng() % handles.size()];
      content = bytes_of(source, chunk_space_t::size(source));  // padding included
      id = model.allocate(chunk_space_t::size(source));
      chunk = space.dup(source);
    } else if (op <= 14) {
      std::size_t i = rng() % handles.size();
      model.remove(live[handles[i]].first);
      ASSERT_TRUE(space.remove(handles[i]));
      live.erase(handles[i]);
      handles[i] = handles.back();
      handles.pop_back();
    } else if (!refuse && rng() % 8 == 0) {
      model.rebuild(model.size - model.free_bytes);
      ASSERT_TRUE(space.compact());
    }
    if (id >= 0) {
      ASSERT_NE(chunk, nullptr) << "step " << step;
      live[chunk] = {id, content};
      handles.push_back(chunk);
    }
    ASSERT_EQ(space.free_bytes(), model.free_bytes) << "seed " << seed << " step " << step;
    if (step % 8 == 0 || step == steps - 1) {
      ASSERT_NO_FATAL_FAILURE(expect_same(space, model, live))
          << "seed " << seed << " step " << step;
      longest_chain = std::max(longest_chain, model.free_chain.size());
    }
  }
  EXPECT_GT(longest_chain, 40u) << "the sequence never made a long free chain";
}

TEST(ChunkSpace, PicksTheChunksOfTheDesignedFirstFitWalk) {
  for (unsigned int seed : {31u, 32u, 33u})
    ASSERT_NO_FATAL_FAILURE(churn_against_model(seed, false));
  ASSERT_NO_FATAL_FAILURE(churn_against_model(34, true));
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
