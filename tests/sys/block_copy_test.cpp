// Block copy and 32-bit fill/copy against memcpy, at every small length and
// alignment, with guard bytes around the destination; every strategy of the
// SSE2 copy (short, overlapping pieces, aligned loop, REP MOVSB, streaming).
#include "qxcore/sys/block_copy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "qxcore/sys/cpu_dispatch.h"
#include "tests/support/capture_sink.h"

namespace {

using copy_fn = void* (*)(void*, const void*, unsigned int);

std::vector<unsigned char> random_bytes(std::size_t n, unsigned int seed) {
  std::mt19937 rng(seed);
  std::vector<unsigned char> bytes(n);
  for (auto& b : bytes) b = static_cast<unsigned char>(rng());
  return bytes;
}

// Copies n bytes between the given misalignments and compares the whole
// target, with its 64 guard bytes on either side, with what memcpy gives.
template <class Copy>
void check_copy(Copy copy, std::size_t n, std::size_t src_offset, std::size_t dst_offset) {
  static const auto source = random_bytes((1 << 21) + 128, 9);
  std::vector<unsigned char> target(n + 160, 0xA5), expected = target;
  unsigned char* dst = target.data() + 64 + dst_offset;
  std::memcpy(expected.data() + 64 + dst_offset, source.data() + src_offset, n);
  ASSERT_EQ(copy(dst, source.data() + src_offset, n), static_cast<void*>(dst));
  ASSERT_TRUE(target == expected) << n << " bytes, offsets " << src_offset << "/" << dst_offset;
}

TEST(BlockCopy, BoundCopiesEqualMemcpy) {
  for (unsigned int flags : {quarn::CPU_FORCE_PLAIN, quarn::CPU_DETECT}) {
    quarn::init_cpu_trampoline(flags, false);
    copy_fn copy = quarn::mm_memcpy;
    for (std::size_t n = 0; n <= 300; ++n) check_copy(copy, n, n % 16, (n / 16) % 16);
    for (std::size_t n : {4096u + 3, 100000u, (1u << 21) + 7}) check_copy(copy, n, 5, 11);
  }
}

TEST(BlockCopy, EverySse2StrategyEqualsMemcpy) {
  using quarn::block_copy::copy_thresholds_t;
  const copy_thresholds_t strategies[] = {{0, 0}, {129, 0}, {0, 129}, {2048, 1 << 20}};
  for (const copy_thresholds_t& t : strategies) {
    auto copy = [&t](void* d, const void* s, std::size_t n) {
      return quarn::block_copy::copy_sse2(d, s, n, t);
    };
    for (std::size_t n : {129u, 130u, 191u, 192u, 193u, 4095u, 70000u, (1u << 20) + 77})
      for (std::size_t offset = 0; offset < 16; offset += 5)
        check_copy(copy, n, offset, 15 - offset);
  }
}

TEST(BlockCopy, WordFillAndCopy) {
  quarn::init_cpu_trampoline(quarn::CPU_DETECT, false);
  const unsigned int word = 0x11223344u;
  for (unsigned int count : {0u, 1u, 7u, 40u}) {
    // Deliberately misaligned, with guard bytes around.
    std::vector<unsigned char> filled(4 * count + 8, 0), expected = filled;
    for (unsigned int i = 0; i < count; ++i) std::memcpy(expected.data() + 3 + 4 * i, &word, 4);
    quarn::memset32b(filled.data() + 3, word, count);
    EXPECT_TRUE(filled == expected) << count;
    auto copy_words = [](void* d, const void* s, std::size_t n) {
      quarn::memcpy32b(d, s, static_cast<unsigned int>(n / 4));
      return d;
    };
    check_copy(copy_words, 4 * count, 2, 1);
  }
}

TEST(BlockCopy, NullBuffersAreReportedNotTouched) {
  unsigned char byte = 7;
  for (unsigned int flags : {quarn::CPU_FORCE_PLAIN, quarn::CPU_DETECT}) {
    quarn::init_cpu_trampoline(flags, false);
    qxtest::capture_sink_t sink;
    EXPECT_EQ(quarn::mm_memcpy(nullptr, &byte, 1), nullptr);
    EXPECT_EQ(quarn::mm_memcpy(&byte, nullptr, 1), &byte);
    quarn::memset32b(nullptr, 1, 1);
    quarn::memcpy32b(&byte, nullptr, 1);
    EXPECT_EQ(quarn::mm_memcpy(nullptr, nullptr, 0), nullptr);  // nothing to copy: fine
    EXPECT_EQ(sink.errors(), (std::vector<std::string>{
                                 "[sys] mm_memcpy: null buffer", "[sys] mm_memcpy: null buffer",
                                 "[sys] memset32b: null buffer", "[sys] memcpy32b: null buffer"}));
    EXPECT_EQ(byte, 7);
  }
}

}  // namespace
