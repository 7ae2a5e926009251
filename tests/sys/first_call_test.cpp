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
  auto* const product_stub = quarn::mult_matrix_matrix_lo;

  quarn::mat_sq_t<float, 4> m;
  std::memset(&m, 0x7F, sizeof m);
  quarn::matrix_set_identity(&m);
  for (int i = 0; i < 16; ++i) EXPECT_TRUE(m.m[i] == (i % 5 == 0 ? 1.0f : 0.0f));

  // One call bound them all: none still points at its stub, and detection
  // through qxcore_init's path binds the same.
  auto* const bound_copy = quarn::mm_memcpy;
  auto* const bound_add = quarn::rgb_stream_add;
  auto* const bound_product = quarn::mult_matrix_matrix_lo;
  EXPECT_TRUE(bound_copy != copy_stub && bound_add != add_stub && bound_product != product_stub);
  EXPECT_TRUE(sink.messages.empty());
  quarn::init_cpu_trampoline(quarn::CPU_DETECT, false);
  EXPECT_TRUE(quarn::mm_memcpy == bound_copy && quarn::rgb_stream_add == bound_add &&
              quarn::mult_matrix_matrix_lo == bound_product);
}
