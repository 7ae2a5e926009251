// The hash tables: the designed hash and sizes, key identity by bytes and
// length, growth up to 65537 buckets and beyond, and random operations beside
// std::unordered_map, with enumeration through the entries.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <unordered_map>

#include "qxcore/collections/vdatahash.h"
#include "qxcore/collections/vptrhash.h"
#include "tests/support/capture_sink.h"

namespace {

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

std::string key_of(const quarn::vdatalist_node_t* entry) {
  char buffer[512];
  unsigned int size = sizeof buffer;
  EXPECT_TRUE(quarn::vhash_base_t::entry2key(entry, buffer, &size));
  return std::string(buffer, size);
}

// 2 * (2 * 97 + 98) + 99 = 683, and 683 mod 17 = 3; keys are their bytes and
// their length, so "ab" and "ab\0" differ.
TEST(HashTables, DesignedHashFirstBucketsAndKeyIdentity) {
  EXPECT_EQ(quarn::vhash_base_t::hash("abc", 3), 683u);
  EXPECT_EQ(quarn::vhash_base_t::hash("", 0), 0u);
  EXPECT_EQ(quarn::vhash_base_t::hash("\xff", 1), 0xFFFFFFFFu);  // bytes are signed
  vptrhash_t table;
  EXPECT_EQ(table.bucket_count(), 0u);
  EXPECT_EQ(table.find("ab", 2), nullptr);
  table.put("ab", 2, as_ptr(1));
  EXPECT_EQ(table.bucket_count(), 17u);
  table.put("ab\0", 3, as_ptr(2));
  table.put("", 0, as_ptr(3));
  table.put("ab", 2, as_ptr(4));  // replaces without a new entry
  EXPECT_EQ(table.size(), 3u);
  EXPECT_EQ(table.find("ab", 2), as_ptr(4));
  EXPECT_EQ(table.find("ab\0", 3), as_ptr(2));
  EXPECT_EQ(table.find("", 0), as_ptr(3));
  EXPECT_EQ(table.find("a", 1), nullptr);
}

TEST(HashTables, RemovalByValueTakesTheFirstEntryOnly) {
  vptrhash_t table;
  table.put("one", 3, as_ptr(7));
  table.put("two", 3, as_ptr(7));
  char key[8];
  unsigned int size = sizeof key;
  ASSERT_TRUE(table.ptr2key(as_ptr(7), key, &size));
  std::string first_key(key, size);
  EXPECT_TRUE(first_key == "one" || first_key == "two");
  size = 2;  // too small: cut to what fits
  ASSERT_TRUE(table.ptr2key(as_ptr(7), key, &size));
  EXPECT_EQ(std::string(key, size), first_key.substr(0, 2));

  EXPECT_TRUE(table.remove_ptr(as_ptr(7)));
  EXPECT_EQ(table.size(), 1u);
  EXPECT_EQ(find(table, first_key), nullptr);
  EXPECT_FALSE(table.remove_ptr(as_ptr(8)));
  EXPECT_FALSE(table.ptr2key(as_ptr(8), key, &size));
  EXPECT_EQ(table.remove_key("nope", 4), nullptr);
  unsigned int small = 1;
  EXPECT_FALSE(quarn::vhash_base_t::entry2key(table.entries().first(), key, &small));
  EXPECT_EQ(small, 1u);
}

TEST(HashTables, GrowsToTheLargestSizeKeepsWorkingAndClearKeepsTheSize) {
  vptrhash_t table;
  auto key = [](int i) { return "models/" + std::to_string(i * 7919) + ".dat"; };
  std::vector<unsigned int> sizes{0};
  int n = 0;
  for (; table.bucket_count() < 65537 && n < 2000000; ++n) {
    put(table, key(n), n + 1);
    if (table.bucket_count() != sizes.back()) sizes.push_back(table.bucket_count());
  }
  EXPECT_EQ(sizes, (std::vector<unsigned int>{0, 17, 31, 61, 127, 257, 509, 1021, 2053, 4093, 8191,
                                              16381, 32771, 65537}));
  for (int stop = n + 50000; n < stop; ++n) put(table, key(n), n + 1);
  EXPECT_EQ(table.bucket_count(), 65537u);
  EXPECT_EQ(table.size(), static_cast<unsigned int>(n));
  for (int i = 0; i < n; i += 97) ASSERT_EQ(find(table, key(i)), as_ptr(i + 1)) << key(i);

  table.clear();  // keeps the buckets, forgets every key
  EXPECT_EQ(table.size(), 0u);
  EXPECT_EQ(table.bucket_count(), 65537u);
  for (int i = 0; i < n; ++i) ASSERT_EQ(find(table, key(i)), nullptr) << key(i);
  table.put("again", 5, as_ptr(1));
  EXPECT_EQ(table.find("again", 5), as_ptr(1));
}

TEST(HashTables, RandomOperationsMatchAnUnorderedMap) {
  vptrhash_t table;
  std::unordered_map<std::string, std::intptr_t> model;
  std::mt19937 rng(41);
  for (int step = 0; step < 60000; ++step) {
    // Short names, long shared-tail paths and binary keys, from a small pool
    // so that keys repeat.
    unsigned int id = rng() % 3000;
    std::string k = id % 3 == 0   ? "k" + std::to_string(id)
                    : id % 3 == 1 ? "textures/set_" + std::to_string(id) +
                                        "/a_long_shared_tail_for_every_key.tga"
                                  : std::string("\0\xff", 2) + std::to_string(id);
    auto it = model.find(k);
    void* stored = it == model.end() ? nullptr : as_ptr(it->second);
    switch (rng() % 6) {
      case 3:
        ASSERT_EQ(table.remove_key(k.data(), len(k)), stored) << step;
        if (it != model.end()) model.erase(it);
        break;
      case 4:
        ASSERT_EQ(find(table, k), stored) << step;
        break;
      case 5:
        if (rng() % 500 == 0) {
          table.clear();
          model.clear();
        }
        break;
      default:
        put(table, k, model[k] = step + 1);
    }
    ASSERT_EQ(table.size(), model.size()) << step;
  }
  // Enumeration through the entries gives exactly the model's pairs.
  std::map<std::string, std::intptr_t> enumerated;
  for (const quarn::vdatalist_node_t* entry : table.entries())
    enumerated[key_of(entry)] = reinterpret_cast<std::intptr_t>(vptrhash_t::entry2ptr(entry));
  EXPECT_EQ(enumerated, (std::map<std::string, std::intptr_t>(model.begin(), model.end())));
}

TEST(HashTables, DataTableHoldsInlineBlocks) {
  quarn::bmem_manager_t pool;
  qxtest::capture_sink_t sink;
  quarn::vdatahash_t table;
  EXPECT_EQ(table.put("x", 1), nullptr);  // no pool for the value list yet
  EXPECT_EQ(sink.errors(),
            std::vector<std::string>{"[vdatahash_t] put before the value list's init_mm"});

  struct record_t {
    int width, height;
    bool operator==(const record_t&) const = default;
  };
  table.data_list()->init_mm(sizeof(record_t), 16, &pool);
  std::map<std::string, record_t> model;
  std::mt19937 rng(5);
  for (int step = 0; step < 20000; ++step) {
    std::string k = "tex" + std::to_string(rng() % 800);
    if (rng() % 4 == 0) {
      ASSERT_EQ(table.remove_key(k.data(), len(k)), model.erase(k) == 1);
      continue;
    }
    auto* r = static_cast<record_t*>(table.put(k.data(), len(k)));
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(model.count(k) == 0 || *r == model[k]) << k;  // the existing block comes back
    model[k] = *r = record_t{step, -step};
  }
  ASSERT_EQ(table.size(), model.size());
  for (const auto& [k, r] : model) {
    auto* found = static_cast<record_t*>(find(table, k));
    ASSERT_TRUE(found != nullptr && *found == r) << k;
  }
  for (const quarn::vdatalist_node_t* entry : table.entries())
    EXPECT_EQ(*static_cast<record_t*>(quarn::vdatahash_t::entry2data(entry)), model[key_of(entry)]);
  table.clear();  // before the pool its values live in goes away
}

}  // namespace
