// The hash tables: long random sequences replayed on a literal model of the
// designed structure (the hash, bucket runs walked, growth by walking every
// entry), so that buckets, entry order and results provably match; growth to
// the largest size, and the data table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <list>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "qxcore/collections/vdatahash.h"
#include "qxcore/collections/vptrhash.h"
#include "tests/support/capture_sink.h"

namespace {

using quarn::vdatalist_node_t;
using quarn::vhash_base_t;
using quarn::vptrhash_t;

void* as_ptr(std::intptr_t v) { return reinterpret_cast<void*>(v); }
unsigned int len(const std::string& s) { return static_cast<unsigned int>(s.size()); }
template <class Table>
void* find(const Table& table, const std::string& k) {
  return table.find(k.data(), len(k));
}
void put(vptrhash_t& table, const std::string& k, std::intptr_t v) {
  table.put(k.data(), len(k), as_ptr(v));
}

std::string key_of(const vdatalist_node_t* entry) {
  char buffer[512];
  unsigned int size = sizeof buffer;
  EXPECT_TRUE(vhash_base_t::entry2key(entry, buffer, &size));
  return std::string(buffer, size);
}

// 20 bytes of 0 and 1, the binary digits of n: h = 2h + b makes the hash n
// itself, so distinct numbers are distinct hash values.
std::string binary_key(unsigned int n) {
  std::string k(20, '\0');
  for (int i = 0; i < 20; ++i) k[19 - i] = static_cast<char>((n >> i) & 1);
  return k;
}

unsigned int designed_hash(const std::string& k) {
  unsigned int h = 0;
  for (char c : k) h = 2 * h + static_cast<unsigned int>(static_cast<signed char>(c));
  return h;
}

// The designed table, literally: one list of entries, bucket heads into it,
// runs walked from the head, growth by walking every entry.
struct model_t {
  static constexpr unsigned int SIZES[13] = {17,   31,   61,   127,   257,   509,  1021,
                                             2053, 4093, 8191, 16381, 32771, 65537};
  struct entry_t {
    std::string key;
    unsigned int bucket;
    std::intptr_t value;
  };
  using place_t = std::list<entry_t>::iterator;
  bool designed_growth;  // grow on every run of four entries, not of four different hash values
  int size_index = -1;
  std::list<entry_t> entries;
  std::vector<place_t> heads;

