// The library's generator against the LCG recomputed here in 64-bit
// arithmetic, and the runtime helpers by the ranges and moments they promise.
#include "qxcore/sys/random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Random, RandomizerFollowsItsCongruence) {
  quarn::randomizer_t fresh;
  EXPECT_EQ(fresh.rand_u(100), 37u);  // 52439 * 100 / 139968
  EXPECT_EQ(fresh.state(), 52439u);   // (42 * 3877 + 29573) mod 139968

  const unsigned int seeds[] = {0, 1, 42, 139967, 1000000};
  for (unsigned int seed : seeds) {
    quarn::randomizer_t r;
    r.seed(seed);
    unsigned long long state = seed;
    for (int i = 0; i < 2000; ++i) {
      state = (state * 3877 + 29573) % 139968;  // seeds here never overflow 32 bits
      if (i % 3 == 0) {
        ASSERT_NEAR(r.rand(), state / 139968.0, 1e-6) << seed << " step " << i;
      } else if (i % 3 == 1) {
        unsigned int n = 1 + static_cast<unsigned int>(state % 30683);
        ASSERT_EQ(r.rand_u(n), state * n / 139968) << seed << " step " << i;
      } else {
        ASSERT_EQ(r.rand_b(), state * 2 / 139968 != 0) << seed << " step " << i;
      }
      ASSERT_EQ(r.state(), state);
    }
  }
}

TEST(Random, RuntimeHelpersCoverTheirRangesWithTheirMoments) {
  quarn::v_seed(12345);
  const int draws = 200000;
  float low = 1, high = 0;
  unsigned int seen[7] = {};
  double sum = 0, gauss_sum = 0, gauss_squares = 0, planar = 0;
  for (int i = 0; i < draws; ++i) {
    float value = quarn::v_rand();
    ASSERT_GE(value, 0.0f);
    ASSERT_LE(value, 1.0f);
    low = std::fmin(low, value);
    high = std::fmax(high, value);
    sum += value;
    unsigned int face = quarn::v_rand_u(7);
    ASSERT_LT(face, 7u);
    ++seen[face];
    float g = quarn::v_rand_gauss(), x, y;
    gauss_sum += g;
    gauss_squares += double(g) * g;
    quarn::v_rand_gauss_2d(&x, &y);
    planar += double(x) * x + double(y) * y;
  }
  // A generator scaled for a 15-bit rand() would exceed 1 and 7 here at once.
  EXPECT_LT(low, 1e-4f);
  EXPECT_GT(high, 0.9999f);
  EXPECT_NEAR(sum / draws, 0.5, 0.01);
  for (unsigned int count : seen) EXPECT_NEAR(count, draws / 7.0, draws / 70.0);
  EXPECT_EQ(quarn::v_rand_u(0), 0u);
  EXPECT_LT(quarn::v_rand_u(0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_NEAR(gauss_sum / draws, 0.0, 0.02);
  EXPECT_NEAR(gauss_squares / draws, 1.0, 0.03);
  // The 2-D sample has a normal length, so its squared length averages 1 too.
  EXPECT_NEAR(planar / draws, 1.0, 0.03);
}

}  // namespace
