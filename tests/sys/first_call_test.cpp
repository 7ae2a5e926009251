// A host that never calls qxcore_init: the first call of a dispatched routine
// detects the processor once, binds every routine, says nothing, and gives
// the same binding qxcore_init would.
#include <gtest/gtest.h>

#include <cstring>

#include "qxcore/image/colour_streams.h"
#include "qxcore/math/matrix_builders.h"
#include "qxcore/math/matrix_products.h"
#include "qxcore/sys/cpu_dispatch.h"
#include "tests/support/capture_sink.h"

TEST(FirstCall, BindsEveryRoutineSilentlyAsQxcoreInitWould) {
  qxtest::capture_sink_t sink;  // registering allocates nothing
  auto* const copy_stub = quarn::mm_memcpy;
  auto* const add_stub = quarn::rgb_stream_add;
  auto* const identify_stub = quarn::identify_cpu;
  auto* const fill_stub = quarn::memset32b;

  auto* const product_stub = quarn::mult_matrix_matrix_lo;

  quarn::mat_sq_t<float, 4> m;
  std::memset(&m, 0x7F, sizeof m);
  quarn::matrix_set_identity(&m);
  for (int i = 0; i < 16; ++i) EXPECT_TRUE(m.m[i] == (i % 5 == 0 ? 1.0f : 0.0f));

  // One call bound them all: none still points at its stub.
  EXPECT_TRUE(quarn::mult_matrix_matrix_lo != product_stub);
  EXPECT_TRUE(quarn::mm_memcpy != copy_stub);
  EXPECT_TRUE(quarn::rgb_stream_add != add_stub);
  EXPECT_TRUE(quarn::identify_cpu != identify_stub);
  EXPECT_TRUE(quarn::memset32b != fill_stub);
  EXPECT_TRUE(sink.messages.empty());

  char target[16] = {};
  EXPECT_TRUE(quarn::mm_memcpy(target, "first call", 11) == target);
  EXPECT_TRUE(std::strcmp(target, "first call") == 0);
  unsigned int a[3] = {0x01020304, 0xFFFFFFFF, 0}, b[3] = {0x10203040, 0x01010101, 0}, d[3];
  quarn::rgb_stream_add(d, a, b, 3);
  EXPECT_TRUE(d[0] == 0x11223344 && d[1] == 0xFFFFFFFF && d[2] == 0);

  // What detection through qxcore_init's path binds is what the stub bound.
  auto* const bound_copy = quarn::mm_memcpy;
  auto* const bound_add = quarn::rgb_stream_add;
  auto* const bound_product = quarn::mult_matrix_matrix_lo;
  quarn::init_cpu_trampoline(quarn::CPU_DETECT, false);
  EXPECT_TRUE(quarn::mm_memcpy == bound_copy);
  EXPECT_TRUE(quarn::rgb_stream_add == bound_add);
  EXPECT_TRUE(quarn::mult_matrix_matrix_lo == bound_product);
  EXPECT_TRUE(sink.messages.empty());
}