  unsigned int bucket_count() const { return size_index < 0 ? 0 : SIZES[size_index]; }
  place_t find(const std::string& k) {
    if (size_index < 0) return entries.end();
    unsigned int b = designed_hash(k) % bucket_count();
    for (place_t e = heads[b]; e != entries.end() && e->bucket == b; ++e)
      if (e->key == k) return e;
    return entries.end();
  }
  void grow() {
    if (size_index == 12) return;
    ++size_index;
    heads.assign(bucket_count(), entries.end());
    for (place_t e = entries.begin(); e != entries.end();) {
      place_t next = std::next(e);
      e->bucket = designed_hash(e->key) % bucket_count();
      if (heads[e->bucket] != entries.end()) entries.splice(heads[e->bucket], entries, e);
      heads[e->bucket] = e;
      e = next;
    }
  }
  void put(const std::string& k, std::intptr_t value) {
    if (size_index < 0) grow();
    if (place_t e = find(k); e != entries.end()) {
      e->value = value;
      return;
    }
    unsigned int h = designed_hash(k), b = h % bucket_count();
    std::size_t run = 0;
    std::set<unsigned int> values;  // the different hash values along the run
    for (place_t e = heads[b]; e != entries.end() && e->bucket == b; ++e, ++run)
      values.insert(designed_hash(e->key));
    if ((designed_growth ? run : values.size()) >= 4) {
      grow();
      b = h % bucket_count();
    }
    heads[b] = entries.insert(heads[b], {k, b, value});
  }
  void remove(place_t e) {
    if (heads[e->bucket] == e) {
      place_t next = std::next(e);
      heads[e->bucket] = next != entries.end() && next->bucket == e->bucket ? next : entries.end();
    }
    entries.erase(e);
  }
};

void expect_same(const vptrhash_t& table, const model_t& model) {
  ASSERT_EQ(table.bucket_count(), model.bucket_count());
  ASSERT_EQ(table.size(), model.entries.size());
  auto expected = model.entries.begin();
  for (const vdatalist_node_t* entry : table.entries()) {
    ASSERT_EQ(key_of(entry), expected->key);
    ASSERT_EQ(static_cast<const quarn::vhash_entry_t*>(entry->data())->bucket, expected->bucket);
    ASSERT_EQ(vptrhash_t::entry2ptr(entry), as_ptr(expected->value));
    ++expected;
  }
}

// Puts, finds, removals by key and by value, and clears over keys from
// `key_of_id`, checked against the model after every step.
template <class KeyOf>
void replay_on_model(unsigned int seed, int steps, unsigned int key_count, bool designed_growth,
                     KeyOf key_of_id) {
  vptrhash_t table;
  model_t model{designed_growth};
  std::mt19937 rng(seed);
  for (int step = 0; step < steps; ++step) {
    std::string k = key_of_id(rng() % key_count);
    auto e = model.find(k);
    void* stored = e == model.entries.end() ? nullptr : as_ptr(e->value);
    switch (rng() % 8) {
      case 0:
        ASSERT_EQ(table.remove_key(k.data(), len(k)), stored) << step;
        if (stored != nullptr) model.remove(e);
        break;
      case 1: {  // values repeat, so the first entry holding one must go
        std::intptr_t value = 1 + rng() % 64;
        auto first = std::find_if(model.entries.begin(), model.entries.end(),
                                  [&](const model_t::entry_t& x) { return x.value == value; });
        ASSERT_EQ(table.remove_ptr(as_ptr(value)), first != model.entries.end()) << step;
        if (first != model.entries.end()) model.remove(first);
        break;
      }
      case 2:
        ASSERT_EQ(find(table, k), stored) << step;
        break;
      case 3:
        if (rng() % 400 == 0) {
          table.clear();
          for (auto it = model.entries.begin(); it != model.entries.end();) model.remove(it++);
        }
        break;
      default: {
        std::intptr_t value = 1 + rng() % 64;
        put(table, k, value);
        model.put(k, value);
      }
    }
    ASSERT_EQ(table.size(), model.entries.size()) << step;
    if (step % 16 == 0 || step == steps - 1) {
      ASSERT_NO_FATAL_FAILURE(expect_same(table, model)) << step;
    }
  }
}

// The designed hash and the bucket of each key are compared in the replay
// below; keys are their bytes and their length, so "ab" and "ab\0" differ.
// ptr2key and entry2key cut the key to the buffer.
TEST(HashTables, KeyIdentityAndKeysOfAValue) {
  vptrhash_t table;
  EXPECT_EQ(table.find("ab", 2), nullptr);  // no buckets yet
  table.put("ab", 2, as_ptr(7));
  table.put("ab\0", 3, as_ptr(2));
  table.put("", 0, as_ptr(7));
  EXPECT_EQ((std::vector<void*>{table.find("ab", 2), table.find("ab\0", 3), table.find("", 0)}),
            (std::vector<void*>{as_ptr(7), as_ptr(2), as_ptr(7)}));
  std::string first_key = key_of(table.entries().first());
  char key[8];
  unsigned int size = 2;
  ASSERT_TRUE(table.ptr2key(as_ptr(7), key, &size));
  EXPECT_EQ(std::string(key, size), first_key.substr(0, 2));
  EXPECT_FALSE(table.ptr2key(as_ptr(8), key, &size));
  unsigned int small = 1;  // entry2key copies nothing into a short buffer
  EXPECT_FALSE(vhash_base_t::entry2key(table.entries().first(), key, &small));
  EXPECT_EQ(small, 1u);
}

// Keys of distinct hash values i: bucket i mod size, so a run reaches four
// once a table of size p holds about 4p keys.
TEST(HashTables, DistinctHashValuesGrowAsDesignedToTheLargestSize) {
  vptrhash_t table;
  std::vector<unsigned int> sizes{0};
  unsigned int n = 0;
  for (; n < 200000; ++n) {
    put(table, binary_key(n), n + 1);
    if (table.bucket_count() != sizes.back()) sizes.push_back(table.bucket_count());
  }
  EXPECT_EQ(sizes, (std::vector<unsigned int>{0, 17, 31, 61, 127, 257, 509, 1021, 2053, 4093, 8191,
                                              16381, 32771, 65537}));
  for (unsigned int i = 0; i < n; i += 97)
    ASSERT_EQ(find(table, binary_key(i)), as_ptr(i + 1)) << i;
}

TEST(HashTables, BucketsAndOrderMatchTheDesignedStructure) {
  // Distinct hash values: the designed growth rule itself.
  ASSERT_NO_FATAL_FAILURE(replay_on_model(
      41, 40000, 4000, true, [](unsigned int id) { return binary_key(id * 40503u & 0xFFFFF); }));
  // Numbered names; tails longer than 32 bytes, whose keys share one hash value
  // that growing cannot spread; bytes past 0x7f, which hash signed.
  ASSERT_NO_FATAL_FAILURE(replay_on_model(43, 40000, 3000, false, [](unsigned int id) {
    switch (id % 3) {
      case 0:
        return "obj" + std::to_string(id * 7);
      case 1:
        return "textures/set_" + std::to_string(id) + "/a_long_shared_tail_for_every_key.tga";
      default:
        return std::string("\0\xff", 2) + std::to_string(id);
    }
  }));
}

TEST(HashTables, DataTableHoldsInlineBlocks) {
  quarn::bmem_manager_t pool;
  qxtest::capture_sink_t sink;
  quarn::vdatahash_t table;
  EXPECT_EQ(table.put("x", 1), nullptr);  // no pool for the value list yet
  EXPECT_EQ(sink.errors(),
            std::vector<std::string>{"[vdatahash_t] put before the value list's init_mm"});
  table.data_list()->init_mm(sizeof(int), 16, &pool);
  std::map<std::string, int> model;
  std::mt19937 rng(5);
  for (int step = 0; step < 20000; ++step) {
    std::string k = "tex" + std::to_string(rng() % 800);
    if (rng() % 4 == 0) {
      ASSERT_EQ(table.remove_key(k.data(), len(k)), model.erase(k) == 1);
      continue;
    }
    auto* value = static_cast<int*>(table.put(k.data(), len(k)));
    ASSERT_TRUE(value != nullptr && (model.count(k) == 0 || *value == model[k]))
        << k;  // the block comes back
    model[k] = *value = step;
  }
  ASSERT_EQ(table.size(), model.size());
  for (const vdatalist_node_t* entry : table.entries()) {
    EXPECT_EQ(*static_cast<int*>(quarn::vdatahash_t::entry2data(entry)), model[key_of(entry)]);
    EXPECT_EQ(find(table, key_of(entry)), quarn::vdatahash_t::entry2data(entry));
  }
  table.clear();  // before the pool its values live in goes away
}

}  // namespace
